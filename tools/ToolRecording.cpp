#include "tools/ToolRecording.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "recording/IndexPath.h"
#include "recording/MediaFileMng.h"
#include "tools/ToolArguments.h"

namespace {

// Why one file of the pair cannot serve, or an empty text when it looks usable.
std::string ProblemWith(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return strerror(errno);
    }
    struct stat status {};
    const int statResult = fstat(fileno(file), &status);
    fclose(file);
    if (statResult != 0) {
        return strerror(errno);
    }
    if (S_ISDIR(status.st_mode)) {
        return "is a directory";
    }
    if (status.st_size == 0) {
        return "file is empty";
    }
    if (status.st_size > INT32_MAX) {
        return "file is larger than 2 GiB - 1 byte, beyond what a recording can address";
    }
    return "";
}

}  // namespace

int32_t OpenRecordingForTool(MediaFileMng& manager, const std::string& mediaPath)
{
    const std::string indexPath = IndexPathFor(mediaPath);
    if (manager.Open(mediaPath.c_str(), indexPath.c_str()) == 0) {
        return 0;
    }
    for (const std::string& path : {mediaPath, indexPath}) {
        const std::string problem = ProblemWith(path);
        if (!problem.empty()) {
            fprintf(stderr, "kvrtool: %s: %s\n", path.c_str(), problem.c_str());
            return -1;
        }
    }
    fprintf(stderr, "kvrtool: %s: no index record can be read\n", indexPath.c_str());
    return -1;
}

bool OutputIsRecordingFile(const std::string& outPath, const std::string& mediaPath)
{
    for (const std::string& path : {mediaPath, IndexPathFor(mediaPath)}) {
        if (IsSameFile(outPath, path)) {
            fprintf(stderr, "kvrtool: %s: is a file of the recording; the recording is never written\n",
                    outPath.c_str());
            return true;
        }
    }
    return false;
}
