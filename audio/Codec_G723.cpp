#include "audio/Codec_G723.h"

#include <algorithm>
#include <climits>
#include <cstring>

int32_t Codec_G723::Decode(const uint8_t* payload, int32_t length, uint8_t* out)
{
    if (output.DropWhenFull()) {
        return 0;
    }
    if (payload == nullptr || out == nullptr || length <= 0) {
        return 0;
    }
    // Whole packets of 3072 bytes are whole groups of codes, so decoding in such pieces
    // gives what decoding the payload at once would.
    int32_t written = 0;
    for (int32_t at = 0; at < length; at += kG723PacketBytes) {
        const int32_t piece = std::min(kG723PacketBytes, length - at);
        const int32_t count = coder.Decode(payload + at, piece, decoded, kG723BufferSamples);
        if (at == 0 && count > 0) {
            memcpy(out, decoded, sizeof(int16_t) * static_cast<size_t>(count));
            written = count;
        }
    }
    return written;
}

int32_t Codec_G723::Encode(const int16_t* samples, int32_t count, uint8_t* out)
{
    const int64_t bytes = CG723Coder::EncodedBytes(count);
    return bytes <= INT32_MAX ? coder.Encode(samples, count, out, static_cast<int32_t>(bytes)) : 0;
}

void Codec_G723::BindOutput(const double (&gainTable)[kGainTableSize], const int32_t& gainIndex,
                            const std::atomic<int32_t>& pendingCount)
{
    output = OutputBinding{gainTable, &gainIndex, &pendingCount};
}

bool Codec_G723::IsBacklogged() const
{
    return output.Backlogged();
}
