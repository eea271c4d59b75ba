// One stream of packets of a synthetic recording: audio of one track of one channel, or the
// video of a channel. The recording is the time-ordered merge of its sources.
#pragma once

#include <cstdint>

#include "Tav/TavPacketUtil.h"
#include "recording/RecordingWriter.h"

// Failures of a source and of the merge that writes the sources.
constexpr int32_t kSynthEncodeFailed = -1;     // an encoder failed
constexpr int32_t kSynthPacketTooLarge = -2;   // a coded frame does not fit the player's packet buffer
constexpr int32_t kSynthWriteFailed = -3;      // the recording could not be written
constexpr int32_t kSynthTooLong = -4;          // the media file would pass what an index can address

// Bytes the packet takes in the media file: header, option area and payload.
inline int64_t SynthPacketSize(const PacketSpec& spec)
{
    int64_t size = int64_t{kTavHeaderSize} + static_cast<int64_t>(spec.payload.size());
    for (const PacketOptionSpec& option : spec.options) {
        size += 2 + static_cast<int64_t>(option.data.size());
    }
    return size;
}

class SynthSource {
public:
    virtual ~SynthSource() = default;
    // Microseconds from the start of the recording to the source's next packet; -1 when the
    // source has no more.
    virtual int64_t NextTime() const = 0;
    // Fills `spec` with the next packet (type, sequence, unit, channel, options, payload; the merge
    // stamps the date) and `indexKind` with its index kind, and moves on. 0, or a failure code.
    virtual int32_t BuildNext(PacketSpec* spec, uint8_t* indexKind) = 0;
};
