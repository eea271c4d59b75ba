// An output playing through SDL's disk driver: what reaches the device, in which order and at
// which pace, and what is refused.
#include <gtest/gtest.h>

#include <string>

#include "platform/DebugOutput.h"
#include "tests/support/StreamCapture.h"
#include "tests/ui/AudioOutFixture.h"

namespace {

struct CodecCase {
    const char* name;
    int32_t codecId;
    int32_t outputNumber;
    int32_t bufferSize;
    uint16_t formatTag;
    uint16_t channels;
    uint16_t bitsPerSample;
    size_t firstPayload;
    size_t secondPayload;   // shorter ones leave the rest of the first in the buffer
};

const CodecCase kCodecCases[] = {
    {"G711Track0", 2, 0, 4096, 7, 1, 8, 4096, 1000},
    {"G711OtherTracks", 2, 1, 1400, 7, 1, 8, 1400, 600},
    {"Ima", 9, 0, 8192, 1, 1, 16, 2112, 2112},
    {"G723", 1, 1, 16384, 1, 2, 16, 3072, 1500},
};

std::vector<uint8_t> PayloadFor(int32_t codecId, size_t size, uint32_t seed)
{
    return codecId == 9 ? ImaFrame(seed) : PayloadBytes(size, seed);
}

}  // namespace

class AudioOutCodecs : public AudioOutFixture, public testing::WithParamInterface<CodecCase> {};

TEST_P(AudioOutCodecs, EveryBufferReachesTheDeviceWholeAndInOrder)
{
    const CodecCase& c = GetParam();
    AudioOut out;
    ASSERT_EQ(out.Open(&parent, c.codecId, c.outputNumber), kAudioOpened);
    EXPECT_EQ(out.bufferSize, c.bufferSize);
    EXPECT_EQ(out.waveFormat.formatTag, c.formatTag);
    EXPECT_EQ(out.waveFormat.channels, c.channels);
    EXPECT_EQ(out.waveFormat.bitsPerSample, c.bitsPerSample);
    EXPECT_EQ(out.waveFormat.samplesPerSecond, 8000u);
    EXPECT_EQ(out.waveFormat.averageBytesPerSecond, 8000u * c.channels * c.bitsPerSample / 8);

    ReferenceBuffers reference(c.codecId, c.bufferSize);
    std::vector<int16_t> expected;
    const size_t sizes[] = {c.firstPayload, c.secondPayload};
    for (uint32_t n = 0; n < 2; ++n) {
        const std::vector<uint8_t> payload = PayloadFor(c.codecId, sizes[n], n + 1);
        ASSERT_EQ(out.Write(payload.data(), static_cast<uint32_t>(payload.size())), 1);
        const std::vector<int16_t> played = DeviceSamples(reference.Next(payload), c.codecId == 2);
        expected.insert(expected.end(), played.begin(), played.end());
    }
    EXPECT_EQ(out.pendingCount, 2) << "no done message before the event loop runs";
    ASSERT_TRUE(WaitUntilPlayed(out));
    out.Close();

    const std::vector<int16_t> onDevice = ReadDeviceSamples(device.DeviceFile(0));
    EXPECT_GE(FindSamples(onDevice, expected), 0) << "both buffers, tails included, back to back";
}

INSTANTIATE_TEST_SUITE_P(, AudioOutCodecs, testing::ValuesIn(kCodecCases),
                         [](const testing::TestParamInfo<CodecCase>& info) { return std::string(info.param.name); });

