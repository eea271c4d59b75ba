// Little-endian fields of the file headers the tools write (WAV, BMP).
#pragma once

#include <cstdint>

inline void PutLittle16(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void PutLittle32(uint8_t* at, uint32_t value)
{
    PutLittle16(at, value & 0xFFFF);
    PutLittle16(at + 2, value >> 16);
}
