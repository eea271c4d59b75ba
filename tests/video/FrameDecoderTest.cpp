#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "Tav/TavPacketUtil.h"
#include "tests/support/StreamCapture.h"
#include "tests/video/ReferenceDecode.h"
#include "tests/video/VideoFixtures.h"
#include "video/FrameDecoder.h"
#include "video/JpegEncoder.h"
#include "video/StreamDecoder.h"

#include <turbojpeg.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include <algorithm>

namespace {

// The right picture decodes above the first (about 29 dB for JPEG at quality 90); the pattern's
// next frame or an upside-down picture stays below the second (13 and 8 dB).
constexpr double kRightPicture = 24.0;
constexpr double kWrongPicture = 18.0;

struct DecoderHolder {
    DecoderHolder() : decoder(CreateFrameDecoder()) {}
    ~DecoderHolder() { DestroyFrameDecoder(decoder); }
    DecoderHolder(const DecoderHolder&) = delete;
    DecoderHolder& operator=(const DecoderHolder&) = delete;
    int32_t Decode(const std::vector<uint8_t>& packet, DecodedFrame* frame)
    {
        return DecodeVideoPacket(packet.data(), static_cast<uint32_t>(packet.size()), decoder, frame);
    }
    FrameDecoder* decoder;
};

}  // namespace

TEST(JpegDecode, BottomUpBgrOfTheWholePacket)
{
    // 174 pixels: rows of 522 bytes, not a whole number of 4-byte units, stay packed.
    for (const uint32_t width : {176u, 174u}) {
        DecoderHolder holder;
        FrameHolder frame;
        ASSERT_EQ(holder.Decode(JpegPacketOf(width, 144, 5), &frame.frame), kDecodeOk);
        EXPECT_EQ(frame.frame.codec, kVideoCodecJpeg);
        EXPECT_EQ(frame.frame.width, width);
        EXPECT_EQ(frame.frame.height, 144u);
        EXPECT_GT(FramePsnr(frame.frame, PatternPicture(width, 144, 5)), kRightPicture);
        EXPECT_LT(FramePsnr(frame.frame, PatternPicture(width, 144, 6)), kWrongPicture);
        frame.frame.codec = kVideoCodecMpeg4;   // read top-down, the picture is upside down
        EXPECT_LT(FramePsnr(frame.frame, PatternPicture(width, 144, 5)), kWrongPicture);
    }
}

TEST(JpegDecode, GrayscaleGivesThreeEqualComponents)
{
    DecoderHolder holder;
    FrameHolder frame;
    ASSERT_EQ(holder.Decode(JpegPacketOf(64, 48, 1, true), &frame.frame), kDecodeOk);
    const std::vector<uint8_t> bytes = frame.Bytes();
    ASSERT_EQ(bytes.size(), 64u * 48 * 3);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        ASSERT_EQ(bytes[i], bytes[i + 1]) << i;
        ASSERT_EQ(bytes[i], bytes[i + 2]) << i;
    }
}

TEST(JpegDecode, DamagedDataKeepsTheHeaderSizeAndTheNextPacketDecodes)
{
    DecoderHolder holder;
    FrameHolder frame;
    std::vector<uint8_t> damaged = JpegPacketOf(160, 120, 2);
    damaged.resize(damaged.size() * 2 / 3);   // the scan is cut off
    EXPECT_EQ(holder.Decode(damaged, &frame.frame), kDecodeRejected);
    EXPECT_EQ(frame.frame.width, 160u);
    EXPECT_EQ(frame.frame.height, 120u);

    std::vector<uint8_t> noHeader = JpegPacketOf(160, 120, 2);
    noHeader.resize(70);   // nothing but the packet header
    EXPECT_EQ(holder.Decode(noHeader, &frame.frame), kDecodeRejected);
    EXPECT_EQ(frame.frame.width, 0u);
    EXPECT_EQ(frame.frame.height, 0u);

    ASSERT_EQ(holder.Decode(JpegPacketOf(160, 120, 3), &frame.frame), kDecodeOk);
    EXPECT_GT(FramePsnr(frame.frame, PatternPicture(160, 120, 3)), kRightPicture);
}

