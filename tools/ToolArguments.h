// Reading the values of command-line options.
#pragma once

#include <cstdint>
#include <string>

// A whole decimal number from `low` to `high`, nothing else in the text.
bool ParseIntegerArgument(const char* text, int64_t low, int64_t high, int32_t* value);

// True when both paths name one existing file (through links or other spellings).
bool IsSameFile(const std::string& first, const std::string& second);
