// In-place adjustments the camera view makes to frames of certain sizes after decoding.
#pragma once

#include <cstdint>

struct DecodedFrame;

// Two fields stacked one above the other (first the field of the odd rows, then that of the
// even rows) woven into one frame: output row 2k is input row H/2 + k, row 2k + 1 is input row
// k. Only for heights 480 and 576; other frames are left alone.
void WeaveFields(uint8_t* pixels, uint32_t width, uint32_t height);

// Doubles the rows of a frame that holds one field: rows 0 and 1 are input row 0, row 2i is
// the average of input rows i - 1 and i, row 2i + 1 is input row i. The height doubles; a frame
// whose doubled height would not fit the buffer is left alone.
void DoubleLines(DecodedFrame* frame);

// Keeps every other pixel of the frame read as one run of pixels; the width halves.
void HalveWidth(DecodedFrame* frame);

// What a camera view does to every frame after decoding it: a field-stacked frame (bit 15 of
// the packet's option mask) is woven when shown at its natural size in an area larger than
// itself, else its upper field is kept and its rows doubled; then 352 x 112 and 352 x 144
// frames are halved in width and 704 x 240 and 704 x 288 frames doubled in height.
void AdjustFrameForView(DecodedFrame* frame, uint16_t optionMask, bool naturalSize, uint32_t areaWidth,
                        uint32_t areaHeight);