TEST(JpegDecode, OtherComponentCountsAreRejected)
{
    // A four-component (CMYK) stream cannot become BGR.
    std::vector<uint8_t> cmyk(32 * 32 * 4, 0x40);
    tjhandle handle = tjInitCompress();
    unsigned char* data = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(tjCompress2(handle, cmyk.data(), 32, 32 * 4, 32, TJPF_CMYK, &data, &size, TJSAMP_444, 90, 0), 0);
    const std::vector<uint8_t> jpeg(data, data + size);
    tjFree(data);
    tjDestroy(handle);
    DecoderHolder holder;
    FrameHolder frame;
    EXPECT_EQ(holder.Decode(BuildPacket(MakeJpegPacketSpec(PacketSpec{}, jpeg)), &frame.frame), kDecodeRejected);
}

TEST(JpegDecode, PictureLargerThanTheBufferIsNeverWritten)
{
    // 2100 x 1600 x 3 bytes exceed the 9,437,184-byte buffer; the sanitizer build catches a
    // write past it.
    DecoderHolder holder;
    FrameHolder frame;
    EXPECT_EQ(holder.Decode(JpegPacketOf(2100, 1600, 0), &frame.frame), kDecodeRejected);
    EXPECT_EQ(frame.frame.width, 0u);
    EXPECT_EQ(frame.frame.height, 0u);
    ASSERT_EQ(holder.Decode(JpegPacketOf(2048, 1536, 0), &frame.frame), kDecodeOk);   // exactly the capacity
}

class StreamDecode : public testing::TestWithParam<VideoCodecId> {};

TEST_P(StreamDecode, EveryPacketMatchesAPlainLibraryDecode)
{
    const VideoCodecId codec = GetParam();
    const auto packets = StreamPacketsOf(codec, 176, 144, 12, 5);
    std::vector<std::vector<uint8_t>> payloads;
    for (const auto& packet : packets) {
        payloads.push_back(PayloadOf(packet));
    }
    const std::vector<ReferencePicture> reference = ReferenceDecode(codec, payloads);

    DecoderHolder holder;
    FrameHolder frame;
    for (size_t i = 0; i < packets.size(); ++i) {
        ASSERT_EQ(holder.Decode(packets[i], &frame.frame), kDecodeOk) << i;
        EXPECT_EQ(frame.frame.codec, codec);
        EXPECT_EQ(frame.frame.width, 176u);
        EXPECT_EQ(frame.frame.height, 144u);
        ASSERT_FALSE(reference[i].bgr.empty()) << i;
        EXPECT_EQ(frame.Bytes(), reference[i].bgr) << "packet " << i;
    }
    // The last picture is one of the pattern's last frames, not a wrong or much older one.
    const double last = FramePsnr(frame.frame, PatternPicture(176, 144, 11));
    const double before = FramePsnr(frame.frame, PatternPicture(176, 144, 10));
    EXPECT_GT(std::max(last, before), kRightPicture);
}

INSTANTIATE_TEST_SUITE_P(Codecs, StreamDecode, testing::Values(kVideoCodecMpeg4, kVideoCodecH264),
                         [](const testing::TestParamInfo<VideoCodecId>& info) {
                             return info.param == kVideoCodecH264 ? std::string("H264") : std::string("Mpeg4");
                         });

