#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "video/BuiltInLogComposer.h"
#include "video/ComposerLayout.h"
#include "video/EventRecord.h"

namespace {

constexpr uint32_t kMarch5th2010At140709 = 1267798029;

// The record of `spec`: the option's bytes after its head.
std::vector<uint8_t> RecordOf(const EventSpec& spec)
{
    std::vector<uint8_t> option;
    EXPECT_EQ(EncodeEventOption(spec, &option), 0);
    return std::vector<uint8_t>(option.begin() + kEventHeadSize, option.end());
}

// `count` bytes of `record` at the very end of a heap block of their own, so a read past
// them lands in the sanitizer's red zone.
struct TailRecord {
    TailRecord(const std::vector<uint8_t>& record, size_t count)
        : bytes(new uint8_t[count]), length(static_cast<int32_t>(count))
    {
        memcpy(bytes.get(), record.data(), count);
    }
    std::unique_ptr<uint8_t[]> bytes;
    int32_t length;
};

struct Composed {
    std::string text;
    int32_t result = 0;
};

Composed Compose(const uint8_t* data, int32_t length, int32_t item, int32_t bufferSize = kComposerTextCapacity)
{
    BuiltInLogComposer composer;
    std::vector<char> buffer(static_cast<size_t>(bufferSize), 'Z');
    Composed composed;
    composed.result = composer.ComposeText(data, length, 1u << item, buffer.data(), bufferSize);
    composed.text.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
    EXPECT_LT(composed.text.size(), buffer.size()) << "not terminated";
    return composed;
}

std::vector<std::string> ComposeAll(const uint8_t* data, int32_t length)
{
    std::vector<std::string> items;
    for (int32_t item = 0; item < kBuiltInItemCount; ++item) {
        const Composed composed = Compose(data, length, item);
        EXPECT_EQ(composed.result, composed.text.empty() ? 0 : 1) << item;
        items.push_back(composed.text);
    }
    return items;
}

}  // namespace

TEST(LogComposer, LayoutAsksForEveryItem)
{
    BuiltInLogComposer first;
    BuiltInLogComposer second;
    const uint8_t* block = first.GetLayout();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(second.GetLayout(), block);
    ComposerLayout layout;
    memcpy(layout.bytes, block, kComposerLayoutSize);
    EXPECT_EQ(layout.ItemCount(), 5);
    EXPECT_EQ(layout.ItemMask(), 0x1Fu);
}

TEST(LogComposer, ComposesTheItemsOfEachKind)
{
    const struct {
        EventSpec spec;
        std::vector<std::string> items;
    } cases[] = {
        {{.kind = kEventKindMotion, .place = 3, .began = kMarch5th2010At140709, .texts = {"Gate"}},
         {"MOTION", "Zone 3", "14:07:09", "Gate", ""}},
        {{.kind = kEventKindAlarm, .place = 2, .texts = {}}, {"ALARM", "Input 2", "", "", ""}},
        {{.kind = kEventKindVideoLoss, .place = 4, .texts = {}}, {"VIDEO LOSS", "", "", "", ""}},
        {{.kind = kEventKindTamper, .place = 1, .texts = {"Lens covered"}},
         {"TAMPER", "Zone 1", "", "Lens covered", ""}},
        {{.kind = kEventKindNote, .texts = {"Shift change", "Operator 7", "unseen"}},
         {"NOTE", "", "", "Shift change", "Operator 7"}},
        {{.kind = kEventKindMotion, .place = 0, .texts = {}}, {"MOTION", "", "", "", ""}},
        {{.kind = 200, .place = 9, .texts = {}}, {"EVENT 200", "", "", "", ""}},
        {{.kind = kEventKindNone, .place = 5, .began = kMarch5th2010At140709, .texts = {}},
         {"", "", "14:07:09", "", ""}},
        // The last second the views can show, and the first they cannot.
        {{.kind = kEventKindAlarm, .began = 0x7FFFFFFF, .texts = {}}, {"ALARM", "", "03:14:07", "", ""}},
        {{.kind = kEventKindAlarm, .began = 0x80000000, .texts = {}}, {"ALARM", "", "", "", ""}},
        // Control characters become spaces; a zero byte ends the text.
        {{.kind = kEventKindNote, .texts = {"a\tb\nc", std::string("d\0e", 3)}}, {"NOTE", "", "", "a b c", "d"}},
        {{.kind = kEventKindNote, .texts = {"", "Caf\xC3\xA9"}}, {"NOTE", "", "", "", "Caf\xC3\xA9"}},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> record = RecordOf(c.spec);
        const TailRecord tail(record, record.size());
        EXPECT_EQ(ComposeAll(tail.bytes.get(), tail.length), c.items) << c.items[0] << " " << c.items[1];
    }
}

