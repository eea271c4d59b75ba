#include "audio/Codec_G711.h"

#include <cstring>

namespace {

int32_t CopyBytes(const void* from, int32_t length, uint8_t* out)
{
    if (from == nullptr || out == nullptr || length <= 0) {
        return 0;
    }
    memcpy(out, from, static_cast<size_t>(length));
    return 1;
}

}  // namespace

int32_t Codec_G711::Decode(const uint8_t* payload, int32_t length, uint8_t* out)
{
    return CopyBytes(payload, length, out);
}

int32_t Codec_G711::Encode(const int16_t* samples, int32_t count, uint8_t* out)
{
    return CopyBytes(samples, count, out);
}

void Codec_G711::BindOutput(const double (&)[kGainTableSize], const int32_t&, const std::atomic<int32_t>& pending)
{
    output = OutputBinding{nullptr, nullptr, &pending};
}

bool Codec_G711::IsBacklogged() const
{
    return output.Backlogged();
}
