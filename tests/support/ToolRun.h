// Runs a command line through the shell and collects what it printed.
#pragma once

#include <string>

struct ToolRun {
    int status = -1;     // exit status
    std::string out;     // standard output
    std::string err;     // standard error
};

// `arguments` is appended to the program path as it stands (quote paths with spaces).
ToolRun RunTool(const std::string& program, const std::string& arguments);

// A path in single quotes for the shell.
std::string Quoted(const std::string& path);
