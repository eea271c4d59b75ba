#include "recording/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

ssize_t ReadAt(int fd, void* destination, size_t count, int64_t offset)
{
    ssize_t got = 0;
    do {
        got = pread(fd, destination, count, static_cast<off_t>(offset));
    } while (got < 0 && errno == EINTR);
    return got;
}

}  // namespace

FileReader::~FileReader()
{
    Close();
}

int32_t FileReader::Open(const char* path)
{
    Close();
    const int opened = open(path, O_RDONLY | O_CLOEXEC);
    if (opened < 0) {
        return -1;
    }
    struct stat status {};
    if (fstat(opened, &status) != 0 || S_ISDIR(status.st_mode)) {
        const int error = S_ISDIR(status.st_mode) ? EISDIR : errno;
        ::close(opened);
        errno = error;
        return -1;
    }
    // Left uninitialised: only the bytes a read brings in are ever looked at, and a small file
    // touches only the pages it fills.
    block.reset(new (std::nothrow) uint8_t[kBlockBytes]);
    if (block == nullptr) {
        ::close(opened);
        errno = ENOMEM;
        return -1;
    }
    fd = opened;
    blockStart = 0;
    blockFill = 0;
    position = 0;
    return 0;
}

void FileReader::Close()
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    block.reset();
    blockFill = 0;
}

int64_t FileReader::Size() const
{
    struct stat status {};
    if (fd < 0 || fstat(fd, &status) != 0) {
        return -1;
    }
    return status.st_size;
}

int32_t FileReader::Seek(int64_t newPosition)
{
    if (fd < 0 || newPosition < 0) {
        return -1;
    }
    position = newPosition;
    return 0;
}

int64_t FileReader::Fill(size_t wanted)
{
    // Moving backwards, keep what lies before the position; otherwise what follows it.
    int64_t start = position;
    if (position < blockStart) {
        start = std::max<int64_t>(0, position + static_cast<int64_t>(wanted) - static_cast<int64_t>(kBlockBytes));
    }
    const ssize_t got = ReadAt(fd, block.get(), kBlockBytes, start);
    if (got < 0) {
        blockFill = 0;
        return -1;
    }
    blockStart = start;
    blockFill = static_cast<size_t>(got);
    return got;
}

int64_t FileReader::ReadAcrossBlocks(void* destination, size_t count)
{
    if (fd < 0) {
        errno = EBADF;
        return -1;
    }
    auto* out = static_cast<uint8_t*>(destination);
    size_t done = 0;
    while (done < count) {
        const size_t left = count - done;
        if (position >= blockStart && position < blockStart + static_cast<int64_t>(blockFill)) {
            const size_t inBlock = static_cast<size_t>(blockStart + static_cast<int64_t>(blockFill) - position);
            const size_t n = std::min(left, inBlock);
            memcpy(out + done, block.get() + (position - blockStart), n);
            done += n;
            position += static_cast<int64_t>(n);
            continue;
        }
        if (left >= kBlockBytes) {
            const ssize_t got = ReadAt(fd, out + done, left, position);
            if (got < 0) {
                return -1;
            }
            if (got == 0) {
                break;
            }
            done += static_cast<size_t>(got);
            position += got;
            continue;
        }
        const int64_t filled = Fill(left);
        if (filled < 0) {
            return -1;
        }
        if (position >= blockStart + filled) {
            break;   // the file ends before the position
        }
    }
    return static_cast<int64_t>(done);
}

int32_t FileReader::Read(void* destination, size_t count)
{
    const int64_t got = ReadUpTo(destination, count);
    if (got < 0) {
        return -1;
    }
    return static_cast<size_t>(got) == count ? static_cast<int32_t>(count) : 0;
}

int32_t FileReader::ReadChunkAcrossBlocks(void* destination, size_t count, const char* what)
{
    const int32_t result = Read(destination, count);
    if (result < 0) {
        TavReportReadFailure(what, errno);
    }
    return result;
}
