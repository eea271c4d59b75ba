#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "recording/MediaFileMng.h"
#include "tests/support/RecordingFixture.h"
#include "tests/support/TavReportLog.h"
#include "tests/support/TestOwner.h"

namespace {

// Pairs of random bytes shaped roughly like recordings: headers with lying lengths, records with
// random kinds and offsets, trailing pieces. Every read must end in one of its codes, and a
// packet it returns must be whole and inside the buffer.
TEST(DamagedRecording, ReadsInEveryDirectionStayWithinTheirCodes)
{
    std::mt19937 random(20091201);
    auto byte = [&] { return static_cast<uint8_t>(random() & 0xFF); };
    TavReportLog quiet;   // the reader reports every refusal; they are expected here

    for (int round = 0; round < 60; ++round) {
        RecordingFiles files;
        RecordingWriter writer;
        ASSERT_EQ(writer.Create(files.media, files.index), 0);
        std::vector<int64_t> offsets;
        for (int p = 0; p < 20; ++p) {
            PacketSpec spec;
            spec.type = byte();
            spec.sequence = byte();
            spec.unit = static_cast<uint16_t>(random() % 3);
            spec.channel = static_cast<uint16_t>(random() % 5);
            spec.payload.assign(random() % 300, byte());
            for (int o = 0; o < 3; ++o) {
                spec.options.push_back(PacketOptionSpec{static_cast<uint8_t>(random() % 10), std::vector<uint8_t>(random() % 20, 8),
                                                        random() % 4 == 0 ? static_cast<int32_t>(byte()) : -1});
            }
            if (random() % 4 == 0) {
                spec.headerLength = static_cast<int32_t>(random() % 400);
            }
            if (random() % 4 == 0) {
                spec.totalLength = static_cast<int64_t>(random());
            }
            offsets.push_back(writer.WritePacketOnly(spec));
        }
        for (int r = 0; r < 40; ++r) {
            const uint32_t offset = random() % 3 == 0 ? static_cast<uint32_t>(random())
                                                      : static_cast<uint32_t>(offsets[random() % offsets.size()]);
            ASSERT_EQ(writer.WriteIndexRecord(MakeIndexRecord(static_cast<int32_t>(random() % 3) - 1,
                                                              static_cast<int32_t>(random() % 6), byte(), offset)),
                      0);
        }
        const uint8_t piece[7] = {byte(), byte(), byte(), byte(), byte(), byte(), byte()};
        ASSERT_EQ(writer.WriteIndexBytes(piece, random() % 7), 0);
        ASSERT_EQ(writer.Close(), 0);

        TestOwner owner;
        MediaFileMng manager;
        manager.owner = &owner;
        ASSERT_EQ(manager.Open(files.media.c_str(), files.index.c_str()), 0);
        std::vector<uint8_t> buffer(kMediaReadCapacity + 64, 0xEE);
        auto check = [&](int32_t result) {
            if (result > 0) {
                ASSERT_LE(static_cast<uint32_t>(result), kMediaReadCapacity);
                ASSERT_EQ(TavGetTotalLength(buffer.data()), static_cast<uint32_t>(result));
                PacketOptions options{};
                ASSERT_TRUE(TavParseOptions(buffer.data(), &options));
            } else {
                ASSERT_TRUE(result == kMediaNotStopped || result == kMediaNoMoreData || result == kMediaReadFailed ||
                            result == kMediaIndexFailed)
                    << result;
            }
            for (size_t i = kMediaReadCapacity; i < buffer.size(); ++i) {
                ASSERT_EQ(buffer[i], 0xEE);
            }
        };
        for (int step = 0; step < 120; ++step) {
            switch (random() % 3) {
            case 0:
                check(manager.ReadNext(buffer.data()));
                break;
            case 1:
                check(manager.ReadPrevious(buffer.data()));
                break;
            default:
                check(manager.ReadAt(static_cast<int32_t>(random() % (manager.RecordCount() + 1)), buffer.data()));
                break;
            }
        }
    }
}

}  // namespace