TEST(StreamDecode, SwitchingCodecsReleasesThePreviousDecoder)
{
    const auto mpeg4 = StreamPacketsOf(kVideoCodecMpeg4, 176, 144, 3, 5);
    const auto h264 = StreamPacketsOf(kVideoCodecH264, 176, 144, 3, 5);
    DecoderHolder holder;
    FrameHolder frame;
    FrameDecoder* decoder = holder.decoder;

    ASSERT_EQ(holder.Decode(JpegPacketOf(176, 144, 0), &frame.frame), kDecodeOk);
    EXPECT_NE(decoder->jpegProperties, nullptr);
    ASSERT_EQ(holder.Decode(mpeg4[0], &frame.frame), kDecodeOk);
    EXPECT_EQ(decoder->jpegProperties, nullptr);
    ASSERT_NE(decoder->streamDecoder, nullptr);
    EXPECT_EQ(decoder->streamDecoder->streamCodecId, kVideoCodecMpeg4);
    EXPECT_FALSE(decoder->fresh);
    // Decoded twice: the first picture is already out, as in the plain decode.
    EXPECT_EQ(frame.Bytes(), ReferenceDecode(kVideoCodecMpeg4, {PayloadOf(mpeg4[0])})[0].bgr);

    ASSERT_EQ(holder.Decode(JpegPacketOf(176, 144, 1), &frame.frame), kDecodeOk);
    EXPECT_EQ(decoder->streamDecoder, nullptr);
    EXPECT_EQ(decoder->activeCodec, kVideoCodecJpeg);
    EXPECT_GT(FramePsnr(frame.frame, PatternPicture(176, 144, 1)), kRightPicture);

    ASSERT_EQ(holder.Decode(mpeg4[0], &frame.frame), kDecodeOk);
    ASSERT_EQ(holder.Decode(h264[0], &frame.frame), kDecodeOk);
    EXPECT_EQ(decoder->streamDecoder->streamCodecId, kVideoCodecH264);
    EXPECT_EQ(decoder->activeCodec, kVideoCodecH264);
    EXPECT_EQ(frame.Bytes(), ReferenceDecode(kVideoCodecH264, {PayloadOf(h264[0])})[0].bgr);
}

TEST(StreamDecode, APacketWithoutPictureLeavesThePixelsAndTakesTheContextSize)
{
    const auto packets = StreamPacketsOf(kVideoCodecH264, 176, 144, 2, 5);
    DecoderHolder holder;
    FrameHolder frame;
    ASSERT_EQ(holder.Decode(packets[0], &frame.frame), kDecodeOk);
    const std::vector<uint8_t> before = frame.Bytes();
    frame.frame.width = 1;
    frame.frame.height = 1;
    PacketSpec empty;
    empty.type = 0x45;
    EXPECT_EQ(holder.Decode(BuildPacket(empty), &frame.frame), kDecodeOk);
    EXPECT_EQ(frame.frame.width, 176u);
    EXPECT_EQ(frame.frame.height, 144u);
    EXPECT_EQ(frame.Bytes(), before);
}

// What the decoding library said while a test ran.
struct LibraryLog {
    LibraryLog()
    {
        Messages().clear();
        av_log_set_callback([](void*, int, const char* format, va_list arguments) {
            char line[1024];
            vsnprintf(line, sizeof line, format, arguments);
            Messages() += line;
        });
    }
    ~LibraryLog() { av_log_set_callback(av_log_default_callback); }
    static std::string& Messages()
    {
        static std::string messages;
        return messages;
    }
};

// A stream that declares a picture larger than a view's frame buffer is refused before the
// library allocates a picture of that size (a damaged stream could otherwise make one view's
// decoder hold gigabytes), and the next picture of a size that fits decodes as usual.
TEST(StreamDecode, PictureLargerThanTheBufferIsNeverAllocatedOrWritten)
{
    for (const VideoCodecId codec : {kVideoCodecH264, kVideoCodecMpeg4}) {
        SCOPED_TRACE(codec);
        const auto large = StreamPacketsOf(codec, 2112, 1536, 1, 5);
        DecoderHolder holder;
        FrameHolder frame;
        {
            LibraryLog log;
            EXPECT_EQ(holder.Decode(large[0], &frame.frame), kDecodeRejected);
            EXPECT_NE(LibraryLog::Messages().find("exceeds specified max pixel count 3145728"), std::string::npos)
                << LibraryLog::Messages();
        }
        EXPECT_EQ(frame.frame.width, 0u);
        EXPECT_EQ(frame.frame.height, 0u);

        const auto small = StreamPacketsOf(codec, 176, 144, 1, 5);
        EXPECT_EQ(holder.Decode(small[0], &frame.frame), kDecodeOk);
        EXPECT_EQ(frame.frame.width, 176u);
        EXPECT_EQ(frame.frame.height, 144u);
    }
}

