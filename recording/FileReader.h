// A read-only file with a block buffer of its own. Packets and index records are small and
// read one at a time, forwards or backwards; serving them from one large block keeps a read
// down to a copy. The file is never locked or written: a recorder may go on appending to it.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "Tav/TavPacketUtil.h"

class FileReader : public TavByteSource {
public:
    FileReader() = default;
    ~FileReader() override;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // 0, or -1 with errno set. The block is allocated here and freed by Close.
    int32_t Open(const char* path);
    void Close();
    bool IsOpen() const { return fd >= 0; }

    // Size of the file now, or -1.
    int64_t Size() const;
    // Moves the read position; no reading happens until the next read. 0, or -1 when closed
    // or for a negative position.
    int32_t Seek(int64_t position);
    int64_t Tell() const { return position; }
    // Forgets the bytes held, so that the next read sees the file as it is now.
    void Discard() { blockFill = 0; }

    // Reads up to `count` bytes: how many were read, fewer only where the file ends, or -1
    // when reading fails (errno set).
    int64_t ReadUpTo(void* destination, size_t count)
    {
        if (TakeFromBlock(destination, count)) {
            return static_cast<int64_t>(count);
        }
        return ReadAcrossBlocks(destination, count);
    }
    // Reads exactly `count` bytes: count, 0 when the file ends first, -1 on failure; the
    // position moves past whatever was read.
    int32_t Read(void* destination, size_t count);
    // Read, reporting failures the packet module's way.
    int32_t ReadChunk(void* destination, size_t count, const char* what) override
    {
        if (count <= static_cast<size_t>(INT32_MAX) && TakeFromBlock(destination, count)) {
            return static_cast<int32_t>(count);
        }
        return ReadChunkAcrossBlocks(destination, count, what);
    }

private:
    static constexpr size_t kBlockBytes = 256 * 1024;

    // Most reads lie inside the block: a copy and nothing else. A position before the block
    // gives an offset beyond any fill.
    bool TakeFromBlock(void* destination, size_t count)
    {
        const auto offset = static_cast<uint64_t>(position - blockStart);
        if (offset > blockFill || count > blockFill - offset) {
            return false;
        }
        memcpy(destination, block.get() + offset, count);
        position += static_cast<int64_t>(count);
        return true;
    }

    int64_t ReadAcrossBlocks(void* destination, size_t count);
    int32_t ReadChunkAcrossBlocks(void* destination, size_t count, const char* what);
    // Loads the block so that it holds `position`; reading backwards loads the bytes before it.
    int64_t Fill(size_t wanted);

    int fd = -1;
    std::unique_ptr<uint8_t[]> block;
    int64_t blockStart = 0;
    size_t blockFill = 0;
    int64_t position = 0;
};
