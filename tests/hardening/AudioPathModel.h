// The player's audio path without a sound device: what RouteAudioPacket, GridAudio and
// AudioOut::Write do with a packet, down to the codec's Decode into a decode buffer of the
// output's size. A codec change replaces both outputs, as WM_USER+9 does; an id without a codec
// leaves the grid without outputs. The device takes every buffer at once, so nothing is ever
// dropped for a full queue. The real path needs a window and an event loop per packet; its gates
// are repeated here from audio/RouteAudioPacket.cpp and audio/AudioOut.cpp.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/Codec.h"

struct AudioPathCounts {
    int64_t routed = 0;     // packets that reached the route
    int64_t ignored = 0;    // dropped by the route or the output's gates
    int64_t decoded = 0;    // a codec's Decode returned data to play
    int64_t silent = 0;     // a codec's Decode returned nothing
};

class AudioPathModel {
public:
    // `packet` is `length` bytes, header first, as the handler lends it.
    void Route(const uint8_t* packet, uint32_t length);

    AudioPathCounts counts;
    int32_t lastAudioCodec = -1;

private:
    struct Output {
        std::unique_ptr<Codec> codec;
        int32_t codecId = 0;
        int32_t bufferSize = 0;
        // Exactly what AudioOut allocates, so that a codec writing past it is caught.
        std::vector<uint8_t> decodeBuffer;
        double gainTable[kGainTableSize] = {};
        int32_t gainIndex = 0;
        std::atomic<int32_t> pendingCount{0};
    };

    void OpenOutputs(int32_t codecId);
    void Write(Output* output, const uint8_t* payload, uint32_t length);

    std::unique_ptr<Output> primary;     // track 0
    std::unique_ptr<Output> secondary;   // tracks 1 to 3
};
