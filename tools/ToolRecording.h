// Opening a recording from a tool's command line, with a one-line reason when it fails.
#pragma once

#include <cstdint>
#include <string>

class MediaFileMng;

// Opens the media file and the index beside it (the owner must be set beforehand). On
// failure writes "kvrtool: FILE: why" to standard error and returns -1; 0 on success.
int32_t OpenRecordingForTool(MediaFileMng& manager, const std::string& mediaPath);

// True, after writing a one-line reason to standard error, when `outPath` names the media file
// or the index of the recording (through links or other spellings): tools never write those.
bool OutputIsRecordingFile(const std::string& outPath, const std::string& mediaPath);
