// Opening (with its index scan) and a full forward pass over a recording of a million records,
// against reading the same media file sequentially with plain fread.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchRecording.h"
#include "bench/BenchTiming.h"
#include "recording/MediaFileMng.h"

namespace {

constexpr int64_t kRecords = 1000000;

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = BenchDirectory(argc, argv);
    const std::string mediaPath = dir + "/bench.kvr";
    const std::string indexPath = dir + "/bench.idx";
    if (WriteBenchRecording(mediaPath, indexPath, kRecords, 16, 16) != 0) {
        fprintf(stderr, "bench_recording: cannot write %s\n", mediaPath.c_str());
        return 1;
    }
    std::vector<uint8_t> buffer(kMediaReadCapacity);

    const double openSeconds = BestSeconds("bench_recording", [&] {
        MediaFileMng manager;
        return manager.Open(mediaPath.c_str(), indexPath.c_str()) == 0;
    });

    int64_t delivered = 0;
    const double passSeconds = BestSeconds("bench_recording", [&] {
        MediaFileMng manager;
        if (manager.Open(mediaPath.c_str(), indexPath.c_str()) != 0) {
            return false;
        }
        delivered = 0;
        int32_t result = 0;
        while ((result = manager.ReadNext(buffer.data())) > 0) {
            ++delivered;
        }
        return result == kMediaNoMoreData && delivered == kRecords;
    });

    // The same pass with the recording opened (and its index scanned) beforehand, untimed.
    MediaFileMng opened;
    const double passAloneSeconds = BestSecondsAfter(
        "bench_recording",
        [&] {
            opened.Close();
            return opened.Open(mediaPath.c_str(), indexPath.c_str()) == 0;
        },
        [&] {
            int64_t read = 0;
            int32_t result = 0;
            while ((result = opened.ReadNext(buffer.data())) > 0) {
                ++read;
            }
            return result == kMediaNoMoreData && read == kRecords;
        });

    const double freadSeconds = BestSeconds("bench_recording", [&] {
        FILE* file = fopen(mediaPath.c_str(), "rb");
        if (file == nullptr) {
            return false;
        }
        std::vector<uint8_t> chunk(65536);
        while (fread(chunk.data(), 1, chunk.size(), file) > 0) {
        }
        fclose(file);
        return true;
    });

    // The same packets read one by one with fread, header first, then the rest.
    const double packetFreadSeconds = BestSeconds("bench_recording", [&] {
        FILE* file = fopen(mediaPath.c_str(), "rb");
        if (file == nullptr) {
            return false;
        }
        int64_t packets = 0;
        while (fread(buffer.data(), 1, 60, file) == 60) {
            const uint32_t total = (uint32_t{buffer[48]} << 24) | (uint32_t{buffer[49]} << 16) |
                                   (uint32_t{buffer[50]} << 8) | buffer[51];
            if (total < 60 || total > buffer.size() || fread(buffer.data() + 60, 1, total - 60, file) != total - 60) {
                break;
            }
            ++packets;
        }
        fclose(file);
        return packets == kRecords;
    });

    const double media = static_cast<double>(std::filesystem::file_size(mediaPath));
    printf("recording: %lld records, media %.1f MB, index %.1f MB (best of %d runs)\n",
           static_cast<long long>(kRecords), media / 1e6,
           static_cast<double>(std::filesystem::file_size(indexPath)) / 1e6, kBenchRepetitions);
    printf("Open + scan:        %8.4f s  %10.0f records/s\n", openSeconds, kRecords / openSeconds);
    printf("ReadNext pass:      %8.4f s  %10.0f records/s  %8.1f MB/s (Open included)\n", passSeconds,
           kRecords / passSeconds, media / passSeconds / 1e6);
    printf("ReadNext pass alone:%8.4f s  %10.0f records/s  %8.1f MB/s (opened beforehand)\n", passAloneSeconds,
           kRecords / passAloneSeconds, media / passAloneSeconds / 1e6);
    printf("plain fread 64 KiB: %8.4f s  %21.1f MB/s\n", freadSeconds, media / freadSeconds / 1e6);
    printf("fread per packet:   %8.4f s  %10.0f records/s\n", packetFreadSeconds, kRecords / packetFreadSeconds);
    printf("forward pass speed / plain fread speed (64 KiB chunks): %.2f with Open, %.2f without\n",
           freadSeconds / passSeconds, freadSeconds / passAloneSeconds);
    printf("forward pass speed / fread per packet speed:            %.2f\n", packetFreadSeconds / passSeconds);
    std::filesystem::remove(mediaPath);
    std::filesystem::remove(indexPath);
    return 0;
}
