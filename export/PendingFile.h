// A file written under a temporary name beside its final path and moved there only when it is
// complete, so a failed or interrupted write leaves whatever stood at the path untouched.
#pragma once

#include <cstdint>
#include <string>

class PendingFile {
public:
    explicit PendingFile(std::string finalPath) : finalPath(std::move(finalPath)) {}
    ~PendingFile();   // removes the temporary file unless it was committed
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates an empty temporary file with the permissions a new file would get. 0, or -1 with
    // errno set.
    int32_t Create();
    const std::string& TemporaryPath() const { return temporaryPath; }
    // Moves the temporary file to the final path. 0, or -1 with errno set.
    int32_t Commit();

private:
    std::string finalPath;
    std::string temporaryPath;
};
