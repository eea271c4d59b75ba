#include "tests/ui/AudioTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <arpa/inet.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "Tav/TavPacketUtil.h"
#include "audio/MuLaw.h"
#include "ui/WaveOut.h"

TestWaveOut::TestWaveOut(std::string directory) : directory(std::move(directory))
{
    WaveOutSetService(this);
}

TestWaveOut::~TestWaveOut()
{
    WaveOutSetService(nullptr);
    for (WaveOutHandle handle : open) {
        inner.Reset(handle);
        inner.Close(handle);
    }
}

int32_t TestWaveOut::Open(WaveOutHandle* handle, const WaveFormat& format, const WindowHandle& callback)
{
    if (failOpen) {
        return kWaveOutNoDriver;
    }
    std::lock_guard<std::mutex> lock(mutex);
    setenv("SDL_DISKAUDIOFILE", DeviceFile(opened).c_str(), 1);
    const int32_t result = inner.Open(handle, format, callback);
    if (result == kWaveOutOk) {
        ++opened;
        open.insert(*handle);
    }
    return result;
}

int32_t TestWaveOut::Write(WaveOutHandle handle, WaveHeader* header)
{
    ++writes;
    return failWrite ? kWaveOutError : inner.Write(handle, header);
}

int32_t TestWaveOut::Close(WaveOutHandle handle)
{
    ++closeAttempts;
    if (failClose) {
        return kWaveOutError;
    }
    const int32_t result = inner.Close(handle);
    if (result == kWaveOutOk) {
        std::lock_guard<std::mutex> lock(mutex);
        open.erase(handle);
    }
    return result;
}

int32_t TestWaveOut::SetVolume(uint32_t deviceId, uint32_t volume)
{
    return failSetVolume ? kWaveOutError : inner.SetVolume(deviceId, volume);
}

std::string TestWaveOut::DeviceFile(int32_t n) const
{
    return directory + "/device-" + std::to_string(n) + ".raw";
}

void DebugCapture::Write(const char* written)
{
    std::lock_guard<std::mutex> lock(mutex);
    text += written;
}

std::string DebugCapture::Text()
{
    std::lock_guard<std::mutex> lock(mutex);
    return text;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name(name)
{
    if (const char* current = getenv(name)) {
        had = true;
        old = current;
    }
    setenv(name, value, 1);
}

ScopedEnv::~ScopedEnv()
{
    if (had) {
        setenv(name.c_str(), old.c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
}

bool PumpUntil(const std::function<bool()>& done, int32_t timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void PumpFor(int32_t milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

std::vector<int16_t> ReadDeviceSamples(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

std::vector<int16_t> DeviceSamples(const std::vector<uint8_t>& buffer, bool muLaw)
{
    std::vector<int16_t> samples;
    if (muLaw) {
        for (uint8_t code : buffer) {
            samples.push_back(MuLawExpand(code));
        }
    } else {
        samples.resize(buffer.size() / 2);
        memcpy(samples.data(), buffer.data(), samples.size() * 2);
    }
    return samples;
}

int64_t FindSamples(const std::vector<int16_t>& haystack, const std::vector<int16_t>& needle)
{
    if (needle.empty() || needle.size() > haystack.size()) {
        return -1;
    }
    for (size_t at = 0; at + needle.size() <= haystack.size(); ++at) {
        if (haystack[at] == needle[0] && memcmp(&haystack[at], needle.data(), needle.size() * 2) == 0) {
            return static_cast<int64_t>(at);
        }
    }
    return -1;
}

std::vector<uint8_t> PayloadBytes(size_t count, uint32_t seed)
{
    std::vector<uint8_t> bytes(count);
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        // Mu-law 0xFF and 0x7F are silence; keep every byte away from both.
        byte = static_cast<uint8_t>(0x10 + (state >> 24) % 0x60);
    }
    return bytes;
}

std::vector<uint8_t> AudioPacketClaiming(int32_t codec, int32_t track, uint32_t payloadLength, size_t present)
{
    std::vector<uint8_t> packet(60 + present, 0);
    const uint32_t total = 60 + payloadLength;
    packet[offsetof(PacketHeader, type)] = static_cast<uint8_t>(0x90 | (codec & 0x0F));
    packet[offsetof(PacketHeader, sequence)] = static_cast<uint8_t>(track << 6);
    const uint16_t headerLength = htons(kTavMinHeaderLength);
    const uint32_t totalLength = htonl(total);
    memcpy(&packet[offsetof(PacketHeader, headerLength)], &headerLength, 2);
    memcpy(&packet[offsetof(PacketHeader, totalLength)], &totalLength, 4);
    return packet;
}

std::vector<uint8_t> AudioPacket(int32_t codec, int32_t track, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> packet = AudioPacketClaiming(codec, track, static_cast<uint32_t>(payload.size()), payload.size());
    std::copy(payload.begin(), payload.end(), packet.begin() + 60);
    return packet;
}