// The ring of four: done messages follow the device's pace, a buffer still with the device is
// never refilled, and a handled done message frees its slot.
TEST_F(AudioOutFixture, TheRingPlaysAtTheDevicesPaceAndNeverRefillsAHeldBuffer)
{
    AudioOut out;
    ASSERT_EQ(out.Open(&parent, 2, 1), kAudioOpened);   // 1400 bytes: 175 ms a buffer
    std::vector<std::vector<uint8_t>> payloads;
    for (uint32_t n = 0; n < 6; ++n) {
        payloads.push_back(PayloadBytes(1400, 10 + n));
    }
    QElapsedTimer clock;
    clock.start();
    for (int32_t n = 0; n < 4; ++n) {
        ASSERT_EQ(out.Write(payloads[n].data(), 1400), 1);
        EXPECT_EQ(out.writeIndex, (n + 1) % 4);
    }
    EXPECT_EQ(out.Write(payloads[4].data(), 1400), kAudioDropped) << "all four buffers are with the device";
    EXPECT_EQ(device.writes, 4);
    EXPECT_EQ(0, memcmp(out.headers[0]->data, payloads[0].data(), 1400)) << "the held buffer is untouched";

    ASSERT_TRUE(PumpUntil([&] { return out.pendingCount.load() == 3; }));
    const int64_t firstDone = clock.elapsed();
    ASSERT_EQ(out.Write(payloads[4].data(), 1400), 1) << "the handled buffer takes the next payload";
    EXPECT_EQ(0, memcmp(out.headers[0]->data, payloads[4].data(), 1400));

    std::vector<int64_t> doneAt = {firstDone};
    for (int32_t left = 3; left >= 0; --left) {
        ASSERT_TRUE(PumpUntil([&] { return out.pendingCount.load() == left; }));
        doneAt.push_back(clock.elapsed());
    }
    EXPECT_GE(doneAt[0], 140) << "the first buffer lasts 175 ms";
    for (size_t n = 1; n < doneAt.size(); ++n) {
        EXPECT_GE(doneAt[n] - doneAt[n - 1], 140) << "buffer " << n;
    }
    out.Close();

    std::vector<int16_t> expected;
    for (int32_t n = 0; n < 5; ++n) {
        const std::vector<int16_t> played = DeviceSamples(payloads[n], true);
        expected.insert(expected.end(), played.begin(), played.end());
    }
    EXPECT_GE(FindSamples(ReadDeviceSamples(device.DeviceFile(0)), expected), 0);
}

class AudioOutDrops : public AudioOutFixture, public testing::WithParamInterface<int32_t> {};

TEST_P(AudioOutDrops, AFourthPacketIsDroppedUntilADoneMessageMakesRoom)
{
    const int32_t codecId = GetParam();
    AudioOut out;
    ASSERT_EQ(out.Open(&parent, codecId, 0), kAudioOpened);
    const std::vector<uint8_t> payload = codecId == 9 ? ImaFrame(3) : PayloadBytes(3072, 3);
    for (int32_t n = 0; n < 3; ++n) {
        EXPECT_EQ(out.IsBacklogged(), n >= 2);
        ASSERT_EQ(out.Write(payload.data(), static_cast<uint32_t>(payload.size())), 1);
    }
    EXPECT_EQ(out.pendingCount, 3);
    {
        StreamCapture stdoutText(stdout);
        EXPECT_EQ(out.Write(payload.data(), static_cast<uint32_t>(payload.size())), kAudioDropped);
        EXPECT_NE(stdoutText.Text().find("Drop audio packet!!!!!!!!!!!"), std::string::npos);
    }
    EXPECT_EQ(device.writes, 3);
    ASSERT_TRUE(PumpUntil([&] { return out.pendingCount.load() == 2; }));
    EXPECT_EQ(out.Write(payload.data(), static_cast<uint32_t>(payload.size())), 1);
    out.Close();
}

INSTANTIATE_TEST_SUITE_P(, AudioOutDrops, testing::Values(9, 1),
                         [](const testing::TestParamInfo<int32_t>& info) { return info.param == 9 ? "Ima" : "G723"; });

struct SizeCase {
    const char* name;
    int32_t codecId;
    int32_t outputNumber;
    uint32_t length;
    int32_t result;
    const char* debugText;   // expected on the debugger output, or null for none
};

