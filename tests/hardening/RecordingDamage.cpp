#include "tests/hardening/RecordingDamage.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "Tav/TavPacketUtil.h"
#include "recording/IndexRecord.h"
#include "recording/MediaFileMng.h"
#include "recording/RecordWalk.h"
#include "video/EventRecord.h"

namespace {

using Random = std::mt19937;
using Damage = void (*)(const BaseRecording& base, Random& random, RecordingCopy* copy);

struct DamageKind {
    const char* name;
    Damage apply;
};

// --- small tools -------------------------------------------------------------------------------

uint32_t Below(Random& random, size_t count)
{
    return count == 0 ? 0 : static_cast<uint32_t>(random() % count);
}

template <typename T, size_t N>
T OneOf(Random& random, const T (&values)[N])
{
    return values[Below(random, N)];
}

std::string Hex(uint64_t value)
{
    char text[24];
    snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

void Note(RecordingCopy* copy, const std::string& text)
{
    copy->damage += (copy->damage.empty() ? "" : "; ") + text;
}

// Writes inside the bytes only: a copy cut short by an earlier damage keeps its length.
void Put8(std::vector<uint8_t>& bytes, size_t at, uint8_t value)
{
    if (at < bytes.size()) {
        bytes[at] = value;
    }
}

void PutBig(std::vector<uint8_t>& bytes, size_t at, uint64_t value, int count)
{
    for (int i = 0; i < count; ++i) {
        Put8(bytes, at + static_cast<size_t>(i), static_cast<uint8_t>(value >> (8 * (count - 1 - i))));
    }
}

void PutLittle(std::vector<uint8_t>& bytes, size_t at, uint64_t value, int count)
{
    for (int i = 0; i < count; ++i) {
        Put8(bytes, at + static_cast<size_t>(i), static_cast<uint8_t>(value >> (8 * i)));
    }
}

void FlipBits(std::vector<uint8_t>& bytes, size_t from, size_t count, int flips, Random& random)
{
    for (int i = 0; i < flips && count > 0; ++i) {
        const size_t at = from + Below(random, count);
        if (at < bytes.size()) {
            bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8));
        }
    }
}

const BasePacket& AnyPacket(const BaseRecording& base, Random& random)
{
    return base.packets[Below(random, base.packets.size())];
}

// A packet that passes `test`; any packet when none does.
template <typename Test>
const BasePacket& PacketWhere(const BaseRecording& base, Random& random, Test test)
{
    std::vector<const BasePacket*> matching;
    for (const BasePacket& packet : base.packets) {
        if (test(packet)) {
            matching.push_back(&packet);
        }
    }
    return matching.empty() ? AnyPacket(base, random) : *matching[Below(random, matching.size())];
}

const BasePacket& VideoPacket(const BaseRecording& base, Random& random)
{
    return PacketWhere(base, random, [&](const BasePacket& p) { return base.IsVideo(p); });
}

const BasePacket& AudioPacket(const BaseRecording& base, Random& random)
{
    return PacketWhere(base, random, [&](const BasePacket& p) { return base.IsAudio(p); });
}

std::string PacketName(const BaseRecording& base, const BasePacket& packet)
{
    return "packet " + std::to_string(&packet - base.packets.data()) + " (type " + Hex(packet.type) + ")";
}

size_t RecordCount(const RecordingCopy& copy)
{
    return copy.index.size() / kIndexRecordSize;
}

size_t RecordAt(size_t record)
{
    return record * kIndexRecordSize;
}

// --- header fields -----------------------------------------------------------------------------

void HeaderBitFlips(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AnyPacket(base, random);
    const int flips = 1 + static_cast<int>(random() % 4);
    FlipBits(copy->media, packet.offset, kTavHeaderSize, flips, random);
    Note(copy, std::to_string(flips) + " bits flipped in the header of " + PacketName(base, packet));
}

void HeaderOverwritten(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AnyPacket(base, random);
    for (int i = 0; i < kTavHeaderSize; ++i) {
        Put8(copy->media, packet.offset + static_cast<size_t>(i), static_cast<uint8_t>(random()));
    }
    Note(copy, "header of " + PacketName(base, packet) + " overwritten with random bytes");
}

void HeaderLengthExtreme(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AnyPacket(base, random);
    const uint32_t length = packet.headerLength;
    const uint32_t values[] = {0, 1, 55, 56, 57, length - 1, length + 1, length + 2, 0x7FFF, 0x8000, 0xFFFE,
                               0xFFFF, static_cast<uint16_t>(random())};
    const uint32_t value = OneOf(random, values) & 0xFFFF;
    PutBig(copy->media, packet.offset + offsetof(PacketHeader, headerLength), value, 2);
    Note(copy, "header length of " + PacketName(base, packet) + " set to " + Hex(value));
}

