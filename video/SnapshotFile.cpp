#include "video/SnapshotFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Minus the current error number; EIO when a call failed without setting one.
int32_t FailureCode()
{
    return errno != 0 ? -errno : -EIO;
}

const char* MessageFor(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return "Access to %1 was denied.";
    case ENOENT:
        return "%1 was not found.";
    case ENOSPC:
    case EDQUOT:
        return "A disk full error occurred while writing %1.";
    case ENAMETOOLONG:
    case ENOTDIR:
    case ELOOP:
        return "%1 contains an invalid path.";
    default:
        return "An unexpected error occurred while accessing %1.";
    }
}

}  // namespace

int32_t WriteSnapshotFile(const std::string& path, const uint8_t* data, uint32_t size)
{
    errno = 0;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return FailureCode();
    }
    uint32_t done = 0;
    while (done < size) {
        errno = 0;
        const ssize_t n = write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // A write that takes nothing without an error means the device is full.
            const int32_t code = n == 0 ? -ENOSPC : FailureCode();
            close(fd);
            return code;
        }
        done += static_cast<uint32_t>(n);
    }
    errno = 0;
    if (close(fd) != 0) {
        return FailureCode();
    }
    return 0;
}

std::string SnapshotFileErrorText(int32_t result, const std::string& path)
{
    std::string text = MessageFor(-result);
    const size_t at = text.find("%1");
    text.replace(at, 2, path);
    return text;
}
