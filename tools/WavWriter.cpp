#include "tools/WavWriter.h"

#include <algorithm>
#include <vector>

namespace {

constexpr size_t kHeaderBytes = 44;

void Put16(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value)
{
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
}

}  // namespace

WavWriter::~WavWriter()
{
    Close();
}

int32_t WavWriter::Open(const std::string& path, int32_t channels, int32_t samplesPerSecond)
{
    Close();
    failed = false;
    dataBytes = 0;
    if (channels <= 0 || channels > 16 || samplesPerSecond <= 0) {
        return kWavFailed;
    }
    blockAlign = static_cast<uint32_t>(2 * channels);
    file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return kWavFailed;
    }
    uint8_t header[kHeaderBytes] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    Put32(header + 16, 16);
    Put16(header + 20, 1);   // PCM
    Put16(header + 22, static_cast<uint32_t>(channels));
    Put32(header + 24, static_cast<uint32_t>(samplesPerSecond));
    Put32(header + 28, static_cast<uint32_t>(samplesPerSecond) * blockAlign);
    Put16(header + 32, blockAlign);
    Put16(header + 34, 16);
    std::copy_n("data", 4, header + 36);
    if (fwrite(header, 1, sizeof header, file) != sizeof header) {
        failed = true;
        return kWavFailed;
    }
    return kWavWritten;
}

int32_t WavWriter::Write(const int16_t* samples, size_t count)
{
    if (file == nullptr || failed) {
        return kWavFailed;
    }
    const uint32_t room = (maxDataBytes - dataBytes) / blockAlign * blockAlign;
    const size_t wanted = count * 2 / blockAlign * blockAlign;
    const size_t bytes = std::min<size_t>(wanted, room);
    std::vector<uint8_t> data(bytes);
    for (size_t i = 0; i < bytes / 2; ++i) {
        Put16(data.data() + 2 * i, static_cast<uint16_t>(samples[i]));
    }
    if (fwrite(data.data(), 1, bytes, file) != bytes) {
        failed = true;
        return kWavFailed;
    }
    dataBytes += static_cast<uint32_t>(bytes);
    return bytes < wanted ? kWavFull : kWavWritten;
}

int32_t WavWriter::Close()
{
    if (file == nullptr) {
        return failed ? kWavFailed : kWavWritten;
    }
    uint8_t sizes[4];
    Put32(sizes, 36 + dataBytes);
    if (fseek(file, 4, SEEK_SET) != 0 || fwrite(sizes, 1, 4, file) != 4) {
        failed = true;
    }
    Put32(sizes, dataBytes);
    if (fseek(file, 40, SEEK_SET) != 0 || fwrite(sizes, 1, 4, file) != 4) {
        failed = true;
    }
    if (fclose(file) != 0) {
        failed = true;
    }
    file = nullptr;
    return failed ? kWavFailed : kWavWritten;
}
