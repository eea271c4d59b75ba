// The events of a synthetic recording: one begins every two seconds, cycling through motion,
// alarm input, video loss, tamper and a note, and every video packet carries the event in
// progress as option 8, so a view shows a text from its first frame and after any seek.
#pragma once

#include <cstdint>

#include "recording/RecordingWriter.h"

constexpr int32_t kSynthEventSeconds = 2;
// Event times are 32-bit: the views show none from 2038-01-19 03:14:08 on.
constexpr int64_t kSynthLastEventTime = 0x7FFFFFFF;

// Option 8 of a video packet `micros` after the start of a recording that began at
// `startSeconds` (the recorder's wall-clock time counted as seconds since 1970): the event
// begun last, dated with the packet's own second, shown (flags 0x87) and from source 0.
PacketOptionSpec SynthEventOption(int64_t startSeconds, int64_t micros);
