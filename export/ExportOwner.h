// The media file manager's owner during an export: no views and no handlers, since the
// exporter takes every packet from the reads themselves.
#pragma once

#include <cstdint>

#include "recording/MediaFileOwner.h"
#include "recording/QelSmartLcid2Callback.h"

class ExportOwner : public MediaFileOwner {
public:
    int32_t CreateViews(int32_t count) override { return count; }
    ChannelHandler ViewHandler(int32_t index) override;
    QelSmartLcid2Callback* Registry() override { return &registry; }

private:
    QelSmartLcid2Callback registry;
};
