#include "tests/app/ProcessCounts.h"

#include <dirent.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

std::vector<std::string> DirectoryEntries(const char* path)
{
    std::vector<std::string> names;
    DIR* directory = opendir(path);
    if (directory == nullptr) {
        return names;
    }
    while (dirent* entry = readdir(directory)) {
        if (entry->d_name[0] != '.') {
            names.emplace_back(entry->d_name);
        }
    }
    closedir(directory);
    return names;
}

std::string FirstLine(const std::string& path)
{
    std::string line;
    if (FILE* file = fopen(path.c_str(), "r")) {
        char buffer[64] = {};
        if (fgets(buffer, sizeof buffer, file) != nullptr) {
            line = buffer;
        }
        fclose(file);
    }
    while (!line.empty() && line.back() == '\n') {
        line.pop_back();
    }
    return line;
}

}  // namespace

std::vector<std::string> ProcessThreads()
{
    std::vector<std::string> threads;
    for (const std::string& id : DirectoryEntries("/proc/self/task")) {
        threads.push_back(FirstLine("/proc/self/task/" + id + "/comm"));
    }
    return threads;
}

std::map<int, std::string> ProcessDescriptors()
{
    std::map<int, std::string> descriptors;
    // The listing's own descriptor is gone again once the list is read; it is dropped below.
    const std::vector<std::string> names = DirectoryEntries("/proc/self/fd");
    for (const std::string& name : names) {
        char target[PATH_MAX];
        const std::string link = "/proc/self/fd/" + name;
        const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
        if (length > 0) {
            descriptors[atoi(name.c_str())] = std::string(target, static_cast<size_t>(length));
        }
    }
    return descriptors;
}

std::vector<std::string> ThreadsAdded(const std::vector<std::string>& before, const std::vector<std::string>& now)
{
    std::vector<std::string> left = now;
    for (const std::string& name : before) {
        const auto at = std::find(left.begin(), left.end(), name);
        if (at != left.end()) {
            left.erase(at);
        }
    }
    return left;
}

std::vector<std::string> DescriptorsAdded(const std::map<int, std::string>& before,
                                          const std::map<int, std::string>& now)
{
    std::vector<std::string> added;
    for (const auto& [fd, target] : now) {
        const auto at = before.find(fd);
        if (at == before.end() || at->second != target) {
            added.push_back(std::to_string(fd) + " -> " + target);
        }
    }
    return added;
}