void TotalLengthExtreme(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AnyPacket(base, random);
    const uint32_t header = packet.headerLength;
    const uint32_t toEnd = static_cast<uint32_t>(base.media.size()) - packet.offset;
    const uint32_t values[] = {0,           1,           59,          60,          header + 3,
                               header + 4,  header + 5,  packet.totalLength - 1,   packet.totalLength + 1,
                               kMediaReadCapacity,       kMediaReadCapacity + 1,   0x7FFFFFFF,
                               0x80000000,  0xFFFFFFFF,  toEnd,       toEnd + 1,   static_cast<uint32_t>(random())};
    const uint32_t value = OneOf(random, values);
    PutBig(copy->media, packet.offset + offsetof(PacketHeader, totalLength), value, 4);
    Note(copy, "total length of " + PacketName(base, packet) + " set to " + Hex(value));
}

// A packet as long as the reader's buffer or just past it, with the file grown to hold it: the
// only way a length can test the buffer's bound rather than the end of the file.
void TotalLengthAtTheBuffer(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AnyPacket(base, random);
    const uint32_t values[] = {kMediaReadCapacity - 1, kMediaReadCapacity, kMediaReadCapacity + 1,
                               kMediaReadCapacity + 4096};
    const uint32_t value = OneOf(random, values);
    PutBig(copy->media, packet.offset + offsetof(PacketHeader, totalLength), value, 4);
    const size_t needed = static_cast<size_t>(packet.offset) + value + 4096;
    while (copy->media.size() < needed) {
        copy->media.push_back(static_cast<uint8_t>(random()));
    }
    Note(copy, "total length of " + PacketName(base, packet) + " set to " + Hex(value) + ", media grown to " +
                   std::to_string(copy->media.size()) + " bytes");
}

void TypeGarbage(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AnyPacket(base, random);
    const uint8_t values[] = {0x00, 0x0F, 0x40, 0x44, 0x45, 0x4F, 0x90, 0x91, 0x92, 0x99, 0x9F,
                              0xA4, 0xF4, 0xF5, 0xFE, 0xFF, static_cast<uint8_t>(random())};
    const uint8_t value = OneOf(random, values);
    Put8(copy->media, packet.offset, value);
    Note(copy, "type of " + PacketName(base, packet) + " set to " + Hex(value));
}

void UnitAndChannelGarbage(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AnyPacket(base, random);
    const uint16_t units[] = {0, 1, 31, 32, 0x7FFF, 0x8000, 0xFFFF, static_cast<uint16_t>(random())};
    const uint16_t channels[] = {0, 1, 4, 5, 0x7FFF, 0xFFFF, static_cast<uint16_t>(random())};
    const uint16_t unit = OneOf(random, units);
    const uint16_t channel = OneOf(random, channels);
    PutBig(copy->media, packet.offset + offsetof(PacketHeader, unit), unit, 2);
    PutBig(copy->media, packet.offset + offsetof(PacketHeader, channel), channel, 2);
    Note(copy, "unit " + Hex(unit) + " channel " + Hex(channel) + " in the header of " + PacketName(base, packet));
}

void OptionMaskGarbage(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AnyPacket(base, random);
    const uint16_t values[] = {0, 0xFFFF, 0x8000, 0x00FF, 0x7F00, 0x0080, 0x00FC, static_cast<uint16_t>(random())};
    const uint16_t value = OneOf(random, values);
    PutBig(copy->media, packet.offset + offsetof(PacketHeader, optionMask), value, 2);
    Note(copy, "option mask of " + PacketName(base, packet) + " set to " + Hex(value));
}

void SequenceGarbage(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AnyPacket(base, random);
    const uint8_t values[] = {0, 1, 0x3F, 0x40, 0xC0, 0xFF, static_cast<uint8_t>(random())};
    const uint8_t value = OneOf(random, values);
    Put8(copy->media, packet.offset + offsetof(PacketHeader, sequence), value);
    Note(copy, "sequence of " + PacketName(base, packet) + " set to " + Hex(value));
}

// The caption is formatted from these: times beyond any date, months and days that do not exist.
void DateGarbage(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = VideoPacket(base, random);
    const uint32_t times[] = {0, 1, 978307199, 978307200, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
                              static_cast<uint32_t>(random())};
    const uint32_t time = OneOf(random, times);
    PutBig(copy->media, packet.offset + offsetof(PacketHeader, time), time, 4);
    const uint16_t years[] = {0, 1999, 2009, 9999, 0xFFFF};
    PutBig(copy->media, packet.offset + offsetof(PacketHeader, year), OneOf(random, years), 2);
    const uint8_t bytes[] = {0, 1, 12, 13, 24, 31, 32, 59, 60, 99, 100, 0xFF, static_cast<uint8_t>(random())};
    for (size_t field = offsetof(PacketHeader, month); field <= offsetof(PacketHeader, hundredths); ++field) {
        Put8(copy->media, packet.offset + field, OneOf(random, bytes));
    }
    Note(copy, "time " + Hex(time) + " and random date fields in the header of " + PacketName(base, packet));
}

