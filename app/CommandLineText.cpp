#include "app/CommandLineText.h"

std::string CommandLineText(int argc, const char* const* argv)
{
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            text += ' ';
        }
        text += argv[i] != nullptr ? argv[i] : "";
    }
    // The text starts where the first argument's first non-blank character is, the way a
    // program started from a single command string sees it.
    const size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first);
}

CommandLineRequest ClassifyCommandLine(const std::string& text)
{
    if (text == "--help") {
        return CommandLineRequest::kHelp;
    }
    if (text == "--version") {
        return CommandLineRequest::kVersion;
    }
    return CommandLineRequest::kRun;
}
