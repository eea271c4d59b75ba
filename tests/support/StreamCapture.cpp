#include "tests/support/StreamCapture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

StreamCapture::StreamCapture(FILE* captured) : stream(captured)
{
    fflush(stream);
    sink = tmpfile();
    savedFd = dup(fileno(stream));
    if (sink == nullptr || savedFd < 0 || dup2(fileno(sink), fileno(stream)) < 0) {
        fprintf(stderr, "cannot capture a standard stream\n");
        abort();
    }
}

StreamCapture::~StreamCapture()
{
    fflush(stream);
    dup2(savedFd, fileno(stream));
    close(savedFd);
    fclose(sink);
}

std::string StreamCapture::Text()
{
    fflush(stream);
    std::string text;
    rewind(sink);
    char chunk[4096];
    size_t got = 0;
    while ((got = fread(chunk, 1, sizeof chunk, sink)) > 0) {
        text.append(chunk, got);
    }
    fseek(sink, 0, SEEK_END);
    return text;
}