// --- options and payloads ----------------------------------------------------------------------

// One field of an event record (option 8) of a video packet, its length byte aside: the head,
// the record, the texts.
void EventOptionDamage(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = PacketWhere(base, random, [](const BasePacket& p) { return p.option8 >= 0; });
    if (packet.option8 < 0) {
        return;
    }
    const size_t option = static_cast<size_t>(packet.option8);
    const size_t record = option + kEventHeadSize;
    const uint8_t anyByte = static_cast<uint8_t>(random());
    std::string what;
    switch (random() % 9) {
    case 0: {
        const uint8_t kinds[] = {0, 7, 9, 0xFF, anyByte};
        Put8(copy->media, option, OneOf(random, kinds));
        what = "kind byte";
        break;
    }
    case 1:
        // The event number and the reserved bytes of the head, which no reader interprets.
        for (size_t at = option + 2; at < record; ++at) {
            if (at != option + kEventFlagsOffset && at != option + kEventSourceOffset &&
                (at < option + kEventTimeOffset || at >= option + kEventTimeOffset + 4)) {
                Put8(copy->media, at, static_cast<uint8_t>(random()));
            }
        }
        what = "event number and reserved bytes";
        break;
    case 2:
        Put8(copy->media, option + kEventFlagsOffset, anyByte);
        Put8(copy->media, option + kEventSourceOffset, static_cast<uint8_t>(random()));
        what = "flags and source";
        break;
    case 3: {
        const uint32_t times[] = {0, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, static_cast<uint32_t>(random())};
        PutLittle(copy->media, option + kEventTimeOffset, OneOf(random, times), 4);
        what = "packet time";
        break;
    }
    case 4:
        Put8(copy->media, record + kEventKindOffset, anyByte);
        Put8(copy->media, record + kEventPlaceOffset, static_cast<uint8_t>(random()));
        what = "event kind and place";
        break;
    case 5: {
        const uint32_t times[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, static_cast<uint32_t>(random())};
        PutLittle(copy->media, record + kEventBeganOffset, OneOf(random, times), 4);
        what = "event start";
        break;
    }
    case 6: {
        const uint8_t counts[] = {0, 3, 5, 0x7F, 0xFF, anyByte};
        Put8(copy->media, record + kEventTextCountOffset, OneOf(random, counts));
        what = "text count";
        break;
    }
    case 7: {
        // The length byte of the first or second text.
        size_t at = record + kEventRecordFixedSize;
        if (random() % 2 == 0 && at < copy->media.size()) {
            at += 1 + copy->media[at];
        }
        const uint8_t lengths[] = {0, 1, 0x7F, 0xFF, anyByte};
        Put8(copy->media, at, OneOf(random, lengths));
        what = "text length";
        break;
    }
    default: {
        // Text bytes that are no UTF-8: lone continuations, cut sequences, controls.
        const uint8_t bytes[] = {0x00, 0x01, 0x1B, 0x7F, 0x80, 0xBF, 0xC0, 0xC3, 0xE2, 0xF0, 0xF4, 0xFF};
        const size_t texts = record + kEventRecordFixedSize;
        const size_t end = option + static_cast<size_t>(packet.option8Length);
        for (size_t at = texts; at < end; ++at) {
            if (random() % 3 == 0) {
                Put8(copy->media, at, OneOf(random, bytes));
            }
        }
        what = "text bytes";
        break;
    }
    }
    Note(copy, "event option of " + PacketName(base, packet) + ": " + what);
}

// The length byte of option 8 saying more or less than the option holds, on the packets with the
// shortest payloads too, where a length that runs past the option area runs past the packet.
void EventOptionLength(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket* packet = &PacketWhere(base, random, [](const BasePacket& p) { return p.option8 >= 0; });
    if (random() % 2 == 0) {
        for (const BasePacket& other : base.packets) {
            if (other.option8 >= 0 && other.totalLength < packet->totalLength) {
                packet = &other;
            }
        }
    }
    if (packet->option8 < 0) {
        return;
    }
    const auto length = static_cast<uint8_t>(packet->option8Length);
    const uint8_t lengths[] = {0, 1, 2, 21, 22, 23, static_cast<uint8_t>(length - 1), static_cast<uint8_t>(length + 1),
                               0xFF, static_cast<uint8_t>(random())};
    const uint8_t value = OneOf(random, lengths);
    Put8(copy->media, static_cast<size_t>(packet->option8) + 1, value);
    // Texts that claim every byte the length allows: read as far as the option says it goes.
    const bool longTexts = value > length && random() % 2 == 0;
    if (longTexts) {
        const size_t first = static_cast<size_t>(packet->option8) + kEventHeadSize + kEventRecordFixedSize;
        const size_t second = first + 1 + (first < copy->media.size() ? copy->media[first] : 0);
        Put8(copy->media, second, 0xFF);
        Put8(copy->media, first, 0xFF);
    }
    Note(copy, "length of option 8 of " + PacketName(base, *packet) + " set to " + std::to_string(value) +
                   (longTexts ? ", its texts 255 bytes long" : ""));
}