TEST(LogComposer, OtherItemBitsGiveNoText)
{
    const std::vector<uint8_t> record = RecordOf({.kind = kEventKindMotion, .place = 1, .texts = {"a", "b"}});
    BuiltInLogComposer composer;
    for (const uint32_t itemBit : {0u, 3u, 1u << 5, 1u << 31, 0xFFFFFFFFu}) {
        char buffer[kComposerTextCapacity] = "stale";
        EXPECT_EQ(composer.ComposeText(record.data(), static_cast<int32_t>(record.size()), itemBit, buffer,
                                       kComposerTextCapacity),
                  0)
            << itemBit;
        EXPECT_STREQ(buffer, "") << itemBit;
    }
}

// Every prefix of a record, each at the end of its heap block: nothing is read past it, the
// fixed part is all or nothing, and texts are cut where the data ends.
TEST(LogComposer, CutRecordsAreReadOnlyWithinTheirLength)
{
    const std::vector<uint8_t> record = RecordOf(
        {.kind = kEventKindMotion, .place = 3, .began = kMarch5th2010At140709, .texts = {"North gate", "Car park"}});
    const std::vector<std::string> whole = ComposeAll(record.data(), static_cast<int32_t>(record.size()));
    for (size_t length = 0; length <= record.size(); ++length) {
        const TailRecord tail(record, length);
        const std::vector<std::string> items = ComposeAll(tail.bytes.get(), tail.length);
        for (size_t item = 0; item < 3; ++item) {
            EXPECT_EQ(items[item], length < kEventRecordFixedSize ? "" : whole[item]) << length;
        }
        for (size_t item = 3; item < 5; ++item) {
            EXPECT_EQ(whole[item].compare(0, items[item].size(), items[item]), 0) << length << " " << items[item];
        }
    }
    EXPECT_EQ(ComposeAll(record.data(), 8)[3], "");                        // the first length byte alone
    EXPECT_EQ(ComposeAll(record.data(), 11)[3], "Nor");
    EXPECT_EQ(ComposeAll(record.data(), 7 + 11 + 1 + 3)[4], "Car");
}

TEST(LogComposer, LyingLengthsAreNeverFollowed)
{
    std::vector<uint8_t> record = RecordOf({.kind = kEventKindNote, .texts = {"abc"}});
    record[kEventRecordFixedSize] = 200;   // the text claims 200 bytes, 3 follow
    record[kEventTextCountOffset] = 255;   // and 255 texts
    const TailRecord tail(record, record.size());
    EXPECT_EQ(ComposeAll(tail.bytes.get(), tail.length), (std::vector<std::string>{"NOTE", "", "", "abc", ""}));

    const EventRecordReader reader(tail.bytes.get(), tail.length);
    EXPECT_EQ(reader.TextCount(), 1);
    const uint8_t* text = nullptr;
    int32_t textLength = 0;
    ASSERT_TRUE(reader.Text(0, &text, &textLength));
    EXPECT_EQ(textLength, 3);
    EXPECT_FALSE(reader.Text(1, &text, &textLength));
    EXPECT_FALSE(reader.Text(-1, &text, &textLength));

    // No data, or a length that is none.
    const TailRecord empty(record, 0);
    for (const int32_t length : {0, -1, -7, INT_MIN}) {
        EXPECT_EQ(ComposeAll(record.data(), length), std::vector<std::string>(5)) << length;
    }
    EXPECT_EQ(ComposeAll(empty.bytes.get(), empty.length), std::vector<std::string>(5));
    EXPECT_EQ(ComposeAll(nullptr, 100), std::vector<std::string>(5));
}

