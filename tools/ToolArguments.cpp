#include "tools/ToolArguments.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

bool ParseIntegerArgument(const char* text, int64_t low, int64_t high, int32_t* value)
{
    char* end = nullptr;
    errno = 0;
    const long long parsed = strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || parsed < low || parsed > high) {
        return false;
    }
    *value = static_cast<int32_t>(parsed);
    return true;
}

bool IsSameFile(const std::string& first, const std::string& second)
{
    struct stat a {};
    struct stat b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}