void OptionAreaGarbage(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = PacketWhere(base, random, [](const BasePacket& p) { return p.headerLength > 56; });
    for (size_t at = packet.offset + kTavHeaderSize; at < packet.payloadOffset; ++at) {
        Put8(copy->media, at, static_cast<uint8_t>(random()));
    }
    Note(copy, "option area of " + PacketName(base, packet) + " overwritten with random bytes");
}

void VideoPayloadFlips(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = VideoPacket(base, random);
    const int flips = 1 + static_cast<int>(random() % 16);
    // JPEG packets carry their header inside the picture's stream: the whole packet is coded data.
    const size_t from = packet.type == kTavJpegType ? packet.offset + kTavHeaderSize : packet.payloadOffset;
    FlipBits(copy->media, from, packet.offset + packet.totalLength - from, flips, random);
    Note(copy, std::to_string(flips) + " bits flipped in the picture of " + PacketName(base, packet));
}

void VideoPayloadRun(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = VideoPacket(base, random);
    const size_t payload = packet.offset + packet.totalLength - packet.payloadOffset;
    const size_t run = 1 + Below(random, 64);
    const size_t at = packet.payloadOffset + Below(random, payload);
    const uint8_t fills[] = {0x00, 0xFF, 0x01};
    const bool randomFill = random() % 2 == 0;
    const uint8_t fill = OneOf(random, fills);
    for (size_t i = 0; i < run && at + i < packet.offset + packet.totalLength; ++i) {
        Put8(copy->media, at + i, randomFill ? static_cast<uint8_t>(random()) : fill);
    }
    Note(copy, std::to_string(run) + " bytes overwritten in the picture of " + PacketName(base, packet));
}

// The first offset at or after `from` and before `end` where `pattern` stands, or `end`.
size_t Find(const std::vector<uint8_t>& bytes, size_t from, size_t end, const std::vector<uint8_t>& pattern)
{
    end = std::min(end, bytes.size());
    const auto found = std::search(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(from, end)),
                                   bytes.begin() + static_cast<std::ptrdiff_t>(end), pattern.begin(), pattern.end());
    return static_cast<size_t>(found - bytes.begin());
}

// The frame header of a JPEG picture: sizes no frame buffer holds, the sizes a view adjusts
// (352 x 144 halved, 704 x 288 doubled, 576 rows woven as fields), component counts, bits.
void JpegFrameHeader(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = PacketWhere(base, random, [](const BasePacket& p) { return p.type == kTavJpegType; });
    const size_t frame = Find(copy->media, packet.offset + kTavHeaderSize, packet.offset + packet.totalLength, {0xFF, 0xC0});
    switch (random() % 3) {
    case 0: {
        const uint16_t sizes[][2] = {{0, 0},       {1, 1},       {352, 144},     {704, 288},   {720, 576},
                                     {2048, 1536}, {2048, 1537}, {4096, 4096},   {65535, 65535},
                                     {static_cast<uint16_t>(random()), static_cast<uint16_t>(random())}};
        const auto& size = sizes[Below(random, std::size(sizes))];
        PutBig(copy->media, frame + 5, size[1], 2);
        PutBig(copy->media, frame + 7, size[0], 2);
        Note(copy, "JPEG " + PacketName(base, packet) + " claims " + std::to_string(size[0]) + "x" +
                       std::to_string(size[1]));
        return;
    }
    case 1: {
        const uint8_t components[] = {0, 2, 4, 0xFF};
        Put8(copy->media, frame + 9, OneOf(random, components));
        Note(copy, "component count of JPEG " + PacketName(base, packet));
        return;
    }
    default:
        FlipBits(copy->media, frame + 2, 17, 1 + static_cast<int>(random() % 4), random);
        Note(copy, "bits flipped in the frame header of JPEG " + PacketName(base, packet));
        return;
    }
}

// What a stream says about its pictures: the object layer of MPEG-4 (start code 0x20) and the
// sequence and picture parameter sets of H.264 (NAL types 7 and 8).
void StreamHeader(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = PacketWhere(base, random, [&](const BasePacket& p) {
        return base.IsVideo(p) && p.type != kTavJpegType && base.media[p.offset + 1] == 0;
    });
    const bool h264 = (packet.type & 0x0F) == 5;
    std::vector<uint8_t> start = {0, 0, 1, h264 ? uint8_t{0x67} : uint8_t{0x20}};
    if (h264 && random() % 2 == 0) {
        start[3] = 0x68;
    }
    const size_t at = Find(copy->media, packet.payloadOffset, packet.offset + packet.totalLength, start);
    FlipBits(copy->media, at + 4, 12, 1 + static_cast<int>(random() % 6), random);
    Note(copy, "bits flipped in the stream header (" + Hex(start[3]) + ") of key " + PacketName(base, packet));
}