TEST(LogComposer, TextsFitTheBufferTheyAreGiven)
{
    BuiltInLogComposer composer;
    const std::vector<uint8_t> record =
        RecordOf({.kind = kEventKindMotion, .began = kMarch5th2010At140709, .texts = {std::string(200, 'x')}});
    const auto length = static_cast<int32_t>(record.size());

    // 128 bytes of a larger block: 127 characters, the terminator, nothing beyond.
    char guarded[160];
    memset(guarded, 'G', sizeof guarded);
    EXPECT_EQ(composer.ComposeText(record.data(), length, 1u << 3, guarded, kComposerTextCapacity), 1);
    EXPECT_EQ(std::string(guarded), std::string(127, 'x'));
    EXPECT_EQ(std::string(guarded + 128, 32), std::string(32, 'G'));

    const struct {
        int32_t item;
        int32_t bufferSize;
        const char* text;
    } tiny[] = {{0, 3, "MO"}, {2, 4, "14:"}, {3, 2, "x"}, {0, 1, ""}, {3, 1, ""}};
    for (const auto& t : tiny) {
        memset(guarded, 'G', sizeof guarded);
        EXPECT_EQ(composer.ComposeText(record.data(), length, 1u << t.item, guarded, t.bufferSize),
                  t.text[0] != '\0' ? 1 : 0);
        EXPECT_STREQ(guarded, t.text) << t.item << " " << t.bufferSize;
        EXPECT_EQ(guarded[t.bufferSize], 'G') << t.item << " " << t.bufferSize;
    }
    for (const int32_t none : {0, -1, INT_MIN}) {
        memset(guarded, 'G', sizeof guarded);
        EXPECT_EQ(composer.ComposeText(record.data(), length, 1u << 0, guarded, none), 0);
        EXPECT_EQ(guarded[0], 'G');
    }
    EXPECT_EQ(composer.ComposeText(record.data(), length, 1u << 0, nullptr, kComposerTextCapacity), 0);
}

// A text cut to fit loses a whole UTF-8 sequence, never part of one.
TEST(LogComposer, CutTextsEndOnACharacter)
{
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {std::string(126, 'a') + "\xC3\xA9" "b", std::string(126, 'a')},
        {std::string(125, 'a') + "\xE2\x82\xAC", std::string(125, 'a')},
        {std::string(124, 'a') + "\xE2\x82\xAC" "b", std::string(124, 'a') + "\xE2\x82\xAC"},
        {std::string(125, 'a') + "\xC3\xA9", std::string(125, 'a') + "\xC3\xA9"},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> record = RecordOf({.kind = kEventKindNote, .texts = {c.text}});
        EXPECT_EQ(Compose(record.data(), static_cast<int32_t>(record.size()), 3).text, c.shown) << c.text.size();
    }
}

TEST(EventRecord, EncodesTheHeadTheViewsRead)
{
    std::vector<uint8_t> option;
    ASSERT_EQ(EncodeEventOption({.number = 0x1234, .time = 0x4B91109D, .source = 7, .kind = kEventKindAlarm,
                                 .place = 2, .began = 0x01020304, .texts = {"ab", "c"}},
                                &option),
              0);
    const std::vector<uint8_t> expected = {
        8, 34, 0, 0, 0x34, 0x12, 0x9D, 0x10, 0x91, 0x4B, 0, 0, 0, 0x87, 0, 0, 0, 0, 0, 0, 7, 0,   // head
        kEventKindAlarm, 2, 0x04, 0x03, 0x02, 0x01, 2, 2, 'a', 'b', 1, 'c'};
    EXPECT_EQ(option, expected);
}

TEST(EventRecord, RefusesOptionsPastTheLengthByte)
{
    std::vector<uint8_t> option;
    // 22 + 7 + 1 + 225 = 255 bytes is the longest option.
    EXPECT_EQ(EncodeEventOption({.texts = {std::string(225, 't')}}, &option), 0);
    EXPECT_EQ(option.size(), 255u);
    EXPECT_EQ(option[1], 255);
    EXPECT_EQ(EncodeEventOption({.texts = {std::string(226, 't')}}, &option), kEventOptionTooLong);
    EXPECT_TRUE(option.empty());
    EXPECT_EQ(EncodeEventOption({.texts = {std::string(200, 't'), std::string(30, 't')}}, &option),
              kEventOptionTooLong);
    EXPECT_EQ(EncodeEventOption({.texts = {std::string(256, 't')}}, &option), kEventTextTooLong);
    EXPECT_TRUE(option.empty());
}
