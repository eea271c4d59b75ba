// Runs the kvrtool under test; its test target defines KVRTOOL_PATH.
#pragma once

#include <string>

#include "tests/support/ToolRun.h"

#ifndef KVRTOOL_PATH
#error "the test target must define KVRTOOL_PATH, the kvrtool under test"
#endif

inline ToolRun Kvrtool(const std::string& arguments)
{
    return RunTool(KVRTOOL_PATH, arguments);
}
