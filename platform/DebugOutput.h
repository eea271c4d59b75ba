// Diagnostics meant for a developer, never for the user: the system log at debug priority.
// A test can take the texts instead, to check what was reported.
#pragma once

class DebugOutputSink {
public:
    virtual ~DebugOutputSink() = default;
    virtual void Write(const char* text) = 0;
};

// Sends `text` as it is; a null text is ignored.
void DebugOutputString(const char* text);

// Replaces the system log for the whole process; null restores it.
void DebugOutputSetSink(DebugOutputSink* sink);
