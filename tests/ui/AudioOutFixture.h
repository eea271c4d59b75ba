// An output's test bench: a temporary directory for the device files, the disk-driver device
// installed over it, a parent window object, and the buffers a codec makes of payloads.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "audio/CodecFactory.h"
#include "audio/GainTable.h"
#include "tests/support/TempDir.h"
#include "tests/ui/AudioTestSupport.h"
#include "ui/AudioOut.h"

class AudioOutFixture : public testing::Test {
protected:
    bool WaitUntilPlayed(AudioOut& out, int32_t timeoutMs = 5000)
    {
        return PumpUntil([&] { return out.pendingCount.load() == 0; }, timeoutMs);
    }

    TempDir dir;
    TestWaveOut device{dir.Path()};
    QObject parent;
};

// What an output's device buffers hold for each payload, from a codec of its own: the decode
// buffer's first `bufferSize` bytes, which keep what earlier payloads left behind it.
class ReferenceBuffers {
public:
    ReferenceBuffers(int32_t codecId, int32_t bufferSize) : codec(CreateCodec(codecId)), bufferSize(bufferSize)
    {
        BuildGainTable(gainTable);
        codec->BindOutput(gainTable, gainIndex, pending);
    }
    std::vector<uint8_t> Next(const std::vector<uint8_t>& payload)
    {
        codec->Decode(payload.data(), static_cast<int32_t>(payload.size()), decoded.data());
        return std::vector<uint8_t>(decoded.begin(), decoded.begin() + bufferSize);
    }

private:
    std::unique_ptr<Codec> codec;
    int32_t bufferSize;
    double gainTable[kGainTableSize];
    int32_t gainIndex = kDefaultGainIndex;
    std::atomic<int32_t> pending{0};
    std::vector<uint8_t> decoded = std::vector<uint8_t>(16384, 0);
};

// An IMA frame with a sane header: starting sample 100, step index 20.
inline std::vector<uint8_t> ImaFrame(uint32_t seed)
{
    std::vector<uint8_t> frame = PayloadBytes(2112, seed);
    frame[60] = 100;
    frame[61] = 0;
    frame[62] = 20;
    return frame;
}
