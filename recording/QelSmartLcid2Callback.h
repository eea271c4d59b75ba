// The channel handler registry: channel number to the handler of that channel's view.
#pragma once

#include <cstdint>
#include <map>

#include "recording/ChannelHandler.h"

class QelSmartLcid2Callback {
public:
    virtual ~QelSmartLcid2Callback() = default;

    void Clear();
    // Replaces any handler registered under the channel number.
    void Register(int32_t channelNumber, ChannelHandler handler);
    // The registered handler, or two nulls.
    ChannelHandler Lookup(int32_t channelNumber) const;
    int32_t Count() const;

private:
    std::map<int32_t, ChannelHandler> handlers;

    // The usual channel numbers are also kept in a table, so the lookup made for every packet
    // played is one index instead of a tree walk.
    static constexpr int32_t kTableSize = 128;
    ChannelHandler table[kTableSize] = {};
};
