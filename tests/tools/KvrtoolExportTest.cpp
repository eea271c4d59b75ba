#include <gtest/gtest.h>
#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "export/PacketClock.h"
#include "export/Sha256.h"
#include "recording/RecordingWriter.h"
#include "tests/support/FileBytes.h"
#include "tests/support/KvrtoolRun.h"
#include "tests/support/RecordingFixture.h"
#include "tests/tools/ExportedFile.h"
#include "tests/tools/VideoToolFixtures.h"
#include "video/StreamEncoder.h"
#include "video/TestPattern.h"

namespace {

// A recording whose channel 0 (unit 0 channel 1) has video, and audio on track 0 when asked;
// channel 1 carries other video between its packets. 10 frames a second, a key frame every 5.
void Synth(const RecordingFiles& files, const std::string& codec, const std::string& audio = "g711",
           int32_t seconds = 2)
{
    const ToolRun run = Kvrtool("synth " + Quoted(files.media) + " --channel 0:1:" + codec + " --channel 0:2:" + codec +
                                " --audio 0:1:" + audio + " --audio 0:1:g711:1 --fps 10 --gop 5 --size 176x144" +
                                " --seconds " + std::to_string(seconds));
    ASSERT_EQ(run.status, 0) << run.err;
}

ToolRun Export(const RecordingFiles& files, const std::string& arguments, const std::string& out)
{
    return Kvrtool("export " + Quoted(files.media) + " " + arguments + " --out " + Quoted(out));
}

int64_t TimeOf(const ReadRecord& record)
{
    return PacketWallClock(record.packet.data());
}

// The bytes a video packet holds for a player: the whole JPEG stream, else the payload.
std::vector<uint8_t> CodedFrame(const ReadRecord& record)
{
    const uint8_t* packet = record.packet.data();
    const uint8_t* data = TavIsJpeg(packet) ? packet : TavGetPayload(packet);
    const auto length = static_cast<size_t>(TavIsJpeg(packet) ? record.packet.size() : TavGetPayloadLength(packet));
    return std::vector<uint8_t>(data, data + length);
}

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    DIR* dir = opendir(folder.c_str());
    while (dir != nullptr) {
        const dirent* entry = readdir(dir);
        if (entry == nullptr) {
            break;
        }
        names.insert(entry->d_name);
    }
    if (dir != nullptr) {
        closedir(dir);
    }
    return names;
}

std::string FileText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string Sha256Of(const std::string& path)
{
    std::string hex;
    int64_t size = 0;
    return Sha256OfFile(path, &hex, &size) == 0 ? hex : "";
}

}  // namespace

