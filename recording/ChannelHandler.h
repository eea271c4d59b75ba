// The handler of one channel: a callback with the context it is handed back.
#pragma once

#include <cstdint>

// callback(context, message code, packet, length). Code 1026 with a packet lent for the
// duration of the call; code 0 with no packet for the playback loop's end notification.
using ChannelCallback = void (*)(void* context, int32_t message, const uint8_t* packet, uint32_t length);

constexpr int32_t kChannelPacketMessage = 1026;
constexpr int32_t kChannelEndMessage = 0;

struct ChannelHandler {
    void* context;
    ChannelCallback callback;
};