TEST(StreamDecode, ANeverOpenedDecoderIsNeverUsed)
{
    StreamDecoder* stream = CreateStreamDecoder();
    FrameHolder frame;
    const uint8_t payload[4] = {0, 0, 1, 0xB6};
    EXPECT_EQ(DecodeAndConvert(stream, payload, 4, &frame.frame), -1);
    DeleteStreamDecoder(stream);
}

TEST(VideoPacketChoice, PacketsOfOtherCodecsAreNotDecoded)
{
    struct Case { uint8_t type; int32_t result; VideoCodecId codec; };
    const Case cases[] = {{0x46, kDecodeNotVideo, kVideoCodecNone}, {0x92, kDecodeNotVideo, kVideoCodecNone},
                          {0x34, kDecodeNotVideo, kVideoCodecNone}};
    for (const Case& c : cases) {
        DecoderHolder holder;
        FrameHolder frame;
        frame.frame.codec = kVideoCodecH264;
        PacketSpec spec;
        spec.type = c.type;
        spec.payload.assign(16, 1);
        EXPECT_EQ(holder.Decode(BuildPacket(spec), &frame.frame), c.result) << int(c.type);
        EXPECT_EQ(frame.frame.codec, c.codec) << int(c.type);
        EXPECT_EQ(holder.decoder->activeCodec, kVideoCodecNone) << int(c.type);
    }
}

TEST(VideoPacketChoice, APayloadThatRunsPastTheLengthGivenIsRejected)
{
    const auto packets = StreamPacketsOf(kVideoCodecMpeg4, 176, 144, 1, 5);
    DecoderHolder holder;
    FrameHolder frame;
    EXPECT_EQ(DecodeVideoPacket(packets[0].data(), static_cast<uint32_t>(packets[0].size() - 1), holder.decoder,
                                &frame.frame),
              kDecodeRejected);
}

// Damaged packets of every codec, cut short or with bytes overwritten, in one decoder after
// another: every decode ends with a result code and never writes outside the frame buffer
// (the sanitizer build watches).
TEST(VideoPacketChoice, DamagedPacketsOnlyEverGiveResultCodes)
{
    av_log_set_level(AV_LOG_QUIET);
    std::vector<std::vector<uint8_t>> packets = {JpegPacketOf(176, 144, 0), JpegPacketOf(176, 144, 1, true)};
    for (const VideoCodecId codec : {kVideoCodecMpeg4, kVideoCodecH264}) {
        for (auto& packet : StreamPacketsOf(codec, 176, 144, 6, 3)) {
            packets.push_back(std::move(packet));
        }
    }
    DecoderHolder holder;
    FrameHolder frame;
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245 + 12345;
        return seed >> 8;
    };
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> packet = packets[next() % packets.size()];
        const uint32_t damage = next() % 3;
        if (damage == 0) {
            packet.resize(kTavHeaderSize + next() % (packet.size() - kTavHeaderSize + 1));
        }
        if (damage >= 1) {
            for (uint32_t n = 0, count = 1 + next() % 16; n < count; ++n) {
                packet[kTavHeaderSize + next() % (packet.size() - kTavHeaderSize)] = static_cast<uint8_t>(next());
            }
        }
        const int32_t result = holder.Decode(packet, &frame.frame);
        ASSERT_TRUE(result == kDecodeOk || result == kDecodeRejected) << round << ": " << result;
        ASSERT_LE(static_cast<uint64_t>(frame.frame.width) * frame.frame.height * 3, kFramePixelCapacity) << round;
    }
}
