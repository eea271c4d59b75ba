// The media file manager over a recording pair from outside: the input is written into a
// scratch media file and index file, opened read-only, and read in the order the input asks.
// Every result must be one of the manager's codes, and every packet whole and in the buffer.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzQuiet.h"
#include "fuzz/MediaPairInput.h"
#include "recording/MediaFileMng.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TestOwner.h"

namespace {

std::string gMediaPath;
std::string gIndexPath;

bool IsReadCode(int32_t result)
{
    return result == kMediaNotStopped || result == kMediaNoMoreData || result == kMediaReadFailed ||
           result == kMediaIndexFailed;
}

void CheckRead(int32_t result, const std::vector<uint8_t>& buffer)
{
    if (result <= 0) {
        FUZZ_CHECK(IsReadCode(result));
        return;
    }
    FUZZ_CHECK(static_cast<uint32_t>(result) <= kMediaReadCapacity);
    FUZZ_CHECK(TavGetTotalLength(buffer.data()) == static_cast<uint32_t>(result));
    FUZZ_CHECK(TavGetPayloadLength(buffer.data()) >= 0);
    PacketOptions options{};
    FUZZ_CHECK(TavParseOptions(buffer.data(), &options));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QuietPacketReports();
    // Memory-backed when the system has it: every input is written out twice.
    const char* base = getenv("TMPDIR");
    if (base == nullptr || base[0] == '\0') {
        base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    }
    std::string folder = std::string(base) + "/kvr-media-fuzz-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        perror("media file fuzzer: scratch folder");
        abort();
    }
    gMediaPath = folder + "/pair.kvr";
    gIndexPath = folder + "/pair.idx";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const std::vector<uint8_t> reads = input.Bytes(kMediaPairReadCount);
    const std::vector<uint8_t> index = input.Bytes(input.Word32());
    const std::vector<uint8_t> media = input.Rest();
    if (!WriteFileBytes(gIndexPath, index) || !WriteFileBytes(gMediaPath, media)) {
        abort();
    }

    TestOwner owner;
    MediaFileMng manager;
    manager.owner = &owner;
    if (manager.Open(gMediaPath.c_str(), gIndexPath.c_str()) != 0) {
        return 0;
    }
    // The buffer is the reader's capacity exactly: a write past it is caught.
    static std::vector<uint8_t> buffer(kMediaReadCapacity);
    for (uint8_t read : reads) {
        switch (read >> 6) {
        case 0:
            CheckRead(manager.ReadNext(buffer.data()), buffer);
            break;
        case 1:
            CheckRead(manager.ReadPrevious(buffer.data()), buffer);
            break;
        case 2: {
            // Positions from a few before the first record to a few past the last.
            const int32_t position = manager.RecordCount() * (read & 0x3F) / 48 - 4 + (read & 3);
            CheckRead(manager.ReadAt(position, buffer.data()), buffer);
            break;
        }
        default: {
            const int32_t scanned = manager.ScanIndex();
            FUZZ_CHECK(scanned == 0 || scanned == kMediaScanFailed);
            FUZZ_CHECK(manager.channelCount >= 0 && manager.channelCount <= kMaxChannels);
            break;
        }
        }
    }
    manager.Close();
    return 0;
}
