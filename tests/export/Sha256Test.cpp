#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <string>

#include "export/Sha256.h"
#include "tests/support/TempDir.h"

namespace {

std::string Digest(const std::string& message, bool cpuInstructions, size_t piece)
{
    Sha256 hash(cpuInstructions);
    for (size_t at = 0; at < message.size(); at += piece) {
        hash.Update(message.data() + at, std::min(piece, message.size() - at));
    }
    return hash.FinishHex();
}

}  // namespace

// The test vectors of FIPS 180-4 (and the examples that go with it), through the portable
// rounds and the processor's, whole and in pieces that straddle the 64-byte blocks.
TEST(Sha256, GivesTheStandardsDigests)
{
    struct Case {
        std::string message;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},   // length fits the block
        {std::string(56, 'x'), "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},   // length needs a block
    };
    for (const Case& c : cases) {
        const std::string reference = Digest(c.message, false, c.message.size() + 1);
        EXPECT_EQ(reference, c.digest) << c.message.size();
        for (const size_t piece : {size_t{1}, size_t{63}, size_t{65}, size_t{4096}}) {
            EXPECT_EQ(Digest(c.message, true, piece), reference) << c.message.size() << " " << piece;
            EXPECT_EQ(Digest(c.message, false, piece), reference) << c.message.size() << " " << piece;
        }
    }
}

TEST(Sha256, FingerprintsWholeFiles)
{
    TempDir dir;
    const std::string path = dir.File("a");
    { std::ofstream(path) << std::string(3 << 20, 'a') + "abc"; }
    std::string hex;
    int64_t size = 0;
    ASSERT_EQ(Sha256OfFile(path, &hex, &size), 0);
    EXPECT_EQ(size, (3 << 20) + 3);
    EXPECT_EQ(hex, Digest(std::string(3 << 20, 'a') + "abc", false, 1 << 20));
    const std::atomic<bool> cancel{true};
    EXPECT_EQ(Sha256OfFile(path, &hex, &size, &cancel), -2);
    EXPECT_EQ(Sha256OfFile(dir.File("missing"), &hex, &size), -1);
}
