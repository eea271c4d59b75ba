#include "tools/ReadOnlyRecording.h"

#include "tools/ToolRecording.h"

int32_t ReadOnlyRecording::Open(const std::string& mediaPath)
{
    return OpenRecordingForTool(manager, mediaPath);
}
