// A view's decoder state and the one entry point that decodes a video packet into the view's
// frame. A view decodes one stream at a time: switching between JPEG and the stream codecs, or
// between MPEG-4 and H.264, releases the previous decoder and makes the new one.
#pragma once

#include <cstdint>

#include "video/PlanarPicture.h"
#include "video/VideoCodecId.h"

struct DecodedFrame;
struct JpegDecoder;
struct StreamDecoder;

struct FrameDecoder {
    StreamDecoder* streamDecoder = nullptr;
    VideoCodecId activeCodec = kVideoCodecNone;   // the decoder now alive
    JpegDecoder* jpegProperties = nullptr;
    bool fresh = false;   // the stream decoder was just made or reopened: decode its next packet twice
};

// Result codes of DecodeVideoPacket.
constexpr int32_t kDecodeOk = 0;
constexpr int32_t kDecodeJpegCreateFailed = -1;
constexpr int32_t kDecodeNotVideo = -100;    // not JPEG, MPEG-4 or H.264: nothing decoded, codec 0
constexpr int32_t kDecodeRejected = -101;    // the decoder rejected the packet

// Null when memory is short.
FrameDecoder* CreateFrameDecoder();
// Releases both decoders, then the state itself. Null is ignored.
void DestroyFrameDecoder(FrameDecoder* decoder);

// `packet` is the whole packet, header first, `totalLength` its length. Sets the frame's codec
// before decoding; for the stream codecs a packet that yields no picture still succeeds. Without
// `convert`, a stream codec's picture stays in the decoder's own planes (DecodedPlanes) and the
// frame is left alone; JPEG always decodes into the frame.
int32_t DecodeVideoPacket(const uint8_t* packet, uint32_t totalLength, FrameDecoder* decoder, DecodedFrame* frame,
                          bool convert = true);

// The stream decoder's last picture (the one its last good decode left in the frame) converted
// straight from its own planes to `width` x `height`, top row first. -1 when the decoder alive is
// not a stream decoder or has no picture: the caller converts the frame instead.
int32_t ConvertDecodedPicture(FrameDecoder* decoder, uint32_t width, uint32_t height, DecodedFrame* to);
// Pictures the stream decoder has written into a frame: a change across a decode tells that the
// frame now holds the decoder's last picture.
uint64_t StreamPicturesConverted(const FrameDecoder* decoder);
// Pictures the stream decoder has given out, converted or not.
uint64_t StreamPicturesDecoded(const FrameDecoder* decoder);
// The stream decoder's last picture in its own planes, valid until its next decode; no data when
// the decoder alive is not a stream decoder or has none.
PlanarPicture DecodedPlanes(const FrameDecoder* decoder);
