// Decodes audio payloads with the player's codec classes into the 16-bit samples the sound
// device plays for them: G.723 and IMA samples as decoded (G.723 as stereo frames), G.711
// mu-law expanded. The codec is bound like an output's: gain index 10, nothing pending.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/Codec.h"

class DevicePcm {
public:
    DevicePcm();
    // Makes the codec for `codecId`: 0, or -1 when no codec class decodes it.
    int32_t Start(int32_t codecId);
    // Channels of the device format (2 for G.723, else 1).
    int32_t Channels() const { return channels; }
    // Replaces `pcm` with the payload's samples, whole frames (a last odd G.723 sample is
    // paired with silence). Nothing when the codec plays nothing for it.
    void Decode(const uint8_t* payload, int32_t length, std::vector<int16_t>* pcm);

private:
    std::unique_ptr<Codec> codec;
    int32_t codecId = -1;
    int32_t channels = 0;
    double gainTable[kGainTableSize] = {};
    int32_t gainIndex;
    std::atomic<int32_t> pendingCount{0};
    std::vector<uint8_t> decoded;
};
