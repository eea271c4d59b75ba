// One stream of packets of a synthetic recording: audio of one track of one channel, and
// later the video of a channel. The recording is the time-ordered merge of its sources.
#pragma once

#include <cstdint>

#include "recording/RecordingWriter.h"

class SynthSource {
public:
    virtual ~SynthSource() = default;
    // Microseconds from the start of the recording to the source's next packet; -1 when the
    // source has no more.
    virtual int64_t NextTime() const = 0;
    // Fills `spec` with the next packet (type, sequence, unit, channel, payload; the merge
    // stamps the date) and `indexKind` with its index kind, and moves on. 0, or -1 on failure.
    virtual int32_t BuildNext(PacketSpec* spec, uint8_t* indexKind) = 0;
};
