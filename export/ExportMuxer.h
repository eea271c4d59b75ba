// The container side of an export: a Matroska or MP4 file written with libavformat, holding
// one video stream of copied packets and, optionally, one mono audio stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct AVStream;

// How the audio is stored.
enum class ExportAudioKind {
    None,
    MuLaw,   // the G.711 bytes as recorded
    Pcm16,   // 16-bit little-endian samples
    Alac,    // 16-bit samples coded losslessly (MP4 takes neither mu-law nor plain PCM)
};

constexpr int32_t kExportAudioRate = 8000;

struct MuxerSetup {
    std::string path;               // the file to write (created or truncated)
    bool mp4 = false;               // else Matroska
    uint8_t videoType = 0;          // the packet type byte of the channel's video
    const uint8_t* keyFrame = nullptr;   // the first key frame as it will be written
    int32_t keyFrameLength = 0;
    ExportAudioKind audio = ExportAudioKind::None;
    std::string creationTime;       // ISO 8601 UTC
    std::string title;
    std::string comment;
};

class ExportMuxer {
public:
    ExportMuxer() = default;
    ~ExportMuxer();
    ExportMuxer(const ExportMuxer&) = delete;
    ExportMuxer& operator=(const ExportMuxer&) = delete;

    // Sets up the streams (the key frame tells the picture size and the codec's headers) and
    // writes the container's header. 0, or -1 with `message` set.
    int32_t Open(const MuxerSetup& setup, std::string* message);
    // A video packet at `ms` after the first one; times must increase. 0 or -1.
    int32_t WriteVideo(const uint8_t* data, int32_t length, int64_t ms, bool key);
    // Mu-law bytes (MuLaw) at `ms`. 0 or -1.
    int32_t WriteAudioBytes(const uint8_t* data, int32_t length, int64_t ms);
    // Samples at `ms` (Pcm16); ALAC begins at the first call's `ms` and runs on without gaps. 0 or -1.
    int32_t WriteAudioSamples(const int16_t* samples, size_t count, int64_t ms);
    // Writes what is held back and the container's index, and closes the file. 0, or -1 with
    // `message` set.
    int32_t Finish(std::string* message);

    // "H.264", "MPEG-4" or "JPEG"; "" for a type no container here takes.
    static std::string VideoCodecName(uint8_t videoType);
    std::string AudioFormatName() const;

private:
    int32_t Write(AVPacket* packet, AVStream* stream, int64_t ms);
    int32_t WriteHeldVideo(int64_t duration);
    int32_t EncodeAudio(bool flush);
    void Release();

    AVFormatContext* format = nullptr;
    AVStream* video = nullptr;
    AVStream* audio = nullptr;
    AVCodecContext* encoder = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* held = nullptr;       // the last video packet, until the next one tells its duration
    int64_t heldMs = -1;
    int64_t lastDuration = 0;
    ExportAudioKind audioKind = ExportAudioKind::None;
    std::vector<int16_t> pendingSamples;   // ALAC: samples short of a whole frame
    int64_t encodedSamples = 0;
    int64_t audioStartSamples = 0;
    bool headerWritten = false;
};