const SizeCase kSizeCases[] = {
    {"Over8192", 2, 0, 8193, kAudioDropped, "Quillomatic : AudioData size is over maxsize\n"},
    {"Over8192G723", 1, 0, 8193, kAudioDropped, "Quillomatic : AudioData size is over maxsize\n"},
    {"MuLawLongerThanTrack0Buffer", 2, 0, 4097, kAudioDropped, "AudioOut : mu-law payload longer than the device buffer, not played\n"},
    {"MuLawLongerThanOtherBuffer", 2, 1, 1401, kAudioDropped, "AudioOut : mu-law payload longer than the device buffer, not played\n"},
    {"MuLawFillingTheBuffer", 2, 1, 1400, 1, nullptr},
    {"G723LongerThanTheBuffer", 1, 0, 8192, 1, nullptr},
    {"ImaLongerThanAFrame", 9, 0, 8192, 1, nullptr},
};

class AudioOutSizes : public AudioOutFixture, public testing::WithParamInterface<SizeCase> {};

// ASan watches every buffer: nothing is written past the decode buffer or a device buffer.
TEST_P(AudioOutSizes, PayloadSizesStayInsideTheBuffers)
{
    const SizeCase& c = GetParam();
    AudioOut out;
    ASSERT_EQ(out.Open(&parent, c.codecId, c.outputNumber), kAudioOpened);
    const std::vector<uint8_t> payload = PayloadBytes(c.length, 5);
    DebugCapture debug;
    EXPECT_EQ(out.Write(payload.data(), c.length), c.result);
    EXPECT_EQ(debug.Text(), c.debugText != nullptr ? c.debugText : "");
    EXPECT_EQ(out.pendingCount, c.result == 1 ? 1 : 0);
    EXPECT_EQ(device.writes, c.result == 1 ? 1 : 0);
    out.Close();
}

INSTANTIATE_TEST_SUITE_P(, AudioOutSizes, testing::ValuesIn(kSizeCases),
                         [](const testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.name); });

// Device 0's volume is one gain for the whole process: left word on the left channel, right
// word on the right.
TEST_F(AudioOutFixture, TheVolumeWordsScaleWhatThePlayingDevicesSend)
{
    AudioOut volumeAudio;
    EXPECT_EQ(volumeAudio.SetVolume(70000), 1);
    EXPECT_EQ(volumeAudio.volume, 65535u);
    uint32_t words = 0;
    ASSERT_EQ(WaveOutService().GetVolume(0, &words), kWaveOutOk);
    EXPECT_EQ(words, 0xFFFFFFFFu);

    ASSERT_EQ(WaveOutService().SetVolume(0, 0x5678'1234), kWaveOutOk);
    EXPECT_EQ(volumeAudio.GetVolume(), 0x5678) << "the right channel";

    device.failSetVolume = true;
    EXPECT_EQ(volumeAudio.SetVolume(100), 0);
    EXPECT_EQ(volumeAudio.volume, 0x5678u) << "kept when the device refuses";
    device.failSetVolume = false;

    ASSERT_EQ(WaveOutService().SetVolume(0, 0xFFFF'4000), kWaveOutOk);
    AudioOut out;
    ASSERT_EQ(out.Open(&parent, 1, 0), kAudioOpened);   // stereo
    const std::vector<uint8_t> payload = PayloadBytes(3072, 9);
    ReferenceBuffers reference(1, 16384);
    std::vector<int16_t> expected = DeviceSamples(reference.Next(payload), false);
    for (size_t n = 0; n < expected.size(); n += 2) {
        expected[n] = static_cast<int16_t>(expected[n] * 0x4000 / 0xFFFF);
    }
    ASSERT_EQ(out.Write(payload.data(), 3072), 1);
    ASSERT_TRUE(WaitUntilPlayed(out));
    out.Close();
    EXPECT_EQ(volumeAudio.SetVolume(0xFFFF), 1);
    EXPECT_GE(FindSamples(ReadDeviceSamples(device.DeviceFile(0)), expected), 0);
}
