// Coded pictures for the decoder tests, made from the test pattern with the project's encoders,
// and the measures that tell a right picture from a wrong one.
#pragma once

#include <cstdint>
#include <vector>

#include "recording/RecordingWriter.h"
#include "video/DecodedFrame.h"

// The pattern of frame `index`, packed BGR, top row first.
std::vector<uint8_t> PatternPicture(uint32_t width, uint32_t height, uint32_t index, uint32_t seed = 0);

// A whole JPEG-typed packet (the header inside the stream) of pattern frame 0, with the header
// fields and options of `spec`.
std::vector<uint8_t> JpegPacketWith(const PacketSpec& spec, uint32_t width, uint32_t height);
// A whole JPEG-typed packet (the header inside the stream) of pattern frame `index`.
std::vector<uint8_t> JpegPacketOf(uint32_t width, uint32_t height, uint32_t index, bool grayscale = false);
// Packets of a stream (type 0x44 MPEG-4 or 0x45 H.264) of `count` pattern frames, key frame
// every `keyInterval`; the sequence number restarts at 0 on each key frame.
std::vector<std::vector<uint8_t>> StreamPacketsOf(VideoCodecId codec, uint32_t width, uint32_t height, uint32_t count,
                                                  uint32_t keyInterval);
// The payload of a packet built by the functions above.
std::vector<uint8_t> PayloadOf(const std::vector<uint8_t>& packet);

// Peak signal-to-noise ratio in dB between the frame (in its own row order) and a top-down
// picture of the same size.
double FramePsnr(const DecodedFrame& frame, const std::vector<uint8_t>& topDown);

// A frame buffer of the real capacity, freed with the holder.
struct FrameHolder {
    FrameHolder() { AllocateFramePixels(&frame); }
    ~FrameHolder() { FreeFramePixels(&frame); }
    FrameHolder(const FrameHolder&) = delete;
    FrameHolder& operator=(const FrameHolder&) = delete;
    // The picture now in the buffer, width x height x 3 bytes.
    std::vector<uint8_t> Bytes() const
    {
        return std::vector<uint8_t>(frame.pixels, frame.pixels + static_cast<size_t>(frame.width) * frame.height * 3);
    }
    DecodedFrame frame;
};
