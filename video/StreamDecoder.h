// The MPEG-4 and H.264 side of a view's decoder: a codec context opened for one stream codec and
// the cached conversion context to the view's packed BGR frame.
#pragma once

#include <cstdint>

#include "video/PlanarPicture.h"
#include "video/VideoCodecId.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;
struct DecodedFrame;

struct StreamDecoder {
    AVCodecContext* decoderContext = nullptr;
    SwsContext* scaler = nullptr;
    VideoCodecId streamCodecId = kVideoCodecNone;
    bool opened = false;
    // The library's packet and picture records and a copy of the payload with the zeroed tail
    // the library reads past the end: made at opening and reused for every packet.
    AVPacket* packet = nullptr;
    AVFrame* decoded = nullptr;
    uint8_t* input = nullptr;
    // The last picture converted into the frame, in the decoder's own planes, and the conversion
    // of it to the size a view draws it at.
    AVFrame* lastPicture = nullptr;
    SwsContext* shownScaler = nullptr;
    uint64_t picturesConverted = 0;   // into the frame, since the decoder was made
    uint64_t picturesDecoded = 0;     // converted or not
};

StreamDecoder* CreateStreamDecoder();
// Closes it first.
void DeleteStreamDecoder(StreamDecoder* decoder);

// Opens the decoder for MPEG-4 (13) or H.264 (28). 0, or -2 with one line on standard error,
// leaving the decoder without context or descriptor.
int32_t OpenStreamDecoder(StreamDecoder* decoder, VideoCodecId codec);
void CloseStreamDecoder(StreamDecoder* decoder);

// Decodes one payload and converts every picture it yields into the frame at its own size;
// the last one stays. Sets the frame's size from the context. 0, or -1 on failure (the frame's
// size then stays as it was). A decoder that is not open is never used: -1. Without `convert`, the
// frame is left alone and the picture stays only in the decoder's own planes (LastPicture).
int32_t DecodeAndConvert(StreamDecoder* decoder, const uint8_t* data, int32_t size, DecodedFrame* frame,
                         bool convert = true);

// The last picture decoded, in the decoder's planes, valid until the next decode; no data when
// there is none.
PlanarPicture LastPicture(const StreamDecoder* decoder);

// Converts the last picture DecodeAndConvert wrote into the frame, from the decoder's own planes,
// to `width` x `height` packed BGR, top row first, area-averaged, into `to`. 0, or -1 when there
// is no such picture or a size does not fit a frame buffer.
int32_t ConvertLastPicture(StreamDecoder* decoder, uint32_t width, uint32_t height, DecodedFrame* to);

// The payloads a stream decoder takes at the most (the playback loop's packet buffer).
constexpr int32_t kStreamInputCapacity = 512000;
