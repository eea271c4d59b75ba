#include "export/ChannelExport.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "audio/AudioCodecId.h"
#include "export/ExportMuxer.h"
#include "export/ExportOwner.h"
#include "export/ExportPlan.h"
#include "export/ExportSidecar.h"
#include "export/MonoPcm.h"
#include "export/PacketClock.h"
#include "export/PendingFile.h"
#include "export/Sha256.h"
#include "recording/IndexPath.h"
#include "recording/MediaFileMng.h"

namespace {

constexpr int32_t kProgressEvery = 64;   // records between progress reports while copying

bool EndsWith(const std::string& path, const char* extension)
{
    const size_t length = strlen(extension);
    return path.size() > length && strcasecmp(path.c_str() + path.size() - length, extension) == 0;
}

bool Exists(const std::string& path)
{
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

bool SameFile(const std::string& first, const std::string& second)
{
    struct stat a {};
    struct stat b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string AbsolutePath(const std::string& path)
{
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return path;
    }
    std::string absolute = resolved;
    free(resolved);
    return absolute;
}

std::string AudioCodecName(int32_t codec)
{
    switch (codec) {
    case kAudioCodecG711:
        return "G.711";
    case kAudioCodecG723:
        return "G.723";
    case kAudioCodecIma:
        return "IMA ADPCM";
    default:
        return "audio codec " + std::to_string(codec);
    }
}

std::string PacketName(const uint8_t* packet)
{
    if (TavIsAudio(packet)) {
        return AudioCodecName(TavGetCodec(packet)) + " audio";
    }
    const std::string video = ExportMuxer::VideoCodecName(packet[0]);
    if (!video.empty()) {
        return video + " video";
    }
    char text[32];
    snprintf(text, sizeof text, "packet type 0x%02X", packet[0]);
    return text;
}

// The checks made before anything is read or written. kExportOk or a failure code.
int32_t CheckRequest(const ExportRequest& request, std::string* message)
{
    if (request.channel < 0) {
        *message = "no channel given";
        return kExportBadRequest;
    }
    if ((request.fromTime != kExportNoTime && request.fromRecord != kExportNoRecord) ||
        (request.toTime != kExportNoTime && request.toRecord != kExportNoRecord)) {
        *message = "each end of the range takes a time or a record, not both";
        return kExportBadRequest;
    }
    if (request.fromTime != kExportNoTime && request.toTime != kExportNoTime && request.toTime < request.fromTime) {
        *message = "the range ends before it begins";
        return kExportBadRequest;
    }
    if (!EndsWith(request.outPath, ".mkv") && !EndsWith(request.outPath, ".mp4")) {
        *message = request.outPath + ": the output's name must end in .mkv or .mp4";
        return kExportBadRequest;
    }
    const std::string indexPath = IndexPathFor(request.mediaPath);
    const std::string sidecar = ExportSidecarPath(request.outPath);
    for (const std::string& path : {request.outPath, sidecar}) {
        if (SameFile(path, request.mediaPath) || SameFile(path, indexPath)) {
            *message = path + ": is a file of the recording; the recording is never written";
            return kExportOutputRefused;
        }
    }
    // Exports go elsewhere than the evidence they were taken from.
    if (SameFile(FolderOf(request.outPath), FolderOf(request.mediaPath))) {
        *message = request.outPath + ": is in the recording's folder; exports are never written beside the recording";
        return kExportOutputRefused;
    }
    if (!request.force) {
        for (const std::string& path : {request.outPath, sidecar}) {
            if (Exists(path)) {
                *message = path + ": already exists";
                return kExportOutputRefused;
            }
        }
    }
    return kExportOk;
}

// Copies the planned records into the container.
class Copier {
public:
    Copier(const ExportRequest& request, const ExportPlan& plan, const ExportProgressCallback& progress,
           const std::atomic<bool>* cancel, ExportResult* result)
        : request(request), plan(plan), progress(progress), cancel(cancel), result(result)
    {
    }

    int32_t Run(const std::string& temporaryPath);

private:
    // False when the range ends before this packet.
    bool InRange(int64_t time) const { return request.toTime == kExportNoTime || time <= request.toTime; }
    void Damaged(int32_t record, const std::string& reason) { result->damaged.push_back({record, reason}); }
    // kExportOk, 1 when the range has ended, or a failure code.
    int32_t TakeVideo(const uint8_t* packet, int32_t length, int32_t position, const std::string& temporaryPath);
    int32_t TakeAudio(const uint8_t* packet, int32_t position);
    void Reached(int32_t position, int64_t time);

    const ExportRequest& request;
    const ExportPlan& plan;
    const ExportProgressCallback& progress;
    const std::atomic<bool>* cancel;
    ExportResult* result;
    ExportMuxer muxer;
    MonoPcm pcm;
    std::vector<int16_t> samples;
    bool started = false;
    int64_t lastVideoMs = -1;
    int64_t lastAudioMs = -1;
};

void Copier::Reached(int32_t position, int64_t time)
{
    result->lastRecord = position;
    if (time > result->lastTime) {
        result->lastTime = time;
    }
}

int32_t Copier::TakeVideo(const uint8_t* packet, int32_t length, int32_t position, const std::string& temporaryPath)
{
    if (packet[0] != plan.videoType) {
        Damaged(position, "holds " + PacketName(packet) + " where the channel's video is " +
                              ExportMuxer::VideoCodecName(plan.videoType));
        return kExportOk;
    }
    const int64_t time = PacketWallClock(packet);
    if (time < 0) {
        Damaged(position, "its header holds no date");
        return kExportOk;
    }
    if (!InRange(time)) {
        return 1;
    }
    const bool key = IsKeyFramePacket(packet);
    if (!started && !key) {
        return kExportOk;   // the planned key frame was damaged: wait for the next one
    }
    // A JPEG packet is one whole JPEG stream, its header inside the first marker segment.
    const uint8_t* data = TavIsJpeg(packet) ? packet : TavGetPayload(packet);
    const int32_t dataLength = TavIsJpeg(packet) ? length : TavGetPayloadLength(packet);
    if (!started) {
        MuxerSetup setup;
        setup.path = temporaryPath;
        setup.mp4 = EndsWith(request.outPath, ".mp4");
        setup.videoType = plan.videoType;
        setup.keyFrame = data;
        setup.keyFrameLength = dataLength;
        if (request.audio) {
            setup.audio = setup.mp4 ? ExportAudioKind::Alac
                                    : plan.audioCodec == kAudioCodecG711 ? ExportAudioKind::MuLaw : ExportAudioKind::Pcm16;
        }
        setup.creationTime = FormatWallClockMicros(time);
        setup.title = "Channel " + std::to_string(request.channel) + " from " + FormatWallClock(time);
        setup.comment = "Packets copied unchanged from " + AbsolutePath(request.mediaPath) + " by " + request.toolName +
                        " " + request.toolVersion + "; chain of custody in " + ExportSidecarPath(request.outPath);
        if (muxer.Open(setup, &result->message) != 0) {
            return kExportWriteFailed;
        }
        result->audioFormat = muxer.AudioFormatName();
        result->audioRate = request.audio ? kExportAudioRate : 0;
        result->firstRecord = position;
        result->firstTime = time;
        started = true;
    }
    int64_t ms = (time - result->firstTime) * 10;
    if (ms <= lastVideoMs) {
        ms = lastVideoMs + 1;   // containers need rising times; the gap of 1 ms keeps the order
        ++result->retimedFrames;
    }
    lastVideoMs = ms;
    if (muxer.WriteVideo(data, dataLength, ms, key) != 0) {
        result->message = "writing the video failed";
        return kExportWriteFailed;
    }
    ++result->videoFrames;
    Reached(position, time);
    return kExportOk;
}

int32_t Copier::TakeAudio(const uint8_t* packet, int32_t position)
{
    if (!request.audio || TavGetAudioTrack(packet) != 0) {
        return kExportOk;
    }
    if (TavGetCodec(packet) != plan.audioCodec) {
        Damaged(position, "holds " + PacketName(packet) + " where the channel's audio is " + AudioCodecName(plan.audioCodec));
        return kExportOk;
    }
    const int64_t time = PacketWallClock(packet);
    if (time < 0) {
        Damaged(position, "its header holds no date");
        return kExportOk;
    }
    if (!InRange(time)) {
        return 1;
    }
    if (!started || time < result->firstTime) {
        return kExportOk;   // sound from before the first picture has nothing to go with
    }
    int64_t ms = (time - result->firstTime) * 10;
    ms = ms <= lastAudioMs ? lastAudioMs + 1 : ms;
    lastAudioMs = ms;
    int32_t written = 0;
    if (plan.audioCodec == kAudioCodecG711 && !EndsWith(request.outPath, ".mp4")) {
        written = muxer.WriteAudioBytes(TavGetPayload(packet), TavGetPayloadLength(packet), ms);
        result->audioSamples += TavGetPayloadLength(packet);
    } else {
        pcm.Decode(TavGetPayload(packet), TavGetPayloadLength(packet), &samples);
        written = muxer.WriteAudioSamples(samples.data(), samples.size(), ms);
        result->audioSamples += static_cast<int64_t>(samples.size());
    }
    if (written != 0) {
        result->message = "writing the audio failed";
        return kExportWriteFailed;
    }
    ++result->audioPackets;
    Reached(position, time);
    return kExportOk;
}

int32_t Copier::Run(const std::string& temporaryPath)
{
    ExportOwner owner;
    MediaFileMng manager;
    manager.owner = &owner;
    const std::string indexPath = IndexPathFor(request.mediaPath);
    if (manager.Open(request.mediaPath.c_str(), indexPath.c_str()) != 0) {
        result->message = request.mediaPath + ": the recording cannot be opened";
        return kExportRecordingUnusable;
    }
    if (request.audio && pcm.Start(plan.audioCodec) != 0) {
        result->message = "channel " + std::to_string(request.channel) + " has " + AudioCodecName(plan.audioCodec) +
                          ", which cannot be decoded";
        return kExportUnsupported;
    }
    std::vector<uint8_t> buffer(kMediaReadCapacity);
    const int64_t total = int64_t{plan.last} - plan.first + 1;
    int32_t length = manager.ReadAt(plan.first, buffer.data());
    for (;;) {
        // After ReadAt the counter stands at the record read, and each forward read moves it on
        // by the records it read.
        const int32_t position = manager.recordNo;
        if (length == kMediaNoMoreData || position > plan.last) {
            break;
        }
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            result->message = "canceled";
            return kExportCanceled;
        }
        if (progress && (position - plan.first) % kProgressEvery == 0) {
            progress(ExportProgress{ExportStage::Copying, position - plan.first, total});
        }
        if (length == kMediaIndexFailed) {
            result->message = indexPath + ": the index cannot be read";
            return kExportRecordingUnusable;
        }
        const bool ours = IndexRecordChannelNumber(manager.record) == request.channel;
        int32_t taken = kExportOk;
        if (length == kMediaReadFailed) {
            if (ours) {
                Damaged(position, "its packet cannot be read: its lengths or its bytes are damaged");
            }
        } else if (length > 0 && ours) {
            const uint8_t* packet = buffer.data();
            if (TavGetChannelNumber(packet) != request.channel) {
                Damaged(position, "holds a packet of channel " + std::to_string(TavGetChannelNumber(packet)));
            } else if (IndexKindIsVideo(manager.record.kind) && TavIsVideo(packet)) {
                taken = TakeVideo(packet, length, position, temporaryPath);
            } else if (IndexKindIsVideo(manager.record.kind)) {
                Damaged(position, "a video record whose packet holds " + PacketName(packet));
            } else if (TavIsAudio(packet)) {
                taken = TakeAudio(packet, position);
            }
        }
        if (taken == 1) {
            break;
        }
        if (taken != kExportOk) {
            return taken;
        }
        length = manager.ReadNext(buffer.data());
    }
    if (!started) {
        result->message = "channel " + std::to_string(request.channel) + " has no readable key frame in the range";
        return kExportNoVideo;
    }
    if (progress) {
        progress(ExportProgress{ExportStage::Copying, total, total});
    }
    return muxer.Finish(&result->message) == 0 ? kExportOk : kExportWriteFailed;
}

struct HashProgress {
    const ExportProgressCallback* progress;
    ExportStage stage;
    int64_t before;
    int64_t total;
};

void ReportHashed(void* context, int64_t bytes)
{
    const auto* hashing = static_cast<const HashProgress*>(context);
    if (*hashing->progress) {
        (*hashing->progress)(ExportProgress{hashing->stage, hashing->before + bytes, hashing->total});
    }
}

// Fingerprints a file. kExportOk, kExportCanceled, or `failure` with the message set.
int32_t Fingerprint(const std::string& path, const std::string& shownPath, HashProgress* hashing,
                    const std::atomic<bool>* cancel, int32_t failure, FingerprintedFile* file, std::string* message)
{
    file->path = AbsolutePath(shownPath);
    const int32_t hashed = Sha256OfFile(path, &file->sha256, &file->size, cancel, ReportHashed, hashing);
    if (hashed == -2) {
        *message = "canceled";
        return kExportCanceled;
    }
    if (hashed != 0) {
        *message = shownPath + ": cannot be read: " + strerror(errno);
        return failure;
    }
    hashing->before += file->size;
    return kExportOk;
}

int64_t FileSize(const std::string& path)
{
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? static_cast<int64_t>(status.st_size) : 0;
}

// Writes the sidecar's text under a temporary name. 0, or -1 with errno set.
int32_t WriteText(const std::string& path, const std::string& text)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return -1;
    }
    const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    const int error = errno;
    const bool closed = fclose(file) == 0;
    if (!written) {
        errno = error;
    }
    return written && closed ? 0 : -1;
}

}  // namespace

