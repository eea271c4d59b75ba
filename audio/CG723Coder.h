// G.723 at 24 kbit/s: 3-bit codes packed 8 to every 3 bytes, least significant bits first.
// The encoder and the decoder each keep their state from construction on; nothing resets
// them, so a stream decodes correctly only through one coder from its start.
#pragma once

#include <cstdint>

#include "audio/G723State.h"

class CG723Coder {
public:
    virtual ~CG723Coder();

    // Unpacks and decodes `length` bytes into (length x 8) / 3 samples. Returns that count
    // (also when `out` is null, decoding nothing), or -1 when `capacity` samples are fewer.
    // A final group of one byte gives 2 codes, of two bytes 5.
    int32_t Decode(const uint8_t* data, int32_t length, int16_t* out, int32_t capacity);
    // Encodes and packs `count` samples into EncodedBytes(count) bytes, the unused bits of a
    // last short group zero. Returns the byte count (also when `out` is null, encoding
    // nothing), or -1 when `capacity` bytes are fewer.
    int32_t Encode(const int16_t* samples, int32_t count, uint8_t* out, int32_t capacity);

    static int64_t DecodedSamples(int64_t length) { return length > 0 ? length * 8 / 3 : 0; }
    static int64_t EncodedBytes(int64_t count) { return count > 0 ? (count * 3 + 7) / 8 : 0; }

    G723State encoderState;
    G723State decoderState;
};
