// The JPEG side of a view's decoder: one decompressor, kept from packet to packet and made
// afresh after a failure so that the next packet starts clean.
#pragma once

#include <cstdint>

struct DecodedFrame;

struct JpegDecoder {
    void* handle = nullptr;   // the decompressor; none after a failed re-creation
};

// Null when the decoder cannot be made.
JpegDecoder* CreateJpegDecoder();
void FreeJpegDecoder(JpegDecoder* decoder);
// Drops the decompressor's state and makes a new one.
void ResetJpegDecoder(JpegDecoder* decoder);

// Decodes a whole JPEG stream into the frame, bottom row first, packed BGR, grayscale expanded
// to three equal components. The header's size is set in the frame before the image data is
// read and stays when that fails. 0, or -1 on failure.
int32_t ReadJpegImage(JpegDecoder* decoder, const uint8_t* data, uint32_t length, DecodedFrame* frame);
