// Evidence export: one channel of a recording, or a stretch of it, copied into a Matroska or
// MP4 file that any player opens, with a chain-of-custody sidecar (FILE.json) beside it. Video
// packets are copied as they are, never decoded and coded again; each frame keeps its own time
// from its packet header. The output is written under a temporary name and moved into place
// only when it and its sidecar are complete. Safe to run on a worker thread, with progress
// reports and a cancel flag.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Result codes of ExportChannel; the result's `message` says why in one line.
constexpr int32_t kExportOk = 0;
constexpr int32_t kExportBadRequest = -1;        // a channel, range or output name that makes no sense
constexpr int32_t kExportRecordingUnusable = -2; // the recording cannot be opened or read
constexpr int32_t kExportNoVideo = -3;           // the channel has no video (in the range)
constexpr int32_t kExportUnsupported = -4;       // a codec the chosen container cannot carry as it is
constexpr int32_t kExportOutputRefused = -5;     // exists (without `force`), or in the recording's folder
constexpr int32_t kExportWriteFailed = -6;       // the output or the sidecar cannot be written
constexpr int32_t kExportCanceled = -7;
constexpr int32_t kExportNoAudio = -8;           // audio asked for, but none on track 0 in the range

constexpr int32_t kExportNoRecord = -1;
constexpr int64_t kExportNoTime = -1;

struct ExportRequest {
    std::string mediaPath;            // the recording's media file; its index lies beside it
    int32_t channel = -1;             // channel number, unit x 4 + channel - 1
    // The range; at most one bound of each end. Times are UTC hundredths since 1970 (as the
    // caption shows them, see PacketClock.h); records are index positions, both ends included.
    int64_t fromTime = kExportNoTime;
    int32_t fromRecord = kExportNoRecord;
    int64_t toTime = kExportNoTime;
    int32_t toRecord = kExportNoRecord;
    bool audio = false;               // add the channel's audio track 0
    std::string outPath;              // ends in .mkv or .mp4 (any case)
    bool force = false;               // replace an existing output and sidecar
    std::string toolName = "kvrtool"; // who made the export, for the sidecar
    std::string toolVersion;
};

// What the export is doing, for a progress bar: records of the range done out of all of them,
// and bytes fingerprinted out of all bytes to fingerprint.
enum class ExportStage { HashingRecording, Copying, HashingOutput };
struct ExportProgress {
    ExportStage stage = ExportStage::HashingRecording;
    int64_t done = 0;
    int64_t total = 0;
};
using ExportProgressCallback = std::function<void(const ExportProgress&)>;

struct DamagedPacket {
    int32_t record = 0;
    std::string reason;
};

struct ExportResult {
    std::string message;              // on failure: why, in one line
    std::string outPath;
    std::string sidecarPath;
    std::string container;            // "matroska" or "mp4"
    std::string videoCodec;           // "H.264", "MPEG-4" or "JPEG"
    std::string audioFormat;          // empty without audio
    int32_t requestedFirstRecord = kExportNoRecord;   // where the range asked to begin
    int32_t firstRecord = kExportNoRecord;            // the key frame the export begins with
    int32_t lastRecord = kExportNoRecord;             // the last record exported
    std::string startRule;            // how the first record was chosen
    int64_t firstTime = kExportNoTime;  // wall clock of the first and last packet exported
    int64_t lastTime = kExportNoTime;
    int64_t videoFrames = 0;
    int64_t audioPackets = 0;
    int64_t audioSamples = 0;         // per channel, at `audioRate`
    int32_t audioRate = 0;
    int64_t retimedFrames = 0;        // frames dated no later than the one before: moved 1 ms on
    std::vector<DamagedPacket> damaged;
    int64_t outputBytes = 0;
    std::string outputSha256;
};

// Exports as the request says. kExportOk, or a code above with result->message set. `progress`
// may be empty; `cancel` may be null; a raised cancel flag ends the export soon with
// kExportCanceled and nothing written. Nothing is ever written beside the recording or over it.
int32_t ExportChannel(const ExportRequest& request, const ExportProgressCallback& progress,
                      const std::atomic<bool>* cancel, ExportResult* result);

// The sidecar's path for an output path: the extension replaced by ".json".
std::string ExportSidecarPath(const std::string& outPath);
