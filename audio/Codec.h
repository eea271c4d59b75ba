// The audio decoder base class. An output owns one codec for the codec id it was opened for
// and calls Decode once for every packet it plays. The virtual operations keep this order.
#pragma once

#include <atomic>
#include <cstdint>

constexpr int32_t kGainTableSize = 21;

class Codec {
public:
    virtual ~Codec();
    // Decodes one payload into `out`. Above 0: `out` holds data to play; 0 or less: nothing.
    virtual int32_t Decode(const uint8_t* payload, int32_t length, uint8_t* out);
    // The reverse direction, for writing recordings.
    virtual int32_t Encode(const int16_t* samples, int32_t count, uint8_t* out);
    // Read access to the owning output's gain table, gain index and pending count, which must
    // outlive the codec. The pending count is changed by two threads, hence atomic.
    virtual void BindOutput(const double (&gainTable)[kGainTableSize], const int32_t& gainIndex,
                            const std::atomic<int32_t>& pendingCount);
    // True when the output's device queue is long enough that the reader should slow down.
    virtual bool IsBacklogged() const;
};
