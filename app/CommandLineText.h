// The recording path a user gives when starting the player: the whole text after the program
// name, taken as one path and not parsed further.
#pragma once

#include <string>

// What the command line asks of the program.
enum class CommandLineRequest {
    kRun,       // start the player (with the text as the recording path when it is not empty)
    kHelp,      // exactly "--help"
    kVersion,   // exactly "--version"
};

// argv[1..] joined by single blanks, starting at the first non-blank character. Blanks inside an
// argument, trailing blanks and quotation marks stay as they are.
std::string CommandLineText(int argc, const char* const* argv);

// Only a text that is exactly one of the two options is taken as that request; anything else,
// "--help.kvr" or "--help " included, is a path.
CommandLineRequest ClassifyCommandLine(const std::string& text);
