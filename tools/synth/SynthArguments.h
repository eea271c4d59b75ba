// The values of kvrtool synth's options: stream lists, picture size, start time.
#pragma once

#include <cstdint>

#include "tools/synth/SynthAudioSource.h"
#include "tools/synth/SynthVideoSource.h"

// U:C:CODEC[:TRACK], unit 0 to 31, channel 1 to 4, g711|g723|ima, track 0 to 3.
bool ParseAudioStream(const char* text, SynthAudioStream* stream);
// U:C:CODEC, unit 0 to 31, channel 1 to 4, jpeg|mpeg4|h264.
bool ParseVideoStream(const char* text, SynthVideoStream* stream);
// WxH, each 16 to 4096, within the player's frame buffer.
bool ParseFrameSize(const char* text, uint32_t* width, uint32_t* height);
// The wall-clock time as seconds since 1970 without a zone, from YYYY-MM-DDTHH:MM:SS, years
// 2001 to 2099.
bool ParseStart(const char* text, int64_t* seconds);