void JpegSegmentLength(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = PacketWhere(base, random, [](const BasePacket& p) { return p.type == kTavJpegType; });
    const uint8_t markers[] = {0xDB, 0xC4, 0xC0, 0xDA, 0xE0};
    const uint8_t marker = OneOf(random, markers);
    const size_t at = Find(copy->media, packet.offset + 2, packet.offset + packet.totalLength, {0xFF, marker});
    const uint16_t lengths[] = {0, 1, 2, 3, 0xFFFF, static_cast<uint16_t>(random())};
    const uint16_t length = OneOf(random, lengths);
    PutBig(copy->media, at + 2, length, 2);
    Note(copy, "length of JPEG segment " + Hex(marker) + " set to " + Hex(length) + " in " + PacketName(base, packet));
}

void AudioPayloadDamage(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AudioPacket(base, random);
    if ((packet.type & 0x0F) == 9 && random() % 2 == 0) {
        // IMA ADPCM: the frame header's starting sample and step index.
        const uint8_t steps[] = {88, 89, 90, 0x80, 0xFF};
        Put8(copy->media, packet.payloadOffset + 62, OneOf(random, steps));
        PutLittle(copy->media, packet.payloadOffset + 60, random() % 2 == 0 ? 0x8000 : 0x7FFF, 2);
        Note(copy, "IMA frame header of " + PacketName(base, packet));
        return;
    }
    const size_t payload = packet.offset + packet.totalLength - packet.payloadOffset;
    for (size_t at = packet.payloadOffset; at < packet.payloadOffset + payload; ++at) {
        if (random() % 8 == 0) {
            Put8(copy->media, at, static_cast<uint8_t>(random()));
        }
    }
    Note(copy, "random bytes in the payload of " + PacketName(base, packet));
}

// Audio packets of any of the three codecs with payloads at the lengths each codec and output
// draws a line at (IMA's 2112-byte frame, G.711's 1400- and 4096-byte buffers, G.723's 3-byte
// groups and 3072-byte packets, the output's 8192 and the route's 102400 bytes); the file grows
// where a payload would pass its end.
void AudioPayloadLength(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const int packets = 1 + static_cast<int>(random() % 4);
    std::string what;
    for (int i = 0; i < packets; ++i) {
        const BasePacket& packet = AudioPacket(base, random);
        const uint8_t codecs[] = {1, 2, 9};
        const uint8_t codec = OneOf(random, codecs);
        const uint32_t imaLengths[] = {1, 64, 65, 2111, 2112, 2113, 4096, 8192, 8193, 102400, 102401};
        const uint32_t g711Lengths[] = {1, 1400, 1401, 4096, 4097, 8192, 8193, 16384, 16385, 102400};
        const uint32_t g723Lengths[] = {1, 2, 3, 3071, 3072, 3073, 6144, 8192, 8193, 102400};
        const uint32_t payload = codec == 9 ? OneOf(random, imaLengths)
                                 : codec == 2 ? OneOf(random, g711Lengths)
                                              : OneOf(random, g723Lengths);
        const uint32_t total = 4 + packet.headerLength + payload;
        Put8(copy->media, packet.offset, static_cast<uint8_t>(0x90 | codec));
        PutBig(copy->media, packet.offset + offsetof(PacketHeader, totalLength), total, 4);
        while (copy->media.size() < static_cast<size_t>(packet.offset) + total) {
            copy->media.push_back(static_cast<uint8_t>(random()));
        }
        what += " " + PacketName(base, packet) + " codec " + std::to_string(codec) + " payload " + std::to_string(payload);
    }
    Note(copy, "audio payload lengths:" + what);
}

// A packet whose codec nibble names another codec: audio decoded by the wrong codec, a stream
// picture taken for JPEG and the reverse.
void CodecSwapped(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AnyPacket(base, random);
    uint8_t type = 0;
    if (base.IsAudio(packet)) {
        const uint8_t codecs[] = {0, 1, 2, 3, 9, 15};
        type = static_cast<uint8_t>(0x90 | OneOf(random, codecs));
    } else {
        const uint8_t types[] = {0x44, 0x45, 0xFF, 0xF4, 0xF5};
        type = OneOf(random, types);
    }
    Put8(copy->media, packet.offset, type);
    Note(copy, "type of " + PacketName(base, packet) + " swapped to " + Hex(type));
}

// --- cut files ---------------------------------------------------------------------------------

void MediaCutInPacket(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AnyPacket(base, random);
    const uint32_t into[] = {0, 1, 59, 60, 61, packet.headerLength + 3, packet.headerLength + 4,
                             1 + static_cast<uint32_t>(Below(random, packet.totalLength - 1)), packet.totalLength - 1};
    const size_t length = std::min<size_t>(packet.offset + OneOf(random, into), copy->media.size());
    copy->media.resize(length);
    Note(copy, "media cut to " + std::to_string(length) + " bytes, inside " + PacketName(base, packet));
}

