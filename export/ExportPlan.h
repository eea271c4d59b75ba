// Where an export begins and ends: the range the request names, resolved against the index and
// the packet headers, and the key frame the copy starts with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/ChannelExport.h"
#include "recording/IndexRecord.h"

struct ExportPlan {
    int32_t requestedFirst = 0;   // the record the range asked to begin at
    int32_t first = 0;            // the key frame the copy starts with
    int32_t last = 0;             // the last record the copy may take (a time bound may end it sooner)
    std::string startRule;
    uint8_t videoType = 0;        // type byte of the channel's video (of the key frame)
    int32_t audioCodec = -1;      // of the first track-0 audio packet in the range; -1 none
};

// Resolves the request's range over the recording pair. kExportOk, or a failure code with
// `message` set.
int32_t PlanExport(const std::string& mediaPath, const std::string& indexPath, const ExportRequest& request,
                   ExportPlan* plan, std::string* message);

// True for a packet that decodes on its own: a JPEG picture or a frame of sequence 0.
bool IsKeyFramePacket(const uint8_t* packet);
