// A recording opened by a tool that reads it through the media file manager without playing
// it: the manager, an owner whose views only count, and a registry of its own.
#pragma once

#include <cstdint>
#include <string>

#include "recording/MediaFileMng.h"
#include "recording/QelSmartLcid2Callback.h"
#include "tools/HeadlessOwner.h"

class ReadOnlyRecording {
public:
    ReadOnlyRecording() { manager.owner = &owner; }
    ReadOnlyRecording(const ReadOnlyRecording&) = delete;
    ReadOnlyRecording& operator=(const ReadOnlyRecording&) = delete;

    // Opens the pair as OpenRecordingForTool does, with its one-line reason on failure. 0, or -1.
    int32_t Open(const std::string& mediaPath);

    QelSmartLcid2Callback registry;
    HeadlessOwner owner{&registry};
    MediaFileMng manager;
};
