// Writes a snapshot file and words the failure for the user.
#pragma once

#include <cstdint>
#include <string>

// Creates or truncates the file at `path` and writes `size` bytes of `data` (none: an empty
// file). 0, or minus the system's error number when creating, writing or closing failed.
int32_t WriteSnapshotFile(const std::string& path, const uint8_t* data, uint32_t size);

// The message shown for a failed WriteSnapshotFile, e.g. "Access to /x/y.jpg was denied.".
std::string SnapshotFileErrorText(int32_t result, const std::string& path);
