// kvrtool's command line from outside: the input, split at zero bytes, is the argument list
// after the program's name. Only the arguments are read (no command runs, nothing is opened
// or written); the result must be "complete" or one of the exit statuses.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "tools/Commands.h"

namespace {

constexpr size_t kMostArguments = 24;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> words{"kvrtool"};
    std::string word;
    for (size_t i = 0; i < size && words.size() < kMostArguments; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word.push_back(static_cast<char>(data[i]));
        }
    }
    if (!word.empty() && words.size() < kMostArguments) {
        words.push_back(word);
    }
    std::vector<char*> argv;
    for (std::string& each : words) {
        argv.push_back(each.data());
    }
    argv.push_back(nullptr);
    const int result = RunKvrtool(static_cast<int>(words.size()), argv.data(), ToolAction::kCheckArguments);
    FUZZ_CHECK(result == -1 || result == 0 || result == 2);
    return 0;
}
