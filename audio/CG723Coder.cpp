#include "audio/CG723Coder.h"

#include <algorithm>
#include <climits>

#include "audio/G726Adpcm24.h"

namespace {

constexpr int32_t kGroupBytes = 3;
constexpr int32_t kGroupCodes = 8;

// What a call that needs `needed` samples or bytes reports when it does not go ahead: the
// size itself when it only asks for it (or there is nothing to do), -1 when it cannot.
// `go` says whether the call goes ahead.
int32_t Admit(int64_t needed, const void* input, const void* out, int32_t capacity, bool* go)
{
    *go = false;
    if (needed > INT32_MAX) {
        return -1;
    }
    if (out == nullptr || needed == 0) {
        return static_cast<int32_t>(needed);
    }
    if (input == nullptr || capacity < needed) {
        return -1;
    }
    *go = true;
    return static_cast<int32_t>(needed);
}

}  // namespace

CG723Coder::~CG723Coder() = default;

int32_t CG723Coder::Decode(const uint8_t* data, int32_t length, int16_t* out, int32_t capacity)
{
    bool go = false;
    const int32_t n = Admit(DecodedSamples(length), data, out, capacity, &go);
    if (!go) {
        return n;
    }
    int32_t written = 0;
    for (int32_t at = 0; at < length; at += kGroupBytes) {
        const int32_t bytes = std::min(kGroupBytes, length - at);
        uint32_t word = 0;
        for (int32_t i = 0; i < bytes; ++i) {
            word |= static_cast<uint32_t>(data[at + i]) << (8 * i);
        }
        // Only the codes whose three bits all lie in the bytes present.
        const int32_t codes = bytes * 8 / 3;
        for (int32_t k = 0; k < codes; ++k) {
            out[written++] = G726Decode24(static_cast<int32_t>((word >> (3 * k)) & 7), decoderState);
        }
    }
    return written;
}

int32_t CG723Coder::Encode(const int16_t* samples, int32_t count, uint8_t* out, int32_t capacity)
{
    bool go = false;
    const int32_t bytes = Admit(EncodedBytes(count), samples, out, capacity, &go);
    if (!go) {
        return bytes;
    }
    int32_t at = 0;
    for (int32_t first = 0; first < count; first += kGroupCodes) {
        const int32_t codes = std::min(kGroupCodes, count - first);
        uint32_t word = 0;
        for (int32_t k = 0; k < codes; ++k) {
            word |= static_cast<uint32_t>(G726Encode24(samples[first + k], encoderState)) << (3 * k);
        }
        const int32_t groupBytes = (codes * 3 + 7) / 8;
        for (int32_t i = 0; i < groupBytes; ++i) {
            out[at++] = static_cast<uint8_t>(word >> (8 * i));
        }
    }
    return at;
}
