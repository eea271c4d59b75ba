// The fuzzers feed damaged bytes on purpose: the refusals the code reports are expected, and
// printing millions of them would only slow the run.
#pragma once

#include <cstdio>

#include "Tav/TavPacketUtil.h"

inline void QuietPacketReports()
{
    static FILE* sink = fopen("/dev/null", "w");
    if (sink != nullptr) {
        TavSetReportStream(sink);
    }
}
