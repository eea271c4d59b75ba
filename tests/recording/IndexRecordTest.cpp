#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "recording/IndexPath.h"
#include "recording/IndexRecord.h"
#include "recording/QelSmartLcid2Callback.h"

namespace {

TEST(IndexRecord, LittleEndianSignedFields)
{
    const IndexRecord record = MakeIndexRecord(-2, -3, 0x92, 0x01020304);
    uint8_t bytes[20];
    memcpy(bytes, &record, sizeof bytes);
    EXPECT_EQ(bytes[0], 0xFE);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0xFD);
    EXPECT_EQ(bytes[3], 0x92);
    EXPECT_EQ(bytes[16], 0x04);
    EXPECT_EQ(bytes[19], 0x01);
    EXPECT_EQ(IndexRecordUnit(record), -2);
    EXPECT_EQ(IndexRecordChannel(record), -3);
    EXPECT_EQ(IndexRecordOffset(record), 0x01020304u);
    EXPECT_EQ(IndexRecordChannelNumber(record), -2 * 4 - 3 - 1);
    EXPECT_EQ(IndexRecordChannelNumber(MakeIndexRecord(1, 2, 0, 0)), 5);
}

TEST(IndexRecord, KindsAtWhichReadsStop)
{
    for (int kind = 0; kind < 256; ++kind) {
        const auto k = static_cast<uint8_t>(kind);
        const bool forward = (kind & 0x0F) == 0 || kind == 0x12 || kind == 0x32 || kind == 0x92;
        const bool backward = kind == 0x00 || kind == 0x10 || kind == 0x50;
        EXPECT_EQ(IndexKindStopsForward(k), forward) << kind;
        EXPECT_EQ(IndexKindStopsBackward(k), backward) << kind;
        EXPECT_EQ(IndexKindIsVideo(k), (kind & 0x0F) == 0) << kind;
        EXPECT_EQ(IndexKindIsAudio(k), (kind & 0x0F) == 2) << kind;
    }
}

TEST(IndexPath, ReplacesTheLastThreeCharacters)
{
    const std::pair<std::string, std::string> cases[] = {
        {"/data/cam/rec.kvr", "/data/cam/rec.idx"},
        {"REC.KVR", "REC.idx"},
        {"rec.kvr.bak", "rec.kvr.idx"},   // the rule does not look at the path
        {"abcd", "aidx"},
        {"abc", "idx"},
        {"a", "idx"},
        {"", "idx"},
    };
    for (const auto& [media, index] : cases) {
        EXPECT_EQ(IndexPathFor(media), index) << media;
    }
}

void Ignore(void*, int32_t, const uint8_t*, uint32_t) {}

TEST(ChannelRegistry, RegisterReplacesLookupMissesClearEmpties)
{
    QelSmartLcid2Callback registry;
    int first = 0;
    int second = 0;
    registry.Register(5, ChannelHandler{&first, &Ignore});
    registry.Register(-3, ChannelHandler{&first, &Ignore});
    registry.Register(5, ChannelHandler{&second, &Ignore});
    registry.Register(131071, ChannelHandler{&second, &Ignore});   // unit 32767, channel 4
    EXPECT_EQ(registry.Count(), 3);
    EXPECT_EQ(registry.Lookup(5).context, &second);
    EXPECT_EQ(registry.Lookup(-3).context, &first);
    EXPECT_EQ(registry.Lookup(131071).context, &second);
    const ChannelHandler missing = registry.Lookup(6);
    EXPECT_EQ(missing.context, nullptr);
    EXPECT_EQ(missing.callback, nullptr);
    registry.Clear();
    EXPECT_EQ(registry.Count(), 0);
    EXPECT_EQ(registry.Lookup(5).callback, nullptr);
    EXPECT_EQ(registry.Lookup(131071).callback, nullptr);
}

}  // namespace
