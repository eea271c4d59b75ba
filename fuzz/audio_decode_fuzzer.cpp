// An audio output's decoder over payloads from outside, for the codec id this target is built
// for (FUZZ_AUDIO_CODEC): the input is a gain index and a run of length-prefixed payloads that
// go through one codec in turn, as an output's packets do. Each payload and each output block
// is exactly as large as the codec's contract says, so a read or write past either is caught.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "audio/AudioCodecId.h"
#include "audio/Codec.h"
#include "audio/CodecFactory.h"
#include "audio/Codec_G723.h"
#include "audio/Codec_IMA.h"
#include "audio/GainTable.h"
#include "fuzz/FuzzInput.h"

namespace {

// Payloads up to twice a recorder's largest packet: longer ones only repeat the same paths,
// and decoding them would slow the search.
constexpr size_t kLargestPayload = 2 * 3072;

// How many bytes Decode may write for a payload of `length` bytes.
size_t OutputBytes(size_t length)
{
    switch (FUZZ_AUDIO_CODEC) {
    case kAudioCodecG723:
        return kG723BufferSamples * sizeof(int16_t);
    case kAudioCodecIma:
        return kImaFrameSamples * sizeof(int16_t);
    default:
        return length;
    }
}

// An output builds its gain table once and keeps it.
double gGainTable[kGainTableSize];

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    BuildGainTable(gGainTable);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    std::unique_ptr<Codec> codec = CreateCodec(FUZZ_AUDIO_CODEC);
    if (codec == nullptr) {
        abort();
    }
    const int32_t gainIndex = input.Byte() % kGainTableSize;
    const std::atomic<int32_t> pendingCount{0};
    codec->BindOutput(gGainTable, gainIndex, pendingCount);
    for (int payloads = 0; payloads < 6 && input.Remaining() > 0; ++payloads) {
        const std::vector<uint8_t> payload = input.Chunk();
        if (payload.size() > kLargestPayload) {
            continue;
        }
        std::vector<uint8_t> out(OutputBytes(payload.size()));
        codec->Decode(payload.empty() ? nullptr : payload.data(), static_cast<int32_t>(payload.size()), out.data());
    }
    return 0;
}
