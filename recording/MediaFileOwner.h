// What the media file manager needs of whoever shows the channels: views to create, the
// handler of each view, and the registry to fill. The main dialog implements it for the
// program; tools and tests implement it without any window.
#pragma once

#include <cstdint>

#include "recording/ChannelHandler.h"

class QelSmartLcid2Callback;

class MediaFileOwner {
public:
    virtual ~MediaFileOwner() = default;
    // Makes at least `count` views when it can; returns how many views there are.
    virtual int32_t CreateViews(int32_t count) = 0;
    // Context and callback of view `index`, below the count CreateViews returned.
    virtual ChannelHandler ViewHandler(int32_t index) = 0;
    virtual QelSmartLcid2Callback* Registry() = 0;
};
