#include "recording/QelSmartLcid2Callback.h"

void QelSmartLcid2Callback::Clear()
{
    handlers.clear();
    for (ChannelHandler& entry : table) {
        entry = ChannelHandler{nullptr, nullptr};
    }
}

void QelSmartLcid2Callback::Register(int32_t channelNumber, ChannelHandler handler)
{
    handlers.erase(channelNumber);
    handlers.emplace(channelNumber, handler);
    if (channelNumber >= 0 && channelNumber < kTableSize) {
        table[channelNumber] = handler;
    }
}

ChannelHandler QelSmartLcid2Callback::Lookup(int32_t channelNumber) const
{
    if (channelNumber >= 0 && channelNumber < kTableSize) {
        return table[channelNumber];
    }
    const auto found = handlers.find(channelNumber);
    return found == handlers.end() ? ChannelHandler{nullptr, nullptr} : found->second;
}

int32_t QelSmartLcid2Callback::Count() const
{
    return static_cast<int32_t>(handlers.size());
}
