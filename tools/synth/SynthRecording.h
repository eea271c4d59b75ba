// Writes the packets of several sources into one recording, in the order of their times.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "recording/RecordingWriter.h"
#include "tools/synth/SynthSource.h"

// Date fields, hundredths and `time` of a packet `micros` after the start. `startSeconds` is
// the recorder's wall-clock time counted as seconds since 1970 without a zone, which is how
// the player's caption reads `time` back.
void StampPacketTime(PacketSpec* spec, int64_t startSeconds, int64_t micros);

// Writes every packet of every source; at equal times the earlier source goes first.
// The number of packets written, or the failing source's code, or kSynthWriteFailed.
int64_t WriteSynthPackets(RecordingWriter& writer, const std::vector<std::unique_ptr<SynthSource>>& sources,
                          int64_t startSeconds);
