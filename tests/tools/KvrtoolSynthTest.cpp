#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "recording/IndexRecord.h"
#include "tests/support/KvrtoolRun.h"
#include "tests/support/RecordingFixture.h"
#include "tests/tools/VideoToolFixtures.h"
#include "video/BuiltInLogComposer.h"
#include "video/ComposerLayout.h"
#include "video/EventRecord.h"
#include "video/FrameAdjustments.h"
#include "video/FrameDecoder.h"
#include "video/TestPattern.h"

namespace {

ToolRun Synth(const RecordingFiles& files, const std::string& options)
{
    return Kvrtool("synth '" + files.media + "' " + options);
}

uint32_t HeaderTime(const uint8_t* packet)
{
    const uint8_t* time = packet + offsetof(PacketHeader, time);
    return static_cast<uint32_t>(time[0]) << 24 | time[1] << 16 | time[2] << 8 | time[3];
}

uint32_t Little(const uint8_t* bytes, int32_t count)
{
    uint32_t value = 0;
    for (int32_t i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

// The text a view draws for an option 8, item after item as the composer's layout asks.
std::string OverlayText(const uint8_t* option8, int32_t option8Length)
{
    BuiltInLogComposer composer;
    ComposerLayout layout;
    memcpy(layout.bytes, composer.GetLayout(), kComposerLayoutSize);
    std::string text;
    for (int32_t item = 0; item < layout.ItemCount(); ++item) {
        if ((layout.ItemMask() >> item & 1) != 0) {
            char buffer[kComposerTextCapacity] = {};
            composer.ComposeText(option8 + kEventHeadSize, option8Length - kEventHeadSize, 1u << item, buffer,
                                 kComposerTextCapacity);
            text += buffer;
            text += ' ';
        }
    }
    return text;
}

std::vector<uint8_t> PayloadOf(const std::vector<uint8_t>& packet)
{
    const uint8_t* payload = TavGetPayload(packet.data());
    return std::vector<uint8_t>(payload, payload + TavGetPayloadLength(packet.data()));
}

}  // namespace

// Three video codecs and audio, 2 s at 10 frames per second, a key frame every 4 frames:
// info lists each channel's codecs; every packet is where its frame's time puts it, stream
// sequence numbers restart at 0 on key frames, JPEG packets begin with the start-of-image
// marker, and the index kinds cover every reading rule.
TEST(KvrtoolSynth, VideoChannelsCarryTheirCodecsSequencesTimesAndKinds)
{
    RecordingFiles files;
    const ToolRun synth = Synth(files, "--channel 0:1:jpeg --channel 0:2:mpeg4 --channel 1:4:h264 --audio 0:1:g711"
                                       " --fps 10 --gop 4 --seconds 2 --start 2030-06-07T08:09:10");
    ASSERT_EQ(synth.status, 0) << synth.err;
    const ToolRun info = Kvrtool("info --json '" + files.media + "'");
    ASSERT_EQ(info.status, 0) << info.err;
    for (const char* channel : {R"("number":0,"unit":0,"channel":1,"videoRecords":20,"audioRecords":16,"codecs":["G.711","JPEG"])",
                                R"("number":1,"unit":0,"channel":2,"videoRecords":20,"audioRecords":0,"codecs":["MPEG-4"])",
                                R"("number":7,"unit":1,"channel":4,"videoRecords":20,"audioRecords":0,"codecs":["H.264"])"}) {
        EXPECT_NE(info.out.find(channel), std::string::npos) << channel << "\n" << info.out;
    }

    const std::vector<ReadRecord> records = ReadAllRecords(files.media, files.index);
    ASSERT_EQ(records.size(), 76u);
    std::set<uint8_t> kinds;
    for (const ReadRecord& record : records) {
        kinds.insert(record.kind);
        ASSERT_FALSE(record.packet.empty());
        EXPECT_EQ(TavGetOptionMask(record.packet.data()), 0);
        if (TavIsAudio(record.packet.data())) {
            EXPECT_TRUE(IndexKindIsAudio(record.kind) && IndexKindStopsForward(record.kind)) << int{record.kind};
        }
    }
    const struct {
        int32_t channelNumber;
        uint8_t type;
    } channels[] = {{0, 0xFF}, {1, 0x44}, {7, 0x45}};
    for (const auto& channel : channels) {
        const std::vector<int32_t> frames = VideoRecordsOf(records, channel.channelNumber);
        ASSERT_EQ(frames.size(), 20u);
        for (size_t k = 0; k < frames.size(); ++k) {
            const ReadRecord& record = records[static_cast<size_t>(frames[k])];
            const uint8_t* packet = record.packet.data();
            const auto* header = reinterpret_cast<const PacketHeader*>(packet);
            EXPECT_EQ(packet[0], channel.type);
            const bool jpeg = channel.type == 0xFF;
            EXPECT_EQ(packet[1], jpeg ? 0xD8 : k % 4) << k;   // JPEG: part of the start-of-image marker
            const bool key = jpeg || k % 4 == 0;
            EXPECT_EQ(IndexKindStopsBackward(record.kind), key) << k << " " << int{record.kind};
            EXPECT_TRUE(IndexKindIsVideo(record.kind)) << k;
            // 2030-06-07 08:09:10 is 1907050150 s; frame k lies k / 10 s after it.
            EXPECT_EQ(HeaderTime(packet), 1907050150u + k / 10) << k;
            EXPECT_EQ(header->minute, 9);
            EXPECT_EQ(header->second, 10 + k / 10) << k;
            EXPECT_EQ(header->hundredths, k % 10 * 10) << k;
        }
    }
    // Every video kind (low nibble 0) and the three audio kinds that forward reading stops at.
    std::set<uint8_t> expected = {0x12, 0x32, 0x92};
    for (int kind = 0x00; kind <= 0xF0; kind += 0x10) {
        expected.insert(static_cast<uint8_t>(kind));
    }
    EXPECT_EQ(kinds, expected);
}

// Field-stacked pictures hold the odd rows above the even rows: decoded and woven as the view
// weaves them at natural size, they give the pattern back; their packets carry bit 15.
TEST(KvrtoolSynth, FieldStackedPicturesWeaveBackIntoThePattern)
{
    for (const char* codec : {"jpeg", "mpeg4", "h264"}) {
        RecordingFiles files;
        const ToolRun synth = Synth(files, std::string("--channel 0:3:") + codec +
                                               " --size 352x480 --field-stacked --fps 5 --gop 5 --seconds 1");
        ASSERT_EQ(synth.status, 0) << codec << synth.err;
        const std::vector<ReadRecord> records = ReadAllRecords(files.media, files.index);
        ASSERT_EQ(records.size(), 5u) << codec;
        FrameDecoder* decoder = CreateFrameDecoder();
        DecodedFrame frame;
        ASSERT_TRUE(decoder != nullptr && AllocateFramePixels(&frame));
        for (size_t k = 0; k <= 1; ++k) {   // frame 1, after its key frame
            const std::vector<uint8_t>& packet = records[k].packet;
            EXPECT_EQ(TavGetOptionMask(packet.data()), kTavOptionFlagBit15) << codec;
            EXPECT_EQ(DecodeVideoPacket(packet.data(), static_cast<uint32_t>(packet.size()), decoder, &frame), 0) << codec;
        }
        const Picture stacked = UprightPicture(frame);
        WeaveFields(frame.pixels, frame.width, frame.height);
        Picture pattern{352, 480, std::vector<uint8_t>(352 * 480 * 3)};
        DrawTestPattern(pattern.bgr.data(), 352, 480, 1, 2);
        const double woven = PicturePsnr(UprightPicture(frame), pattern);
        EXPECT_GT(woven, 30.0) << codec;
        EXPECT_GT(woven, PicturePsnr(stacked, pattern) + 8.0) << codec;
        DestroyFrameDecoder(decoder);
        FreeFramePixels(&frame);
    }
}

// With --events every video packet carries the event in progress as a shown option 8 from
// source 0, dated with the packet's second, which the built-in composer turns into the
// schedule's texts; audio packets carry none, and the coded pictures are those of the same
// recording without events, which carries no options at all.
TEST(KvrtoolSynth, EventsRideInOptionEightOfEveryVideoPacket)
{
    const std::string streams = " --channel 0:1:jpeg --channel 0:2:mpeg4 --channel 1:4:h264 --audio 0:1:g711"
                                " --fps 1 --gop 3 --seconds 10 --start 2030-06-07T08:09:10";
    RecordingFiles plainFiles;
    RecordingFiles eventFiles;
    const ToolRun plain = Synth(plainFiles, streams);
    const ToolRun events = Synth(eventFiles, streams + " --events");
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(events.status, 0) << events.err;
    const std::vector<ReadRecord> plainRecords = ReadAllRecords(plainFiles.media, plainFiles.index);
    const std::vector<ReadRecord> eventRecords = ReadAllRecords(eventFiles.media, eventFiles.index);
    ASSERT_EQ(eventRecords.size(), plainRecords.size());
    for (const ReadRecord& record : plainRecords) {
        ASSERT_FALSE(record.packet.empty());
        EXPECT_EQ(TavGetOptionMask(record.packet.data()), 0);
    }

    // One event every 2 s from the start, 08:09:10.
    const char* const expected[] = {
        "MOTION Zone 1 08:09:10 Entrance  ",
        "ALARM Input 2 08:09:12 Door contact  ",
        "VIDEO LOSS  08:09:14   ",
        "TAMPER Zone 3 08:09:16 Lens covered  ",
        "NOTE  08:09:18 Shift change Operator 7 ",
    };
    for (const int32_t channelNumber : {0, 1, 7}) {
        const std::vector<int32_t> frames = VideoRecordsOf(eventRecords, channelNumber);
        ASSERT_EQ(frames.size(), 10u);
        for (size_t k = 0; k < frames.size(); ++k) {
            const std::vector<uint8_t>& packet = eventRecords[static_cast<size_t>(frames[k])].packet;
            PacketOptions options{};
            ASSERT_TRUE(TavParseOptions(packet.data(), &options));
            ASSERT_NE(options.option8, nullptr) << channelNumber << " " << k;
            const uint8_t* option8 = options.option8;
            EXPECT_EQ(option8[kEventFlagsOffset], 0x87);
            EXPECT_EQ(option8[kEventSourceOffset], 0);
            EXPECT_EQ(Little(option8 + kEventTimeOffset, 4), HeaderTime(packet.data())) << k;
            EXPECT_EQ(Little(option8 + kEventNumberOffset, 2), k / 2) << k;
            EXPECT_EQ(OverlayText(option8, options.option8Length), expected[k / 2]) << channelNumber << " " << k;
            EXPECT_EQ(PayloadOf(packet), PayloadOf(plainRecords[static_cast<size_t>(frames[k])].packet))
                << channelNumber << " " << k;
        }
    }
    for (const ReadRecord& record : eventRecords) {
        if (TavIsAudio(record.packet.data())) {
            EXPECT_EQ(TavGetOptionMask(record.packet.data()), 0);
        }
    }
    // The option area of a JPEG packet lies inside the picture's first marker segment: it still decodes.
    const ToolRun decoded = Kvrtool("play --decode --json --speed 5 '" + eventFiles.media + "'");
    EXPECT_NE(decoded.out.find(R"("number":0,"videoPackets":10,"audioPackets":0,"decoded":10,"failed":0)"),
              std::string::npos)
        << decoded.out;
}

TEST(KvrtoolSynth, RefusesVideoOptionsItCannotHonour)
{
    RecordingFiles files;
    const struct {
        const char* options;
        const char* err;
    } cases[] = {
        {"--channel 0:1:vp8", "bad argument '--channel' '0:1:vp8'"},
        {"--channel 0:0:jpeg", "bad argument '--channel' '0:0:jpeg'"},
        {"--channel 32:1:jpeg", "bad argument '--channel' '32:1:jpeg'"},
        {"--channel 0:1", "bad argument '--channel' '0:1'"},
        {"--channel 0:1:jpeg --channel 0:1:h264", "bad argument '--channel' '0:1:h264'"},
        {"--channel 0:1:jpeg --size 15x240", "bad argument '--size' '15x240'"},
        {"--channel 0:1:jpeg --size 2048x1537", "bad argument '--size' '2048x1537'"},   // past the frame buffer
        {"--channel 0:1:jpeg --size 352", "bad argument '--size' '352'"},
        {"--channel 0:1:jpeg --size 352x240x2", "bad argument '--size' '352x240x2'"},
        {"--channel 0:1:mpeg4 --size 351x240", "mpeg4 and h264 need an even width and height, not 351x240"},
        {"--channel 0:1:jpeg --size 352x241 --field-stacked", "--field-stacked needs an even height, not 241"},
        {"--channel 0:1:jpeg --fps 0", "bad argument '--fps' '0'"},
        {"--channel 0:1:jpeg --fps 61", "bad argument '--fps' '61'"},
        {"--channel 0:1:h264 --gop 0", "bad argument '--gop' '0'"},
        {"--channel 0:1:h264 --gop 257", "bad argument '--gop' '257'"},   // past the sequence byte
        {"--channel 0:1:h264 --gop", "bad argument '--gop'"},
        {"--fps 10", "usage: kvrtool synth"},   // no stream
        {"--audio 0:1:g711 --events", "--events needs a video --channel to carry them"},
        {"--channel 0:1:jpeg --events --start 2038-01-19T03:14:00 --seconds 9",
         "--events needs a recording that ends by 2038-01-19T03:14:07"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Synth(files, c.options);
        EXPECT_EQ(run.status, 2) << c.options;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.options << "\n" << run.err;
    }
    // The largest picture the frame buffer holds is accepted.
    const ToolRun largest = Synth(files, "--channel 0:1:h264 --size 2048x1536 --fps 1 --seconds 1");
    EXPECT_EQ(largest.status, 0) << largest.err;
    const ToolRun decoded = Kvrtool("play --decode --json --speed 5 '" + files.media + "'");
    EXPECT_NE(decoded.out.find(R"("decoded":1,"failed":0,"dropped":0,"width":2048,"height":1536)"), std::string::npos)
        << decoded.out;
    // Events up to the last second a view shows are accepted.
    const ToolRun lastEvents =
        Synth(files, "--channel 0:1:jpeg --events --start 2038-01-19T03:14:00 --seconds 8 --force");
    EXPECT_EQ(lastEvents.status, 0) << lastEvents.err;
}