void MediaCutAnywhere(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const size_t lengths[] = {0, 1, 59, 60, Below(random, copy->media.size())};
    const size_t length = std::min(OneOf(random, lengths), copy->media.size());
    copy->media.resize(length);
    Note(copy, "media cut to " + std::to_string(length) + " bytes");
}

void IndexCut(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const size_t size = copy->index.size();
    const size_t lengths[] = {0, 1, 19, 20, 21, 39, size - 1, size - 19, RecordAt(Below(random, RecordCount(*copy))),
                              Below(random, size)};
    const size_t length = std::min(OneOf(random, lengths), size);
    copy->index.resize(length);
    Note(copy, "index cut to " + std::to_string(length) + " bytes");
}

void BothCut(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    MediaCutAnywhere(base, random, copy);
    IndexCut(base, random, copy);
}

void GarbageAppended(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const size_t mediaBytes = random() % 2 == 0 ? 1 + Below(random, 300) : 0;
    const size_t indexBytes = 1 + Below(random, 39);
    for (size_t i = 0; i < mediaBytes; ++i) {
        copy->media.push_back(static_cast<uint8_t>(random()));
    }
    for (size_t i = 0; i < indexBytes; ++i) {
        copy->index.push_back(static_cast<uint8_t>(random()));
    }
    Note(copy, std::to_string(mediaBytes) + " random bytes after the media, " + std::to_string(indexBytes) +
                   " after the index");
}

// The index still names the packets that followed it at their old offsets.
void PacketRemoved(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const BasePacket& packet = AnyPacket(base, random);
    if (packet.offset + packet.totalLength > copy->media.size()) {
        return;
    }
    const auto from = copy->media.begin() + packet.offset;
    copy->media.erase(from, from + packet.totalLength);
    Note(copy, PacketName(base, packet) + " taken out of the media file");
}

// --- index records -----------------------------------------------------------------------------

void SetOffset(RecordingCopy* copy, size_t record, uint32_t offset)
{
    PutLittle(copy->index, RecordAt(record) + offsetof(IndexRecord, offset), offset, 4);
}

void OffsetsPastTheEnd(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const auto size = static_cast<uint32_t>(copy->media.size());
    const int records = 1 + static_cast<int>(random() % 4);
    std::string offsets;
    for (int i = 0; i < records; ++i) {
        const uint32_t values[] = {size,        size + 1,    size - 1,   size - 59,  size - 60,
                                   0x7FFFFFFF,  0x80000000,  0x80000001, 0xFFFFFFFF, 0xFFFFFFC4,
                                   0x80000000u | static_cast<uint32_t>(random()), static_cast<uint32_t>(random())};
        const uint32_t offset = OneOf(random, values);
        SetOffset(copy, Below(random, RecordCount(*copy)), offset);
        offsets += " " + Hex(offset);
    }
    Note(copy, "record offsets set to" + offsets);
}

void OffsetsInsidePackets(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const int records = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < records; ++i) {
        const BasePacket& packet = AnyPacket(base, random);
        const uint32_t into[] = {1, 4, 48, packet.headerLength + 4, 1 + static_cast<uint32_t>(Below(random, packet.totalLength - 1))};
        SetOffset(copy, Below(random, RecordCount(*copy)), packet.offset + OneOf(random, into));
    }
    Note(copy, std::to_string(records) + " record offsets pointed inside packets");
}

void AllOffsetsHigh(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const bool keepLow = random() % 2 == 0;
    for (size_t r = 0; r < RecordCount(*copy); ++r) {
        uint32_t offset = 0;
        memcpy(&offset, copy->index.data() + RecordAt(r) + offsetof(IndexRecord, offset), 4);
        SetOffset(copy, r, keepLow ? (offset | 0x80000000u) : (0x80000000u | static_cast<uint32_t>(random())));
    }
    Note(copy, keepLow ? "bit 31 set in every record offset" : "every record offset random from 2^31 on");
}

void KindGarbage(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const bool every = random() % 3 == 0;
    const size_t records = every ? RecordCount(*copy) : 1 + Below(random, 8);
    const uint8_t kinds[] = {0x01, 0x02, 0x0F, 0x22, 0x50, 0x52, 0x92, 0xFF};
    for (size_t i = 0; i < records; ++i) {
        const size_t record = every ? i : Below(random, RecordCount(*copy));
        Put8(copy->index, RecordAt(record) + offsetof(IndexRecord, kind),
             random() % 2 == 0 ? OneOf(random, kinds) : static_cast<uint8_t>(random()));
    }
    Note(copy, every ? "every record kind garbage" : std::to_string(records) + " record kinds garbage");
}

// Kinds no read stops at: one call walks the whole index.
void NoStoppingKinds(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const uint8_t kinds[] = {0x01, 0x03, 0x22, 0x42};
    const uint8_t kind = OneOf(random, kinds);
    for (size_t r = 0; r < RecordCount(*copy); ++r) {
        Put8(copy->index, RecordAt(r) + offsetof(IndexRecord, kind), kind);
    }
    Note(copy, "every record of kind " + Hex(kind));
}

