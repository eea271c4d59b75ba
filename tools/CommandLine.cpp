#include "tools/CommandLine.h"

#include <cstdio>
#include <cstring>

#include "tools/ToolArguments.h"

int WalkArguments(int argc, char** argv, const char* command, const char* usage, std::string* path,
                  const OptionTaker& take)
{
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            fputs(usage, stdout);
            return 0;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        int taken = 1;
        if (argv[i][0] == '-') {
            taken = take(argv[i], value);
        } else if (path->empty()) {
            *path = argv[i];
        } else {
            taken = kOptionUnknown;
        }
        if (taken == kOptionReported) {
            return 2;
        }
        if (taken <= 0) {
            const bool showValue = taken == kOptionWrongValue && value != nullptr;
            fprintf(stderr, "kvrtool %s: bad argument '%s'%s%s%s\n%s", command, argv[i], showValue ? " '" : "",
                    showValue ? value : "", showValue ? "'" : "", usage);
            return 2;
        }
        i += taken - 1;
    }
    return -1;
}

int TakeInteger(const char* value, int64_t low, int64_t high, int32_t* number)
{
    return value != nullptr && ParseIntegerArgument(value, low, high, number) ? 2 : kOptionWrongValue;
}

int TakeText(const char* value, std::string* text)
{
    if (value == nullptr || value[0] == '\0') {
        return kOptionWrongValue;
    }
    *text = value;
    return 2;
}