// Every frame of the channel, in either container: the first one a key frame, each at its
// packet's own time, the coded bytes unchanged (H.264 is checked by decoding the export and
// comparing with what 'kvrtool frame' shows), the audio of track 0 with every sample, and the
// creation time of the first frame.
TEST(KvrtoolExport, CopiesEveryFrameAtItsOwnTime)
{
    struct Case {
        const char* codec;
        const char* audio;
        const char* extension;
        const char* videoCodec;
        const char* audioCodec;
        int64_t samplesPerPacket;
    };
    const Case cases[] = {
        {"h264", "g711", "mkv", "h264", "pcm_mulaw", 1024},
        {"h264", "ima", "mp4", "h264", "alac", 4096},
        {"mpeg4", "g723", "mp4", "mpeg4", "alac", 8192},
        {"mpeg4", "g711", "mp4", "mpeg4", "alac", 1024},
        {"mpeg4", "ima", "mkv", "mpeg4", "pcm_s16le", 4096},
        {"jpeg", "g723", "mkv", "mjpeg", "pcm_s16le", 8192},
    };
    for (const Case& c : cases) {
        const std::string name = std::string(c.codec) + " " + c.audio + " " + c.extension;
        RecordingFiles files;
        Synth(files, c.codec, c.audio);
        const std::vector<ReadRecord> records = ReadAllRecords(files.media, files.index);
        const std::vector<int32_t> frames = VideoRecordsOf(records, 0);
        ASSERT_EQ(frames.size(), 20u) << name;
        int64_t audioPackets = 0;
        for (const ReadRecord& record : records) {
            const uint8_t* packet = record.packet.data();
            audioPackets += !record.packet.empty() && TavIsAudio(packet) && TavGetChannelNumber(packet) == 0 &&
                            TavGetAudioTrack(packet) == 0 && TimeOf(record) >= TimeOf(records[frames[0]]);
        }

        TempDir out;
        const std::string path = out.File(std::string("channel.") + c.extension);
        const ToolRun run = Export(files, "--channel 0 --audio", path);
        ASSERT_EQ(run.status, 0) << name << run.err;
        EXPECT_EQ(run.err, "") << name;
        const ExportedFile file = ReadExportedFile(path, std::string(c.codec) == "h264");
        ASSERT_TRUE(file.opened) << name;
        EXPECT_EQ(file.videoCodec, c.videoCodec) << name;
        ASSERT_EQ(file.videoMs.size(), frames.size()) << name;
        EXPECT_TRUE(file.videoKey[0]) << name;
        const int64_t start = TimeOf(records[frames[0]]);
        EXPECT_EQ(file.creationTime, FormatWallClockMicros(start)) << name;
        for (size_t k = 0; k < frames.size(); ++k) {
            EXPECT_EQ(file.videoMs[k], (TimeOf(records[frames[k]]) - start) * 10) << name << " frame " << k;
            if (std::string(c.codec) != "h264") {
                EXPECT_EQ(file.videoPackets[k], CodedFrame(records[frames[k]])) << name << " frame " << k;
            }
        }
        if (std::string(c.codec) == "h264") {
            ASSERT_EQ(file.pictures.size(), frames.size()) << name;
            for (const size_t k : {size_t{0}, size_t{3}, size_t{19}}) {
                const std::string bmp = out.File("frame.bmp");
                ASSERT_EQ(Kvrtool("frame " + Quoted(files.media) + " --record " + std::to_string(frames[k]) +
                                  " --out " + Quoted(bmp)).status, 0);
                EXPECT_EQ(PicturePsnr(ReadBmp(bmp), file.pictures[k]), 99.0) << name << " frame " << k;
            }
        }
        EXPECT_EQ(file.audioCodec, c.audioCodec) << name;
        EXPECT_EQ(file.sampleRate, 8000) << name;
        EXPECT_EQ(file.audioChannels, 1) << name;
        EXPECT_EQ(file.audioSamples, audioPackets * c.samplesPerPacket) << name;
    }
}

// A range by records or by times begins at the key frame at or before its start, says so, and
// ends with its last record or time.
TEST(KvrtoolExport, RangesBeginAtAKeyFrame)
{
    RecordingFiles files;
    Synth(files, "h264", "g711", 3);
    const std::vector<ReadRecord> records = ReadAllRecords(files.media, files.index);
    const std::vector<int32_t> frames = VideoRecordsOf(records, 0);
    ASSERT_EQ(frames.size(), 30u);
    struct Case {
        std::string arguments;
        size_t firstFrame;   // the key frame the export begins with
        size_t lastFrame;
        std::string rule;
    };
    const Case cases[] = {
        {"--from-record " + std::to_string(frames[7]) + " --to-record " + std::to_string(frames[13]), 5, 13,
         "the export begins at the key frame at or before it, record " + std::to_string(frames[5])},
        {"--from-record " + std::to_string(frames[10]) + " --to-record " + std::to_string(frames[10] + 1), 10, 10,
         "the range begins with a key frame at record " + std::to_string(frames[10])},
        {"--from " + FormatWallClock(TimeOf(records[frames[8]]) - 5) + " --to " +
             FormatWallClock(TimeOf(records[frames[21]])).substr(0, 22),
         5, 21, "the export begins at the key frame at or before it, record " + std::to_string(frames[5])},
        {"--to 2026-01-02T03:04:06", 0, 10, "the export begins at the channel's first key frame, record 0"},
    };
    for (const Case& c : cases) {
        TempDir out;
        const std::string path = out.File("range.mkv");
        const ToolRun run = Export(files, "--channel 0 " + c.arguments, path);
        ASSERT_EQ(run.status, 0) << c.arguments << run.err;
        EXPECT_NE(run.out.find(c.rule), std::string::npos) << c.arguments << "\n" << run.out;
        const ExportedFile file = ReadExportedFile(path, false);
        ASSERT_EQ(file.videoMs.size(), c.lastFrame - c.firstFrame + 1) << c.arguments;
        EXPECT_TRUE(file.videoKey[0]);
        for (size_t k = c.firstFrame; k <= c.lastFrame; ++k) {
            EXPECT_EQ(file.videoMs[k - c.firstFrame], (TimeOf(records[frames[k]]) - TimeOf(records[frames[c.firstFrame]])) * 10)
                << c.arguments << " frame " << k;
        }
        const std::string sidecar = FileText(out.File("range.json"));
        EXPECT_NE(sidecar.find("\"firstRecord\":" + std::to_string(frames[c.firstFrame])), std::string::npos) << sidecar;
    }
}

