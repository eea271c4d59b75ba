// The index kinds of synthetic recordings. A recorder gives its records a handful of kinds,
// and the reader stops at some and passes over others depending on the direction, so the
// sample recordings use each sort in turn: every stop rule of forward, backward and
// positioned reading then meets its cases.
#pragma once

#include <cstdint>

// Key frames (every JPEG picture, and stream frames of sequence 0): 0x00, 0x10 and 0x50 in
// turn, the only kinds at which backward reading stops.
uint8_t SynthKeyFrameKind(int64_t keyFrameNumber);
// Other video frames: the remaining kinds with low nibble 0 (0x20 to 0xF0 without 0x50) in
// turn; forward reading stops at them, backward reading passes over them.
uint8_t SynthOtherFrameKind(int64_t frameNumber);
// Audio blocks: 0x12, 0x32 and 0x92 in turn, the audio kinds at which forward reading stops.
uint8_t SynthAudioKind(int64_t packetNumber);
