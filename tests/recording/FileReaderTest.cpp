#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "recording/FileReader.h"
#include "tests/support/TempDir.h"

namespace {

// A file of `words` 32-bit words, word i holding i, so every position's content is known.
std::string WriteCountingFile(const TempDir& dir, uint32_t words)
{
    const std::string path = dir.File("count.bin");
    FILE* out = fopen(path.c_str(), "wb");
    for (uint32_t i = 0; i < words; ++i) {
        fwrite(&i, sizeof i, 1, out);
    }
    fclose(out);
    return path;
}

// Three blocks and a bit: reads in every direction must cross block boundaries correctly.
constexpr uint32_t kWords = 200000;

TEST(FileReader, ReadsForwardsAndBackwardsAcrossBlocks)
{
    TempDir dir;
    FileReader reader;
    ASSERT_EQ(reader.Open(WriteCountingFile(dir, kWords).c_str()), 0);
    EXPECT_EQ(reader.Size(), kWords * 4);

    uint32_t pair[2];
    for (uint32_t i = 0; i + 1 < kWords; i += 7) {
        ASSERT_EQ(reader.Seek(i * 4), 0);
        ASSERT_EQ(reader.Read(pair, sizeof pair), 8);
        ASSERT_EQ(pair[0], i);
        ASSERT_EQ(pair[1], i + 1);
    }
    for (uint32_t i = kWords - 2;; i -= 5) {
        ASSERT_EQ(reader.Seek(i * 4), 0);
        ASSERT_EQ(reader.Read(pair, sizeof pair), 8);
        ASSERT_EQ(pair[0], i);
        ASSERT_EQ(pair[1], i + 1);
        EXPECT_EQ(reader.Tell(), (i + 2) * 4);
        if (i < 5) {
            break;
        }
    }
    // Unaligned reads that straddle a block edge, and one larger than a block.
    std::vector<uint32_t> many(100000);
    ASSERT_EQ(reader.Seek(4), 0);
    ASSERT_EQ(reader.Read(many.data(), many.size() * 4), static_cast<int32_t>(many.size() * 4));
    for (uint32_t i = 0; i < many.size(); ++i) {
        ASSERT_EQ(many[i], i + 1);
    }
}

TEST(FileReader, EndOfFileAndFailures)
{
    TempDir dir;
    FileReader reader;
    ASSERT_EQ(reader.Open(WriteCountingFile(dir, 10).c_str()), 0);
    uint32_t words[4];
    ASSERT_EQ(reader.Seek(32), 0);
    EXPECT_EQ(reader.ReadUpTo(words, sizeof words), 8);   // two words were left
    EXPECT_EQ(words[1], 9u);
    EXPECT_EQ(reader.Tell(), 40);
    EXPECT_EQ(reader.Read(words, 4), 0);                  // at the end
    ASSERT_EQ(reader.Seek(36), 0);
    EXPECT_EQ(reader.Read(words, 8), 0);                  // ends inside the read
    EXPECT_EQ(reader.Seek(-1), -1);

    FileReader missing;
    EXPECT_EQ(missing.Open(dir.File("none").c_str()), -1);
    EXPECT_EQ(missing.Open(dir.Path().c_str()), -1);      // a directory
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.ReadUpTo(words, 4), -1);
    EXPECT_EQ(missing.Seek(0), -1);
}

// A recorder may still be appending to the file: what it adds later is read.
TEST(FileReader, SeesBytesAppendedAfterOpening)
{
    TempDir dir;
    const std::string path = WriteCountingFile(dir, 4);
    FileReader reader;
    ASSERT_EQ(reader.Open(path.c_str()), 0);
    uint32_t word = 0;
    ASSERT_EQ(reader.Seek(12), 0);
    ASSERT_EQ(reader.Read(&word, 4), 4);
    EXPECT_EQ(reader.Read(&word, 4), 0);
    FILE* out = fopen(path.c_str(), "ab");
    const uint32_t next = 4;
    fwrite(&next, sizeof next, 1, out);
    fclose(out);
    ASSERT_EQ(reader.Seek(16), 0);
    ASSERT_EQ(reader.Read(&word, 4), 4);
    EXPECT_EQ(word, 4u);
}

}  // namespace
