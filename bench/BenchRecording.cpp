#include "bench/BenchRecording.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "recording/RecordingWriter.h"

namespace {

// Pages just written stay in the cache in small pieces, which are slower to read than what
// the kernel's read-ahead brings in later. Writing back and dropping them lets every figure
// measure a recording as it is read from disk, once it has been read.
int32_t DropFromPageCache(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return -1;
    }
    const bool dropped = fdatasync(fd) == 0 && posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    close(fd);
    return dropped ? 0 : -1;
}

}  // namespace

int32_t WriteBenchRecording(const std::string& mediaPath, const std::string& indexPath, int64_t records,
                            int32_t channels, int32_t payloadBytes)
{
    RecordingWriter writer;
    if (channels < 1 || payloadBytes < 1 || writer.Create(mediaPath, indexPath) != 0) {
        return -1;
    }
    PacketSpec spec;
    spec.type = 0x44;
    spec.payload.assign(static_cast<size_t>(payloadBytes), 0x5A);
    for (int64_t i = 0; i < records; ++i) {
        const int32_t channel = static_cast<int32_t>(i % channels);
        const int64_t frame = i / channels;
        const int64_t hundredths = frame * 4;   // 25 frames per second
        spec.unit = static_cast<uint16_t>(channel / 4);
        spec.channel = static_cast<uint16_t>(channel % 4 + 1);
        spec.sequence = static_cast<uint8_t>(frame % 25);
        spec.hundredths = static_cast<uint8_t>(hundredths % 100);
        spec.second = static_cast<uint8_t>(hundredths / 100 % 60);
        spec.minute = static_cast<uint8_t>(hundredths / 6000 % 60);
        spec.hour = static_cast<uint8_t>(hundredths / 360000 % 24);
        if (writer.WritePacket(spec) < 0) {
            return -1;
        }
    }
    if (writer.Close() != 0) {
        return -1;
    }
    return DropFromPageCache(mediaPath) == 0 && DropFromPageCache(indexPath) == 0 ? 0 : -1;
}

std::string BenchDirectory(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "kvr-bench").string();
    std::filesystem::create_directories(dir);
    return dir;
}

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

double KvrtoolPlaySeconds(const std::string& kvrtool, const std::string& media, const std::string& options,
                          const std::string& mustContain)
{
    const std::string command = kvrtool + " play " + options + " --json '" + media + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    std::string out;
    char chunk[4096];
    size_t got = 0;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        out.append(chunk, got);
    }
    if (pclose(pipe) != 0 || out.find(mustContain) == std::string::npos) {
        return -1;
    }
    const size_t at = out.find("\"wallMs\":");
    return at == std::string::npos ? -1 : atof(out.c_str() + at + 9) / 1000.0;
}
