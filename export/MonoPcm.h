// Decodes audio payloads with the player's codec classes into one channel of 16-bit samples at
// the rate they were recorded (8000 per second): G.711 mu-law expanded, G.723 and IMA decoded
// as the player decodes them (the G.723 state runs on across packets; the IMA gain is the
// output's default), but never dropped, and G.723 not split into the device's stereo frames.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/Codec.h"

class MonoPcm {
public:
    MonoPcm();
    // Makes the decoder for `codecId`: 0, or -1 when no codec class decodes it.
    int32_t Start(int32_t codecId);
    int32_t CodecId() const { return codecId; }
    // Replaces `pcm` with the payload's samples; empty when the codec makes nothing of it.
    void Decode(const uint8_t* payload, int32_t length, std::vector<int16_t>* pcm);

private:
    std::unique_ptr<Codec> codec;
    int32_t codecId = -1;
    double gainTable[kGainTableSize] = {};
    int32_t gainIndex;
    std::atomic<int32_t> pendingCount{0};   // nothing is ever pending, so nothing is dropped
    std::vector<uint8_t> input;
    std::vector<uint8_t> decoded;
};
