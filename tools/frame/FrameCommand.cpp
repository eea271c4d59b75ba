// kvrtool frame: the picture of one video record, decoded as the player would show it, as a
// BMP file.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "Tav/TavPacketUtil.h"
#include "recording/MediaFileMng.h"
#include "tools/BmpWriter.h"
#include "tools/CommandLine.h"
#include "tools/Commands.h"
#include "tools/frame/RecordFrame.h"
#include "tools/ReadOnlyRecording.h"
#include "tools/RecordingSummary.h"
#include "tools/ToolRecording.h"
#include "video/CameraFeed.h"

namespace {

const char kFrameUsage[] =
    "usage: kvrtool frame RECORDING.kvr --record N --out FILE.bmp\n"
    "\n"
    "Decodes the video packet of index record N (counted from 0, as the player's position\n"
    "slider counts them) as the player would show it stretched in its view: a fresh decoder\n"
    "for the packet's channel is fed that channel's video packets from the key frame at or\n"
    "before record N (a JPEG picture or a packet of sequence 0) up to record N, with the\n"
    "player's frame-sequence check and its frame-size adjustments (field-stacked frames keep\n"
    "one field with doubled rows; 352 x 112 and 352 x 144 frames lose every other column;\n"
    "704 x 240 and 704 x 288 frames get doubled rows). The picture is written upright as a\n"
    "24-bit BMP.\n"
    "\n"
    "  --record N   the index record, which must be a video record (kind with low nibble 0)\n"
    "  --out FILE   the BMP file to write (never a file of the recording); an existing file\n"
    "               is replaced only once the new one is complete\n"
    "\n"
    "Exit status 1, with nothing written, when the record is not video, its channel has no\n"
    "key frame before it, its packet is dropped or cannot be decoded, or the recording cannot\n"
    "be read.\n";

struct FrameOptions {
    std::string mediaPath;
    std::string outPath;
    int32_t record = -1;
};

bool EndsWithBmp(const std::string& path)
{
    return path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".bmp") == 0;
}

// -1 when the options are complete, else the exit status.
int ParseFrameOptions(int argc, char** argv, FrameOptions* options)
{
    const int walked = WalkArguments(argc, argv, "frame", kFrameUsage, &options->mediaPath,
                                     [options](const char* name, const char* value) {
        if (strcmp(name, "--record") == 0) {
            return TakeInteger(value, 0, INT32_MAX, &options->record);
        }
        if (strcmp(name, "--out") != 0) {
            return kOptionUnknown;
        }
        if (value != nullptr && !EndsWithBmp(value)) {
            fprintf(stderr, "kvrtool frame: --out takes a file name ending in .bmp, not '%s'\n", value);
            return kOptionReported;
        }
        return TakeText(value, &options->outPath);
    });
    if (walked >= 0) {
        return walked;
    }
    if (options->mediaPath.empty() || options->outPath.empty() || options->record < 0) {
        fputs(kFrameUsage, stderr);
        return 2;
    }
    return -1;
}

// The one-line reason a record's picture cannot be had.
std::string Failure(int32_t result, const FrameOptions& options, const RecordFrameInfo& info)
{
    const std::string record = "record " + std::to_string(options.record);
    const std::string channel = "channel " + std::to_string(info.channelNumber);
    switch (result) {
    case kRecordFrameBeyondEnd:
        return record + " does not exist: the index holds " + std::to_string(info.records) + " records";
    case kRecordFrameNotVideo:
        return IndexKindIsVideo(info.kind) ? record + " is a video record, but its packet holds " + DescribePacketType(info.type)
                                           : record + " is not a video record (kind " + DescribeIndexKind(info.kind) + ")";
    case kRecordFrameUnreadable:
        return "the packet of record " + std::to_string(info.failedRecord) + " cannot be read";
    case kRecordFrameNoKeyFrame:
        return channel + " has no key frame at or before " + record;
    case kRecordFrameDropped:
        return record + " is dropped: " + channel + " has a gap in its frame sequence since the key frame at record " +
               std::to_string(info.keyRecord);
    default:
        return record + " (" + DescribePacketType(info.type) + ") cannot be decoded" +
               (info.decodeResult < 0 ? " (decoder result " + std::to_string(info.decodeResult) + ")" : "");
    }
}

}  // namespace

int CheckFrameArguments(int argc, char** argv)
{
    FrameOptions options;
    return ParseFrameOptions(argc, argv, &options);
}

int RunFrameCommand(int argc, char** argv)
{
    FrameOptions options;
    const int parsed = ParseFrameOptions(argc, argv, &options);
    if (parsed >= 0) {
        return parsed;
    }
    if (OutputIsRecordingFile(options.outPath, options.mediaPath)) {
        return 1;
    }
    TavSetReportStream(stderr);   // standard output tells what was written, and nothing else
    ReadOnlyRecording recording;
    if (recording.Open(options.mediaPath) != 0) {
        return 1;
    }
    CameraFeed view;
    if (view.Create(true) != 0) {
        fputs("kvrtool frame: not enough memory for a frame buffer and decoder\n", stderr);
        return 1;
    }
    RecordFrameInfo info;
    const int32_t result = DecodeRecordFrame(recording.manager, options.record, &view, &info);
    if (result != kRecordFrameOk) {
        fprintf(stderr, "kvrtool: %s: %s\n", options.mediaPath.c_str(), Failure(result, options, info).c_str());
        return 1;
    }
    int error = 0;
    if (WriteBmpFile(options.outPath, view.frame, &error) != 0) {
        fprintf(stderr, "kvrtool: %s: cannot be written: %s\n", options.outPath.c_str(), strerror(error));
        return 1;
    }
    const DecodedFrame& frame = view.frame;
    printf("wrote %s: record %d, channel %d, %s, %u x %u, decoded from the key frame at record %d\n",
           options.outPath.c_str(), options.record, info.channelNumber, DescribePacketType(info.type).c_str(),
           frame.width, frame.height, info.keyRecord);
    return 0;
}
