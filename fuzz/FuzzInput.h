// Reading a fuzzer's input: single bytes, big-endian words and length-prefixed chunks, each
// giving zeros or an empty chunk once the input is used up. The seed maker writes the same
// layouts with the Append functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data(data), size(size) {}

    size_t Remaining() const { return size - position; }

    uint8_t Byte()
    {
        return position < size ? data[position++] : 0;
    }

    uint16_t Word16()
    {
        const uint16_t high = Byte();
        return static_cast<uint16_t>(high << 8 | Byte());
    }

    uint32_t Word32()
    {
        const uint32_t high = Word16();
        return high << 16 | Word16();
    }

    // A chunk of a 16-bit length and that many bytes (fewer at the end of the input), copied
    // into a block of exactly its own size so that a read past it is caught.
    std::vector<uint8_t> Chunk()
    {
        return Bytes(Word16());
    }

    std::vector<uint8_t> Bytes(size_t count)
    {
        const size_t taken = count < Remaining() ? count : Remaining();
        std::vector<uint8_t> bytes(data + position, data + position + taken);
        position += taken;
        return bytes;
    }

    std::vector<uint8_t> Rest() { return Bytes(Remaining()); }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

inline void AppendWord16(std::vector<uint8_t>* out, uint16_t value)
{
    out->push_back(static_cast<uint8_t>(value >> 8));
    out->push_back(static_cast<uint8_t>(value));
}

inline void AppendWord32(std::vector<uint8_t>* out, uint32_t value)
{
    AppendWord16(out, static_cast<uint16_t>(value >> 16));
    AppendWord16(out, static_cast<uint16_t>(value));
}

inline void AppendChunk(std::vector<uint8_t>* out, const uint8_t* bytes, size_t count)
{
    const size_t taken = count < 0xFFFF ? count : 0xFFFF;
    AppendWord16(out, static_cast<uint16_t>(taken));
    out->insert(out->end(), bytes, bytes + taken);
}

// Stops the fuzzer with a report when a promise of the code under test is broken.
#define FUZZ_CHECK(condition)                                                       \
    do {                                                                            \
        if (!(condition)) {                                                         \
            fprintf(stderr, "broken promise: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            abort();                                                                \
        }                                                                           \
    } while (0)
