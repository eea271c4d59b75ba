// Collects the packet module's reports while it lives.
#pragma once

#include <cstdio>
#include <string>

#include "Tav/TavPacketUtil.h"

class TavReportLog {
public:
    TavReportLog() : sink(tmpfile()) { TavSetReportStream(sink); }
    ~TavReportLog()
    {
        TavSetReportStream(nullptr);
        fclose(sink);
    }
    TavReportLog(const TavReportLog&) = delete;
    TavReportLog& operator=(const TavReportLog&) = delete;

    std::string Text()
    {
        fflush(sink);
        std::string text;
        rewind(sink);
        int c = 0;
        while ((c = fgetc(sink)) != EOF) {
            text += static_cast<char>(c);
        }
        return text;
    }

private:
    FILE* sink;
};