std::string ExportSidecarPath(const std::string& outPath)
{
    const size_t dot = outPath.rfind('.');
    const size_t slash = outPath.rfind('/');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? outPath.substr(0, dot) : outPath) + ".json";
}

int32_t ExportChannel(const ExportRequest& request, const ExportProgressCallback& progress,
                      const std::atomic<bool>* cancel, ExportResult* result)
{
    *result = ExportResult{};
    result->outPath = request.outPath;
    result->sidecarPath = ExportSidecarPath(request.outPath);
    result->container = EndsWith(request.outPath, ".mp4") ? "mp4" : "matroska";
    int32_t code = CheckRequest(request, &result->message);
    if (code != kExportOk) {
        return code;
    }
    const std::string indexPath = IndexPathFor(request.mediaPath);
    ExportPlan plan;
    code = PlanExport(request.mediaPath, indexPath, request, &plan, &result->message);
    if (code != kExportOk) {
        return code;
    }
    result->requestedFirstRecord = plan.requestedFirst;
    result->startRule = plan.startRule;
    result->videoCodec = ExportMuxer::VideoCodecName(plan.videoType);
    const bool mp4 = result->container == "mp4";
    if (result->videoCodec.empty() || (mp4 && plan.videoType == kTavJpegType)) {
        result->message = "channel " + std::to_string(request.channel) + " holds " +
                          (result->videoCodec.empty() ? "video that no container here takes as it is"
                                                      : "JPEG pictures, which go into Matroska (.mkv) only");
        return kExportUnsupported;
    }
    if (request.audio && plan.audioCodec < 0) {
        result->message = "channel " + std::to_string(request.channel) + " has no audio on track 0 in the range";
        return kExportNoAudio;
    }

    SidecarSources sources;
    HashProgress hashing{&progress, ExportStage::HashingRecording, 0,
                         FileSize(request.mediaPath) + FileSize(indexPath)};
    code = Fingerprint(request.mediaPath, request.mediaPath, &hashing, cancel, kExportRecordingUnusable, &sources.media,
                       &result->message);
    if (code == kExportOk) {
        code = Fingerprint(indexPath, indexPath, &hashing, cancel, kExportRecordingUnusable, &sources.index,
                           &result->message);
    }
    if (code != kExportOk) {
        return code;
    }

    PendingFile output(request.outPath);
    PendingFile sidecar(result->sidecarPath);
    if (output.Create() != 0 || sidecar.Create() != 0) {
        result->message = request.outPath + ": cannot be created: " + strerror(errno);
        return kExportWriteFailed;
    }
    Copier copier(request, plan, progress, cancel, result);
    code = copier.Run(output.TemporaryPath());
    if (code != kExportOk) {
        return code;
    }

    HashProgress outputHashing{&progress, ExportStage::HashingOutput, 0, FileSize(output.TemporaryPath())};
    code = Fingerprint(output.TemporaryPath(), request.outPath, &outputHashing, cancel, kExportWriteFailed,
                       &sources.output, &result->message);
    if (code != kExportOk) {
        return code;
    }
    // The final path: the output does not exist there yet, so resolve its folder.
    const size_t slash = request.outPath.rfind('/');
    sources.output.path = AbsolutePath(FolderOf(request.outPath)) + "/" +
                          (slash == std::string::npos ? request.outPath : request.outPath.substr(slash + 1));
    sources.exportedAt = time(nullptr);
    result->outputBytes = sources.output.size;
    result->outputSha256 = sources.output.sha256;
    if (WriteText(sidecar.TemporaryPath(), BuildExportSidecar(request, *result, sources)) != 0) {
        result->message = result->sidecarPath + ": cannot be written: " + strerror(errno);
        return kExportWriteFailed;
    }
    if (output.Commit() != 0) {
        result->message = request.outPath + ": cannot be put in place: " + strerror(errno);
        return kExportWriteFailed;
    }
    if (sidecar.Commit() != 0) {
        result->message = result->sidecarPath + ": cannot be put in place: " + strerror(errno);
        remove(request.outPath.c_str());
        return kExportWriteFailed;
    }
    return kExportOk;
}
