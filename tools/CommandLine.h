// Walking a subcommand's arguments: its one path (a word without a leading dash), its options
// with or without values, --help, and a one-line complaint about anything else.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// What an option taker returns besides the number of arguments it took (1 or 2).
constexpr int kOptionUnknown = 0;
constexpr int kOptionReported = -1;     // wrong, and the taker has said why
constexpr int kOptionWrongValue = -2;   // the value is wrong or missing

// Takes option `name`; `value` is the argument after it, or null at the end.
using OptionTaker = std::function<int(const char* name, const char* value)>;

// -1 when every argument was taken, else the exit status: 0 after --help (the usage on
// standard output), 2 for a wrong argument ("kvrtool COMMAND: bad argument 'X'", then the
// usage, on standard error).
int WalkArguments(int argc, char** argv, const char* command, const char* usage, std::string* path,
                  const OptionTaker& take);

// The value of an option that takes a whole number from `low` to `high`: 2, or kOptionWrongValue.
int TakeInteger(const char* value, int64_t low, int64_t high, int32_t* number);
// The value of an option that takes a non-empty text: 2, or kOptionWrongValue.
int TakeText(const char* value, std::string* text);
