#include "tools/WavWriter.h"

#include <algorithm>
#include <vector>

#include "tools/LittleEndian.h"

namespace {

constexpr size_t kHeaderBytes = 44;

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
    PutLittle32(header + 16, 16);
    PutLittle16(header + 20, 1);   // PCM
    PutLittle16(header + 22, static_cast<uint32_t>(channels));
    PutLittle32(header + 24, static_cast<uint32_t>(samplesPerSecond));
    PutLittle32(header + 28, static_cast<uint32_t>(samplesPerSecond) * blockAlign);
    PutLittle16(header + 32, blockAlign);
    PutLittle16(header + 34, 16);
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
        PutLittle16(data.data() + 2 * i, static_cast<uint16_t>(samples[i]));
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
    PutLittle32(sizes, 36 + dataBytes);
    if (fseek(file, 4, SEEK_SET) != 0 || fwrite(sizes, 1, 4, file) != 4) {
        failed = true;
    }
    PutLittle32(sizes, dataBytes);
    if (fseek(file, 40, SEEK_SET) != 0 || fwrite(sizes, 1, 4, file) != 4) {
        failed = true;
    }
    if (fclose(file) != 0) {
        failed = true;
    }
    file = nullptr;
    return failed ? kWavFailed : kWavWritten;
}