void ChannelGarbage(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const int records = 1 + static_cast<int>(random() % 6);
    const int16_t units[] = {-32768, -1, 0, 31, 32, 0x7FFF, static_cast<int16_t>(random())};
    const int8_t channels[] = {-128, -1, 0, 5, 127, static_cast<int8_t>(random())};
    for (int i = 0; i < records; ++i) {
        const size_t at = RecordAt(Below(random, RecordCount(*copy)));
        PutLittle(copy->index, at, static_cast<uint16_t>(OneOf(random, units)), 2);
        Put8(copy->index, at + offsetof(IndexRecord, channel), static_cast<uint8_t>(OneOf(random, channels)));
    }
    Note(copy, std::to_string(records) + " records with garbage units and channels");
}

// More channels than the manager's table and the views: copies of the records under 200
// channel numbers of their own.
void ManyChannels(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const size_t records = RecordCount(*copy);
    if (records == 0) {
        return;
    }
    for (int32_t n = 0; n < 200; ++n) {
        const size_t source = RecordAt(Below(random, records));
        std::vector<uint8_t> record(copy->index.begin() + static_cast<std::ptrdiff_t>(source),
                                    copy->index.begin() + static_cast<std::ptrdiff_t>(source + kIndexRecordSize));
        PutLittle(record, 0, static_cast<uint16_t>(n / 4 - 25), 2);
        record[offsetof(IndexRecord, channel)] = static_cast<uint8_t>(n % 4 + 1);
        copy->index.insert(copy->index.begin() + static_cast<std::ptrdiff_t>(RecordAt(Below(random, records))),
                           record.begin(), record.end());
    }
    Note(copy, "200 records added under channels of their own");
}

void RecordsReordered(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const size_t records = RecordCount(*copy);
    std::vector<size_t> order(records);
    for (size_t r = 0; r < records; ++r) {
        order[r] = r;
    }
    const uint32_t how = random() % 3;
    if (how == 0) {
        std::reverse(order.begin(), order.end());
    } else if (how == 1) {
        std::shuffle(order.begin(), order.end(), random);
    } else if (records >= 2) {
        for (int i = 0; i < 4; ++i) {
            std::swap(order[Below(random, records)], order[Below(random, records)]);
        }
    }
    std::vector<uint8_t> index(copy->index.size());
    std::copy(copy->index.begin() + static_cast<std::ptrdiff_t>(RecordAt(records)), copy->index.end(),
              index.begin() + static_cast<std::ptrdiff_t>(RecordAt(records)));
    for (size_t r = 0; r < records; ++r) {
        memcpy(index.data() + RecordAt(r), copy->index.data() + RecordAt(order[r]), kIndexRecordSize);
    }
    copy->index = index;
    Note(copy, how == 0 ? "records reversed" : how == 1 ? "records shuffled" : "records swapped");
}

// One record repeated a few times, or a picture inside a group of a stream repeated past the
// longest group of pictures an exact step walks.
void RecordRepeated(const BaseRecording& base, Random& random, RecordingCopy* copy)
{
    const size_t records = RecordCount(*copy);
    const bool pastTheWalk = random() % 2 == 0;
    const size_t times = pastTheWalk ? 2 * kMaxGroupRecords + 50 : 1 + Below(random, 20);
    const size_t record = pastTheWalk ? static_cast<size_t>(&PacketWhere(base, random, [&](const BasePacket& p) {
                                            return base.IsVideo(p) && base.media[p.offset + 1] != 0;
                                        }) - base.packets.data())
                                      : Below(random, records);
    const size_t source = RecordAt(record);
    if (source + kIndexRecordSize > copy->index.size()) {
        return;
    }
    const std::vector<uint8_t> one(copy->index.begin() + static_cast<std::ptrdiff_t>(source),
                                   copy->index.begin() + static_cast<std::ptrdiff_t>(source + kIndexRecordSize));
    std::vector<uint8_t> repeated;
    for (size_t i = 0; i < times; ++i) {
        repeated.insert(repeated.end(), one.begin(), one.end());
    }
    copy->index.insert(copy->index.begin() + static_cast<std::ptrdiff_t>(source), repeated.begin(), repeated.end());
    Note(copy, "record " + std::to_string(record) + " repeated " + std::to_string(times) + " times");
}

void IndexBitFlips(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const int flips = 1 + static_cast<int>(random() % 32);
    FlipBits(copy->index, 0, copy->index.size(), flips, random);
    Note(copy, std::to_string(flips) + " bits flipped in the index");
}

