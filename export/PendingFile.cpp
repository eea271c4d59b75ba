#include "export/PendingFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

PendingFile::~PendingFile()
{
    if (!temporaryPath.empty()) {
        remove(temporaryPath.c_str());
    }
}

int32_t PendingFile::Create()
{
    // Beside the final path, so that the move stays within one file system.
    std::string pattern = finalPath + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        return -1;
    }
    temporaryPath = name.data();
    // mkstemp makes the file private; give it what the process would give a new file.
    const mode_t mask = umask(0);
    umask(mask);
    const int changed = fchmod(descriptor, 0666 & ~mask);
    close(descriptor);
    return changed == 0 ? 0 : -1;
}

int32_t PendingFile::Commit()
{
    if (temporaryPath.empty() || rename(temporaryPath.c_str(), finalPath.c_str()) != 0) {
        return -1;
    }
    temporaryPath.clear();
    return 0;
}