// A packet of the channel that cannot be read is left out, counted, named on standard error
// and listed in the sidecar; the frames around it are all there.
TEST(KvrtoolExport, LeavesOutDamagedPacketsAndListsThem)
{
    RecordingFiles files;
    StreamEncoder encoder;
    ASSERT_EQ(encoder.Open(kVideoCodecMpeg4, 64, 48, 25, 25), 0);
    std::vector<uint8_t> picture(64 * 48 * 3);
    RecordingWriter writer;
    ASSERT_EQ(writer.Create(files.media, files.index), 0);
    for (uint8_t i = 0; i < 6; ++i) {
        PacketSpec frame;
        DrawTestPattern(picture.data(), 64, 48, i, 0);
        bool key = false;
        ASSERT_EQ(encoder.Encode(picture.data(), &frame.payload, &key), 0);
        frame.sequence = i;
        frame.hundredths = static_cast<uint8_t>(4 * i);
        frame.time = 1767323045;
        if (i == 3) {
            frame.totalLength = 1 << 20;   // a length that lies: the packet cannot be read
        }
        ASSERT_GE(writer.WritePacket(frame), 0);
    }
    ASSERT_EQ(writer.Close(), 0);

    TempDir out;
    const std::string path = out.File("damaged.mp4");
    const ToolRun run = Export(files, "--channel 0", path);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("kvrtool: warning: " + files.media + ": record 3 left out: its packet cannot be read"),
              std::string::npos) << run.err;
    EXPECT_NE(run.out.find("5 MPEG-4 frames"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 damaged packets left out"), std::string::npos) << run.out;
    const ExportedFile file = ReadExportedFile(path, false);
    EXPECT_EQ(file.videoMs, (std::vector<int64_t>{0, 40, 80, 160, 200}));
    const std::string sidecar = FileText(out.File("damaged.json"));
    EXPECT_NE(sidecar.find("\"damagedPackets\":[{\"record\":3,\"reason\":\"its packet cannot be read"), std::string::npos)
        << sidecar;
}

// The sidecar ties the export to its recording: sizes and fingerprints of both files of the
// pair and of the export, the channel, the range and the counts.
TEST(KvrtoolExport, SidecarFingerprintsTheRecordingAndTheExport)
{
    RecordingFiles files;
    Synth(files, "mpeg4", "g723");
    TempDir out;
    const std::string path = out.File("evidence.mkv");
    const ToolRun run = Export(files, "--channel 0 --audio --from-record 3", path);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string sidecar = FileText(out.File("evidence.json"));
    for (const std::string& path : {files.media, files.index, path}) {
        const std::string field = "\"size\":" + std::to_string(ReadFileBytes(path).size()) + ",\"sha256\":\"" +
                                  Sha256Of(path) + "\"";
        EXPECT_NE(sidecar.find(field), std::string::npos) << path << sidecar;
    }
    for (const char* field : {"\"tool\":{\"name\":\"kvrtool\",\"version\":\"",
                                     "\"channel\":0", "\"requested\":{\"fromRecord\":3}", "\"frames\":",
                                     "\"firstTime\":\"2026-01-02T03:04:", "\"samples\":", "\"damagedPackets\":[]",
                                     "\"container\":\"matroska\""}) {
        EXPECT_NE(sidecar.find(field), std::string::npos) << field << sidecar;
    }
}

// Outputs it must not write, and channels it cannot export: one line, exit status 1, and
// nothing written, not even a temporary file.
TEST(KvrtoolExport, RefusesWithOneLineAndWritesNothing)
{
    RecordingFiles files;
    Synth(files, "jpeg");
    TempDir out;
    const std::string existing = out.File("old.mkv");
    { std::ofstream(existing) << "earlier"; }
    const std::string regularFile = out.File("plain");
    { std::ofstream(regularFile) << "x"; }
    struct Case {
        std::string arguments;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        {"--channel 0", existing, existing + ": already exists; --force replaces it"},
        {"--channel 0", regularFile + "/x.mkv", regularFile + "/x.mkv: cannot be created: Not a directory"},
        {"--channel 0", out.File("missing/x.mkv"), out.File("missing/x.mkv") + ": cannot be created: No such file or directory"},
        {"--channel 0", files.dir.File("beside.mkv"), "is in the recording's folder; exports are never written beside the recording"},
        {"--channel 0", out.File("x.mp4"), "channel 0 holds JPEG pictures, which go into Matroska (.mkv) only"},
        {"--channel 4", out.File("x.mkv"), "the recording has no channel 4"},
        {"--channel 0 --from-record 9999", out.File("x.mkv"), "record 9999 does not exist"},
        {"--channel 0 --from 2030-01-01T00:00:00", out.File("x.mkv"), "channel 0 has no video at or after 2030-01-01T00:00:00.00Z"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Export(files, c.arguments, c.out);
        EXPECT_EQ(run.status, 1) << c.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(FilesIn(out.Path()), (std::set<std::string>{".", "..", "old.mkv", "plain"})) << c.arguments;
        EXPECT_EQ(FilesIn(files.dir.Path()), (std::set<std::string>{".", "..", "rec.kvr", "rec.idx"})) << c.arguments;
    }
    EXPECT_EQ(FileText(existing), "earlier");
    ASSERT_EQ(Export(files, "--channel 0 --force", existing).status, 0);
    EXPECT_EQ(ReadExportedFile(existing, false).videoCodec, "mjpeg");

    // A channel with audio only.
    RecordingFiles audioOnly;
    ASSERT_EQ(Kvrtool("synth " + Quoted(audioOnly.media) + " --audio 0:2:g711 --seconds 1").status, 0);
    const ToolRun noVideo = Export(audioOnly, "--channel 1", out.File("y.mkv"));
    EXPECT_EQ(noVideo.status, 1);
    EXPECT_NE(noVideo.err.find("channel 1 has no video records"), std::string::npos) << noVideo.err;
    const ToolRun noAudio = Export(files, "--channel 0 --audio --to-record 0", out.File("y.mkv"));
    EXPECT_EQ(noAudio.status, 1);
    EXPECT_NE(noAudio.err.find("channel 0 has no audio on track 0 in the range"), std::string::npos) << noAudio.err;

    const std::string m = Quoted(files.media);
    for (const std::string& arguments :
         {std::string(""), m + " --out x.mkv", m + " --channel 0", m + " --channel 0 --out x.avi",
          m + " --channel 0 --from-record 1 --from 2026-01-02T03:04:05 --out " + Quoted(out.File("z.mkv")),
          m + " --channel 0 --from 2026-02-30T00:00:00 --out x.mkv", m + " --channel 0 --to yesterday --out x.mkv"}) {
        const ToolRun run = Kvrtool("export " + arguments);
        EXPECT_EQ(run.status, arguments.find(".avi") != std::string::npos ? 1 : 2) << arguments << run.err;
        EXPECT_NE(run.err.find("kvrtool"), std::string::npos) << arguments;
    }
    EXPECT_EQ(Kvrtool("export --help").status, 0);
}

// --format mono: one channel at the rate the samples were recorded, the same samples the
// device format carries (for G.723 two to a stereo frame).
TEST(KvrtoolAudioMono, OneChannelAtTheRecordedRate)
{
    for (const char* codec : {"g723", "ima", "g711"}) {
        RecordingFiles files;
        ASSERT_EQ(Kvrtool("synth " + Quoted(files.media) + " --audio 0:1:" + codec + " --seconds 2").status, 0);
        TempDir out;
        const std::string mono = out.File("mono.wav");
        const std::string device = out.File("device.wav");
        ASSERT_EQ(Kvrtool("audio " + Quoted(files.media) + " --channel 0 --format mono --out " + Quoted(mono)).status, 0);
        ASSERT_EQ(Kvrtool("audio " + Quoted(files.media) + " --channel 0 --out " + Quoted(device)).status, 0);
        const std::vector<uint8_t> monoBytes = ReadFileBytes(mono);
        const std::vector<uint8_t> deviceBytes = ReadFileBytes(device);
        ASSERT_GT(monoBytes.size(), 44u) << codec;
        EXPECT_EQ(monoBytes[22], 1) << codec;                                  // channels
        EXPECT_EQ(monoBytes[24] | monoBytes[25] << 8, 8000) << codec;          // samples per second
        EXPECT_EQ(std::vector<uint8_t>(monoBytes.begin() + 44, monoBytes.end()),
                  std::vector<uint8_t>(deviceBytes.begin() + 44, deviceBytes.end())) << codec;
        EXPECT_GE(monoBytes.size() - 44, 2u * 8000 * 2) << codec;              // two seconds at least
    }
    EXPECT_EQ(Kvrtool("audio x.kvr --channel 0 --format stereo --out x.wav").status, 2);
}
