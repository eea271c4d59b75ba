// Pictures for sample recordings and tests: a pattern that moves and differs from frame to
// frame, so a wrong, late or repeated frame shows at a glance and by measure.
#pragma once

#include <cstdint>

// Draws frame `frameIndex` of channel `channelSeed` as packed BGR, top row first, into
// `width` x `height` x 3 bytes: colour ramps that drift, a bar that sweeps across, and the
// frame number written as a row of black and white blocks.
void DrawTestPattern(uint8_t* bgr, uint32_t width, uint32_t height, uint32_t frameIndex, uint32_t channelSeed);
