// A view's decoder over packets from outside, for the codec this target is built for
// (FUZZ_VIDEO_TYPE, the packet type byte): the input is a run of length-prefixed packets, and
// every input goes on through the one decoder state, as a view's packets do for as long as a
// recording plays (a finding may need the inputs before it to show). Each packet keeps its own
// header bytes, except that its type is this codec's and its lengths agree with its size, as
// the packet reader guarantees before a view sees a packet.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "Tav/TavPacketUtil.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzQuiet.h"
#include "video/DecodedFrame.h"
#include "video/FrameDecoder.h"

namespace {

DecodedFrame gFrame;   // a view's frame buffer and decoder live as long as the view
FrameDecoder* gDecoder = nullptr;

void MakeConsistent(std::vector<uint8_t>* packet)
{
    uint8_t* bytes = packet->data();
    bytes[0] = FUZZ_VIDEO_TYPE;
    const uint32_t total = static_cast<uint32_t>(packet->size());
    const uint32_t headerLength = TavGetHeaderLength(bytes);
    if (headerLength < static_cast<uint32_t>(kTavMinHeaderLength) || headerLength + 4 > total) {
        const uint16_t fixedLength = static_cast<uint16_t>(kTavMinHeaderLength);
        bytes[offsetof(PacketHeader, headerLength)] = static_cast<uint8_t>(fixedLength >> 8);
        bytes[offsetof(PacketHeader, headerLength) + 1] = static_cast<uint8_t>(fixedLength);
    }
    const size_t at = offsetof(PacketHeader, totalLength);
    bytes[at] = static_cast<uint8_t>(total >> 24);
    bytes[at + 1] = static_cast<uint8_t>(total >> 16);
    bytes[at + 2] = static_cast<uint8_t>(total >> 8);
    bytes[at + 3] = static_cast<uint8_t>(total);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QuietPacketReports();
    av_log_set_level(AV_LOG_QUIET);
    gDecoder = CreateFrameDecoder();
    if (gDecoder == nullptr || !AllocateFramePixels(&gFrame)) {
        abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    for (int packets = 0; packets < 48 && input.Remaining() > 0; ++packets) {
        std::vector<uint8_t> packet = input.Chunk();
        if (packet.size() < static_cast<size_t>(kTavHeaderSize) + 4) {
            continue;
        }
        MakeConsistent(&packet);
        const int32_t result = DecodeVideoPacket(packet.data(), static_cast<uint32_t>(packet.size()), gDecoder, &gFrame);
        FUZZ_CHECK(result == kDecodeOk || result == kDecodeRejected || result == kDecodeJpegCreateFailed);
        FUZZ_CHECK(FrameSizeFits(gFrame.width, gFrame.height));
    }
    return 0;
}
