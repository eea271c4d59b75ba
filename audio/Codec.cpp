#include "audio/Codec.h"

Codec::~Codec() = default;

int32_t Codec::Decode(const uint8_t*, int32_t, uint8_t*)
{
    return 0;
}

int32_t Codec::Encode(const int16_t*, int32_t, uint8_t*)
{
    return 0;
}

void Codec::BindOutput(const double (&)[kGainTableSize], const int32_t&, const std::atomic<int32_t>&) {}

bool Codec::IsBacklogged() const
{
    return true;
}