void RecordsZeroedOrReservedGarbage(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const bool zero = random() % 2 == 0;
    const int records = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < records; ++i) {
        const size_t at = RecordAt(Below(random, RecordCount(*copy)));
        if (zero) {
            for (int b = 0; b < kIndexRecordSize; ++b) {
                Put8(copy->index, at + static_cast<size_t>(b), 0);
            }
        } else {
            for (size_t b = offsetof(IndexRecord, reserved4); b < offsetof(IndexRecord, offset); ++b) {
                Put8(copy->index, at + b, static_cast<uint8_t>(random()));
            }
        }
    }
    Note(copy, std::to_string(records) + (zero ? " records zeroed" : " records with garbage reserved bytes"));
}

// --- bits anywhere -----------------------------------------------------------------------------

void MediaBitFlips(const BaseRecording&, Random& random, RecordingCopy* copy)
{
    const int flips = 1 + static_cast<int>(random() % 32);
    FlipBits(copy->media, 0, copy->media.size(), flips, random);
    Note(copy, std::to_string(flips) + " bits flipped anywhere in the media");
}

// --- the table ---------------------------------------------------------------------------------

const DamageKind kHeaderFields[] = {
    {"header bit flips", HeaderBitFlips},
    {"header overwritten", HeaderOverwritten},
    {"header length extreme", HeaderLengthExtreme},
    {"total length extreme", TotalLengthExtreme},
    {"total length at the buffer", TotalLengthAtTheBuffer},
    {"type garbage", TypeGarbage},
    {"unit and channel garbage", UnitAndChannelGarbage},
    {"option mask garbage", OptionMaskGarbage},
    {"sequence garbage", SequenceGarbage},
    {"date garbage", DateGarbage},
    {"media bit flips", MediaBitFlips},
};

const DamageKind kOptionsAndPayloads[] = {
    {"event option", EventOptionDamage},
    {"event option length", EventOptionLength},
    {"option area garbage", OptionAreaGarbage},
    {"video payload flips", VideoPayloadFlips},
    {"video payload run", VideoPayloadRun},
    {"JPEG frame header", JpegFrameHeader},
    {"stream header", StreamHeader},
    {"JPEG segment length", JpegSegmentLength},
    {"audio payload", AudioPayloadDamage},
    {"audio payload length", AudioPayloadLength},
    {"codec swapped", CodecSwapped},
};

const DamageKind kCutFiles[] = {
    {"media cut in a packet", MediaCutInPacket},
    {"media cut anywhere", MediaCutAnywhere},
    {"index cut", IndexCut},
    {"both cut", BothCut},
    {"garbage appended", GarbageAppended},
    {"packet removed", PacketRemoved},
};

const DamageKind kIndexRecords[] = {
    {"offsets past the end", OffsetsPastTheEnd},
    {"offsets inside packets", OffsetsInsidePackets},
    {"all offsets high", AllOffsetsHigh},
    {"kind garbage", KindGarbage},
    {"no stopping kinds", NoStoppingKinds},
    {"channel garbage", ChannelGarbage},
    {"many channels", ManyChannels},
    {"records reordered", RecordsReordered},
    {"record repeated", RecordRepeated},
    {"index bit flips", IndexBitFlips},
    {"records zeroed or reserved garbage", RecordsZeroedOrReservedGarbage},
};

template <size_t N>
const DamageKind& PickFrom(const DamageKind (&table)[N], Random& random)
{
    return table[Below(random, N)];
}

// A kind of `family`; for Mixed, a kind of any other family.
const DamageKind& PickKind(DamageFamily family, Random& random)
{
    switch (family) {
    case DamageFamily::HeaderFields:
        return PickFrom(kHeaderFields, random);
    case DamageFamily::OptionsAndPayloads:
        return PickFrom(kOptionsAndPayloads, random);
    case DamageFamily::CutFiles:
        return PickFrom(kCutFiles, random);
    case DamageFamily::IndexRecords:
        return PickFrom(kIndexRecords, random);
    case DamageFamily::Mixed:
        break;
    }
    const DamageFamily single[] = {DamageFamily::HeaderFields, DamageFamily::OptionsAndPayloads,
                                   DamageFamily::CutFiles, DamageFamily::IndexRecords};
    return PickKind(single[random() % 4], random);
}

}  // namespace

const char* FamilyName(DamageFamily family)
{
    switch (family) {
    case DamageFamily::HeaderFields:
        return "header fields";
    case DamageFamily::OptionsAndPayloads:
        return "options and payloads";
    case DamageFamily::CutFiles:
        return "cut files";
    case DamageFamily::IndexRecords:
        return "index records";
    case DamageFamily::Mixed:
        return "mixed";
    }
    return "?";
}

RecordingCopy DamagedCopy(const BaseRecording& base, DamageFamily family, uint32_t seed)
{
    Random random(seed);
    RecordingCopy copy{base.media, base.index, ""};
    const int damages = family == DamageFamily::Mixed ? 2 + static_cast<int>(random() % 3) : 1;
    for (int i = 0; i < damages; ++i) {
        const DamageKind& kind = PickKind(family, random);
        Note(&copy, std::string("[") + kind.name + "]");
        kind.apply(base, random, &copy);
    }
    return copy;
}
