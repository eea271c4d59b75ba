#include <gtest/gtest.h>

#include <sys/stat.h>

#include <vector>

#include "tests/support/TempDir.h"
#include "tools/WavWriter.h"

namespace {

// At its size limit the file keeps whole frames and says that samples were left out.
TEST(WavWriter, StopsAtItsLimitWithWholeFrames)
{
    TempDir dir;
    const std::string path = dir.File("a.wav");
    WavWriter wav(10);
    ASSERT_EQ(wav.Open(path, 2, 8000), kWavWritten);
    const std::vector<int16_t> samples(4, 7);
    EXPECT_EQ(wav.Write(samples.data(), 2), kWavWritten);
    EXPECT_EQ(wav.Write(samples.data(), 4), kWavFull);   // of two frames one fits
    EXPECT_EQ(wav.DataBytes(), 8u);
    EXPECT_EQ(wav.Close(), kWavWritten);
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_size, 44 + 8);
}

}  // namespace
