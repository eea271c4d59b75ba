// The log composer's layout block: 172 bytes owned by the composer, of which the views read
// two 32-bit fields, the number of text items and the mask of the items to compose.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kComposerLayoutSize = 172;
constexpr size_t kComposerItemCountOffset = 0;
constexpr size_t kComposerItemMaskOffset = 136;
// A text item is at most this long, its terminating zero included.
constexpr int32_t kComposerTextCapacity = 128;

struct ComposerLayout {
    uint8_t bytes[kComposerLayoutSize] = {};

    int32_t ItemCount() const { return ReadInt32(kComposerItemCountOffset); }
    uint32_t ItemMask() const { return static_cast<uint32_t>(ReadInt32(kComposerItemMaskOffset)); }

private:
    int32_t ReadInt32(size_t offset) const
    {
        // Host order: the block is the composer's own, never stored in a file.
        int32_t value = 0;
        __builtin_memcpy(&value, bytes + offset, sizeof value);
        return value;
    }
};
static_assert(sizeof(ComposerLayout) == kComposerLayoutSize);
