// Captures what is written to one of the process's standard streams while the capture lives.
#pragma once

#include <cstdio>
#include <string>

class StreamCapture {
public:
    explicit StreamCapture(FILE* stream);   // stdout or stderr
    ~StreamCapture();
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;

    // Everything written so far.
    std::string Text();

private:
    FILE* stream;
    int savedFd = -1;
    FILE* sink = nullptr;
};
