#include "tests/support/ToolRun.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/support/TempDir.h"

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

ToolRun RunTool(const std::string& program, const std::string& arguments)
{
    TempDir dir;
    const std::string command =
        "'" + program + "' " + arguments + " >'" + dir.File("out") + "' 2>'" + dir.File("err") + "'";
    ToolRun run;
    const int raw = system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Slurp(dir.File("out"));
    run.err = Slurp(dir.File("err"));
    return run;
}

std::string Quoted(const std::string& path)
{
    return "'" + path + "'";
}
