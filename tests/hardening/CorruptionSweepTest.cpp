// The corruption sweep: a few hundred damaged copies of one synthesized recording, family by
// family, each written to disk and run through opening, reading in every direction, exact steps,
// video decoding with event text and the audio path. No copy may crash, trip a sanitizer or hang
// (the test's time-out), every failure must be a documented result code, and the files must be
// byte for byte what they were before they were read.
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/hardening/BaseRecording.h"
#include "tests/hardening/CopyProbe.h"
#include "tests/hardening/RecordingDamage.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TavReportLog.h"
#include "tests/support/TempDir.h"

#ifndef KVR_SWEEP_COPIES
#define KVR_SWEEP_COPIES 100
#endif

namespace {

// A deeper hunt, by hand: KVR_SWEEP_COPIES=5000 KVR_SWEEP_SEED=7 corruption_sweep_tests
int32_t FromEnvironment(const char* name, int32_t fallback)
{
    const char* text = getenv(name);
    const long value = text != nullptr ? strtol(text, nullptr, 10) : 0;
    return value > 0 && value <= 1000000 ? static_cast<int32_t>(value) : fallback;
}

const int32_t kCopiesPerFamily = FromEnvironment("KVR_SWEEP_COPIES", KVR_SWEEP_COPIES);
const uint32_t kSeedRound = static_cast<uint32_t>(FromEnvironment("KVR_SWEEP_SEED", 0));

void PrintCounts(const char* name, const ProbeCounts& c)
{
    printf("%s: %lld copies, %lld opened, %lld packets read, %lld read and %lld index failures, %lld group walks;"
           " video %lld taken, %lld decoded, %lld rejected, %lld dropped, %lld not video, %lld with event text,"
           " %lld step decodes; audio %lld routed, %lld ignored, %lld decoded, %lld silent\n",
           name, static_cast<long long>(c.copies), static_cast<long long>(c.opened),
           static_cast<long long>(c.packets), static_cast<long long>(c.readFailures),
           static_cast<long long>(c.indexFailures), static_cast<long long>(c.steps),
           static_cast<long long>(c.video.taken), static_cast<long long>(c.video.decoded),
           static_cast<long long>(c.video.rejected), static_cast<long long>(c.video.dropped),
           static_cast<long long>(c.video.notVideo), static_cast<long long>(c.video.composed),
           static_cast<long long>(c.video.stepDecodes), static_cast<long long>(c.audio.routed),
           static_cast<long long>(c.audio.ignored), static_cast<long long>(c.audio.decoded),
           static_cast<long long>(c.audio.silent));
}

class CorruptionSweep : public testing::Test {
protected:
    void SetUp() override
    {
        // Damaged streams make the decoder library complain on every packet.
        av_log_set_level(AV_LOG_QUIET);
        std::string error;
        base = SharedBaseRecording(&error);
        ASSERT_NE(base, nullptr) << error;
    }

    // Runs one copy; false (with the copy's story as a test failure) when anything went wrong.
    bool Probe(const RecordingCopy& copy, const std::string& name, uint32_t seed)
    {
        if (!WriteFileBytes(media, copy.media) || !WriteFileBytes(index, copy.index)) {
            ADD_FAILURE() << "cannot write " << name;
            return false;
        }
        std::vector<std::string> problems;
        probe.Run(media, index, seed, &problems);
        if (problems.empty()) {
            return true;
        }
        std::string story;
        for (size_t i = 0; i < problems.size() && i < 8; ++i) {
            story += "\n  " + problems[i];
        }
        ADD_FAILURE() << name << " (" << copy.damage << ") failed " << problems.size() << " checks:" << story;
        return false;
    }

    // Every copy of the family, stopping at the first that fails so that one fault is told once.
    void Sweep(DamageFamily family, uint32_t familySeed)
    {
        TavReportLog quiet;   // the packet module reports every refusal; they are expected here
        for (int32_t n = 0; n < kCopiesPerFamily; ++n) {
            const uint32_t seed = (kSeedRound * 8u + familySeed) * 1000000u + static_cast<uint32_t>(n);
            const RecordingCopy copy = DamagedCopy(*base, family, seed);
            if (!Probe(copy, std::string(FamilyName(family)) + " copy " + std::to_string(n) + " seed " +
                                 std::to_string(seed),
                       seed)) {
                break;
            }
        }
        PrintCounts(FamilyName(family), probe.counts);
        // A sweep whose copies never reach the readers and decoders proves nothing.
        EXPECT_EQ(probe.counts.copies, kCopiesPerFamily);
        EXPECT_GT(probe.counts.opened, 0);
        EXPECT_GT(probe.counts.packets, 0);
        EXPECT_GT(probe.counts.video.decoded, 0);
        EXPECT_GT(probe.counts.audio.decoded, 0);
    }

    const BaseRecording* base = nullptr;
    TempDir dir;
    std::string media = dir.File("copy.kvr");
    std::string index = dir.File("copy.idx");
    CopyProbe probe;
};

// The undamaged recording reads whole and decodes throughout: every codec, the event text and
// all three audio codecs, so the copies below start from something every path accepts.
TEST_F(CorruptionSweep, TheBaseRecordingReadsAndDecodesThroughout)
{
    RecordingCopy copy{base->media, base->index, "none"};
    ASSERT_TRUE(Probe(copy, "base", 1));
    const ProbeCounts& c = probe.counts;
    PrintCounts("base", c);
    EXPECT_EQ(c.opened, 1);
    EXPECT_EQ(c.readFailures, 0);
    EXPECT_EQ(c.video.rejected, 0);
    EXPECT_EQ(c.video.notVideo, 0);
    size_t video = 0;
    size_t audio = 0;
    for (const BasePacket& packet : base->packets) {
        video += base->IsVideo(packet);
        audio += base->IsAudio(packet);
    }
    EXPECT_GE(c.video.decoded, static_cast<int64_t>(video)) << "every picture decodes on the way forwards";
    EXPECT_GE(c.video.composed, static_cast<int64_t>(video)) << "every picture carries event text";
    EXPECT_GE(c.audio.decoded, static_cast<int64_t>(audio)) << "every audio packet decodes on the way forwards";
    EXPECT_EQ(c.audio.ignored, 0);
    EXPECT_EQ(c.audio.silent, 0);
}

TEST_F(CorruptionSweep, DamagedHeaderFields)
{
    Sweep(DamageFamily::HeaderFields, 1);
}

TEST_F(CorruptionSweep, DamagedOptionsAndPayloads)
{
    Sweep(DamageFamily::OptionsAndPayloads, 2);
}

TEST_F(CorruptionSweep, CutAndGrownFiles)
{
    Sweep(DamageFamily::CutFiles, 3);
}

TEST_F(CorruptionSweep, DamagedIndexRecords)
{
    Sweep(DamageFamily::IndexRecords, 4);
}

TEST_F(CorruptionSweep, MixedDamage)
{
    Sweep(DamageFamily::Mixed, 5);
}

}  // namespace
