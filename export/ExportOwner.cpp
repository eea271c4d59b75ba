#include "export/ExportOwner.h"

ChannelHandler ExportOwner::ViewHandler(int32_t)
{
    return ChannelHandler{nullptr, nullptr};
}
