#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "audio/Codec_IMA.h"
#include "audio/MuLaw.h"
#include "recording/MediaFileMng.h"
#include "recording/RecordingWriter.h"
#include "tests/support/AudioTestSignal.h"
#include "tests/support/FileBytes.h"
#include "tests/support/KvrtoolRun.h"
#include "tests/support/RecordingFixture.h"
#include "tests/support/TestOwner.h"

namespace {

uint32_t Le(const std::vector<uint8_t>& bytes, size_t at, int width)
{
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | bytes.at(at + static_cast<size_t>(i));
    }
    return value;
}

struct Wav {
    uint32_t channels = 0;
    uint32_t rate = 0;
    uint32_t dataBytes = 0;
    std::vector<int16_t> samples;   // interleaved
};

// Checks the header that every file of the export has and returns its fields.
Wav ReadWav(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    Wav wav;
    EXPECT_GE(bytes.size(), 44u) << path;
    if (bytes.size() < 44) {
        return wav;
    }
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(Le(bytes, 4, 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le(bytes, 16, 4), 16u);
    EXPECT_EQ(Le(bytes, 20, 2), 1u);   // PCM
    wav.channels = Le(bytes, 22, 2);
    wav.rate = Le(bytes, 24, 4);
    EXPECT_EQ(Le(bytes, 28, 4), wav.rate * wav.channels * 2);
    EXPECT_EQ(Le(bytes, 32, 2), wav.channels * 2);
    EXPECT_EQ(Le(bytes, 34, 2), 16u);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    wav.dataBytes = Le(bytes, 40, 4);
    EXPECT_EQ(wav.dataBytes, bytes.size() - 44);
    for (size_t at = 44; at + 1 < bytes.size(); at += 2) {
        wav.samples.push_back(static_cast<int16_t>(Le(bytes, at, 2)));
    }
    return wav;
}

// Synthesized tones come back out of the export at the rate, length and shape they went in,
// in the device format of their codec.
TEST(KvrtoolAudio, SynthesizedToneComesBackThroughEachCodec)
{
    const struct {
        const char* codec;
        uint32_t channels;
        const char* name;
        double snrFloor;
    } cases[] = {{"g711", 1, "G.711", 35.0}, {"ima", 1, "IMA ADPCM", 25.0}, {"g723", 2, "G.723", 25.0}};
    for (const auto& c : cases) {
        RecordingFiles files;
        const ToolRun synth = Kvrtool("synth " + Quoted(files.media) + " --audio 0:1:" + c.codec + " --seconds 3");
        ASSERT_EQ(synth.status, 0) << synth.err;
        const std::string out = files.dir.File("out.wav");
        const ToolRun run = Kvrtool("audio " + Quoted(files.media) + " --channel 0 --out " + Quoted(out));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find(std::string(c.name) + " packets of channel 0 track 0"), std::string::npos) << run.out;

        // 3 s are 24000 samples, in whole packets of 1024, 4096 or 8192: 24576 samples.
        const Wav wav = ReadWav(out);
        EXPECT_EQ(wav.channels, c.channels) << c.codec;
        EXPECT_EQ(wav.rate, 8000u);
        EXPECT_EQ(wav.dataBytes, 24576u * 2) << c.codec;
        // Read in order, the samples are the mono stream (G.723's alternate left and right).
        EXPECT_GT(SnrDb(Tone(24576, 440.0, 10000.0), wav.samples, 400), c.snrFloor) << c.codec;
    }
}

// Three streams: packets in time order, each of its recorder's size, with its track in the
// sequence byte, dated consistently in every field.
TEST(KvrtoolSynth, PacketsAreTimeOrderedSizedAndDated)
{
    RecordingFiles files;
    const ToolRun synth = Kvrtool("synth " + Quoted(files.media) +
                                  " --audio 0:1:g711 --audio 0:1:ima:2 --audio 1:3:g723:1 --seconds 2"
                                  " --start 2030-12-31T23:59:59");
    ASSERT_EQ(synth.status, 0) << synth.err;

    TestOwner owner;
    MediaFileMng manager;
    manager.owner = &owner;
    ASSERT_EQ(manager.Open(files.media.c_str(), files.index.c_str()), 0);
    std::vector<uint8_t> buffer(kMediaReadCapacity);
    const std::map<int32_t, int32_t> payloadOf = {{0x92, 1024}, {0x99, 2112}, {0x91, 3072}};
    const std::map<int32_t, int32_t> trackOf = {{0x92, 0}, {0x99, 2}, {0x91, 1}};
    const std::map<int32_t, int32_t> samplesOf = {{0x92, 1024}, {0x99, 4096}, {0x91, 8192}};
    std::map<int32_t, int32_t> count;
    double last = -1.0;
    while (manager.ReadNext(buffer.data()) > 0) {
        const uint8_t* packet = buffer.data();
        const auto* header = reinterpret_cast<const PacketHeader*>(packet);
        ASSERT_TRUE(TavIsAudio(packet));
        EXPECT_TRUE(manager.record.kind == 0x12 || manager.record.kind == 0x32 || manager.record.kind == 0x92)
            << int(manager.record.kind);
        EXPECT_EQ(TavGetPayloadLength(packet), payloadOf.at(packet[0]));
        EXPECT_EQ(TavGetAudioTrack(packet), trackOf.at(packet[0]));
        EXPECT_EQ(TavGetSequence(packet), count[packet[0]] % 64);
        EXPECT_EQ(TavGetChannelNumber(packet), packet[0] == 0x91 ? 6 : 0);

        const time_t seconds = static_cast<time_t>(ntohl(header->time));
        tm fields{};
        gmtime_r(&seconds, &fields);
        EXPECT_EQ(ntohs(header->year), fields.tm_year + 1900);
        EXPECT_EQ(header->month, fields.tm_mon + 1);
        EXPECT_EQ(header->day, fields.tm_mday);
        EXPECT_EQ(header->hour, fields.tm_hour);
        EXPECT_EQ(header->minute, fields.tm_min);
        EXPECT_EQ(header->second, fields.tm_sec);
        const double at = static_cast<double>(seconds) + header->hundredths / 100.0;
        EXPECT_GE(at, last);
        last = at;
        // Each packet is dated by its first sample, to the hundredth below: packet k of n
        // samples at k x n / 8000 s from 2030-12-31 23:59:59 (1924991999 s).
        const double expected = 1924991999.0 + count[packet[0]] * samplesOf.at(packet[0]) / 8000.0;
        EXPECT_LE(at, expected + 1e-9);
        EXPECT_GT(at, expected - 0.01);
        ++count[packet[0]];
    }
    EXPECT_EQ(count[0x92], 16);   // 16000 samples in packets of 1024
    EXPECT_EQ(count[0x99], 4);
    EXPECT_EQ(count[0x91], 2);
}

struct AudioPacket {
    uint8_t type;
    size_t payloadBytes;
    uint8_t track = 0;
    uint16_t channel = 1;
};

// Audio packets of unit 0 with payloads of bytes 0x55 (and a valid IMA header), plus a video
// packet in front, which the export passes over.
void WriteAudioRecording(const RecordingFiles& files, const std::vector<AudioPacket>& packets)
{
    RecordingWriter writer;
    ASSERT_EQ(writer.Create(files.media, files.index), 0);
    ASSERT_GE(writer.WritePacket(MarkedPacket(1), 0x00), 0);
    for (size_t i = 0; i < packets.size(); ++i) {
        PacketSpec spec;
        spec.type = packets[i].type;
        spec.channel = packets[i].channel;
        spec.sequence = static_cast<uint8_t>((packets[i].track << 6) | (i & 63));
        spec.payload.assign(packets[i].payloadBytes, 0x55);
        if (packets[i].type == 0x99 && spec.payload.size() > 62) {
            spec.payload[60] = spec.payload[61] = spec.payload[62] = 0;
        }
        ASSERT_GE(writer.WritePacket(spec, 0x12), 0);
    }
    ASSERT_EQ(writer.Close(), 0);
}

// Payloads of other sizes than a recorder's: all their samples, in whole frames.
TEST(KvrtoolAudio, LengthFollowsWhatEachPayloadDecodesTo)
{
    const struct {
        AudioPacket packet;
        uint32_t dataBytes;
    } cases[] = {
        {{0x92, 1000}, 2000},          // one sample a byte
        {{0x91, 4}, 20},               // 10 samples, 5 stereo frames
        {{0x91, 5}, 28},               // 13 samples and one of silence
        {{0x91, 3072 * 2}, 16384},     // one device buffer at the most
        {{0x99, 100}, 8192},           // a whole frame, silent behind its 72 codes
    };
    for (const auto& c : cases) {
        RecordingFiles files;
        WriteAudioRecording(files, {c.packet});
        const std::string out = files.dir.File("out.wav");
        const ToolRun run = Kvrtool("audio " + Quoted(files.media) + " --channel 0 --out " + Quoted(out));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadWav(out).dataBytes, c.dataBytes) << int{c.packet.type} << " " << c.packet.payloadBytes;
    }
}

TEST(KvrtoolAudio, AnotherCodecEndsTheFileWithOneWarning)
{
    RecordingFiles files;
    WriteAudioRecording(files, {{0x92, 1000}, {0x92, 500, 1}, {0x92, 300}, {0x99, 2112}, {0x92, 1000}});
    const std::string out = files.dir.File("out.wav");
    const ToolRun run = Kvrtool("audio " + Quoted(files.media) + " --channel 0 --out " + Quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "kvrtool: warning: " + files.media +
                           ": channel 0 track 0: index record 4 holds IMA ADPCM after G.711; the WAV file ends there\n");
    const Wav wav = ReadWav(out);
    ASSERT_EQ(wav.dataBytes, 2600u);   // the track 1 packet is not part of track 0
    EXPECT_EQ(wav.samples[0], MuLawExpand(0x55));
}

TEST(KvrtoolAudio, TracksChannelsAndMissingAudio)
{
    RecordingFiles files;
    WriteAudioRecording(files, {{0x92, 100, 2}, {0x92, 200, 0}, {0x92, 300, 2}, {0x99, 2112, 1, 3}});
    const std::string out = files.dir.File("out.wav");
    const struct {
        std::string arguments;
        uint32_t dataBytes;   // 0: refused
        std::string message;
    } cases[] = {
        {"--channel 0", 800, ""},   // the first track met, 2
        {"--channel 0 --track 0", 400, ""},
        {"--channel 2 --track 1", 8192, ""},
        {"--channel 0 --track 3", 0, "no audio on channel 0 track 3"},
        {"--channel 1", 0, "no audio on channel 1"},
        {"--channel 2 --track 0", 0, "no audio on channel 2 track 0"},
    };
    for (const auto& c : cases) {
        std::remove(out.c_str());
        const ToolRun run = Kvrtool("audio " + Quoted(files.media) + " " + c.arguments + " --out " + Quoted(out));
        if (c.dataBytes > 0) {
            ASSERT_EQ(run.status, 0) << c.arguments << run.err;
            EXPECT_EQ(ReadWav(out).dataBytes, c.dataBytes) << c.arguments;
        } else {
            EXPECT_EQ(run.status, 1) << c.arguments;
            EXPECT_EQ(run.err, "kvrtool: " + files.media + ": " + c.message + "\n");
            EXPECT_FALSE(std::ifstream(out).good()) << "no file for " << c.arguments;
        }
    }
}

TEST(KvrtoolAudio, RefusesToWriteOverTheRecordingOrAnUnknownCodec)
{
    RecordingFiles files;
    WriteAudioRecording(files, {{0x92, 100}, {0x95, 100, 0, 2}});
    const std::vector<uint8_t> media = ReadFileBytes(files.media);
    const std::vector<uint8_t> index = ReadFileBytes(files.index);
    for (const std::string& target : {files.media, files.index, files.dir.File("./rec.kvr")}) {
        const ToolRun run = Kvrtool("audio " + Quoted(files.media) + " --channel 0 --out " + Quoted(target));
        EXPECT_EQ(run.status, 1) << target;
        EXPECT_EQ(run.err, "kvrtool: " + target + ": is a file of the recording; the recording is never written\n");
    }
    EXPECT_EQ(ReadFileBytes(files.media), media);
    EXPECT_EQ(ReadFileBytes(files.index), index);

    const std::string out = files.dir.File("out.wav");
    const ToolRun unknown = Kvrtool("audio " + Quoted(files.media) + " --channel 1 --out " + Quoted(out));
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "kvrtool: " + files.media + ": channel 1 track 0: audio codec 5 cannot be decoded\n");
    const ToolRun uncreatable =
        Kvrtool("audio " + Quoted(files.media) + " --channel 0 --out " + Quoted(files.dir.File("none/out.wav")));
    EXPECT_EQ(uncreatable.status, 1);
    EXPECT_EQ(uncreatable.err, "kvrtool: " + files.dir.File("none/out.wav") + ": cannot be created: No such file or directory\n");
}

TEST(KvrtoolAudio, CommandLines)
{
    EXPECT_EQ(Kvrtool("audio --help").status, 0);
    EXPECT_NE(Kvrtool("audio --help").out.find("usage: kvrtool audio"), std::string::npos);
    for (const char* arguments : {"", "r.kvr --out o.wav", "r.kvr --channel 0", "r.kvr --channel x --out o.wav",
                                  "r.kvr --channel 0 --track 4 --out o.wav", "r.kvr --channel -1 --out o.wav",
                                  "r.kvr s.kvr --channel 0 --out o.wav", "r.kvr --channel 0 --out"}) {
        EXPECT_EQ(Kvrtool(std::string("audio ") + arguments).status, 2) << arguments;
    }
}

TEST(KvrtoolSynth, CommandLinesAndOutputsItWillNotWrite)
{
    TempDir dir;
    const std::string media = dir.File("s.kvr");
    EXPECT_EQ(Kvrtool("synth --help").status, 0);
    for (const char* arguments :
         {"", " --audio 0:1:g711", "s.kvr", "s.idx --audio 0:1:g711", "s.kvr --audio 0:1:mp3", "s.kvr --audio 0:0:g711",
          "s.kvr --audio 0:5:g711", "s.kvr --audio 32:1:g711", "s.kvr --audio 0:1:g711:4", "s.kvr --audio 0:1",
          "s.kvr --audio 0:1:g711:0:1", "s.kvr --audio 0:1:g711 --audio 0:1:ima",
          "s.kvr --audio 0:1:g711 --seconds 0", "s.kvr --audio 0:1:g711 --tone 4000",
          "s.kvr --audio 0:1:g711 --start 2026-02-30T00:00:00", "s.kvr --audio 0:1:g711 --start 2026-01-02",
          "s.kvr --audio 0:1:g711 --start 2026-01-02T03:04:05x"}) {
        const ToolRun run = Kvrtool(std::string("synth ") + arguments);
        EXPECT_EQ(run.status, 2) << arguments;
    }

    ASSERT_EQ(Kvrtool("synth " + Quoted(media) + " --audio 0:1:g711 --seconds 1").status, 0);
    const std::vector<uint8_t> first = ReadFileBytes(media);
    const ToolRun again = Kvrtool("synth " + Quoted(media) + " --audio 0:1:ima --seconds 1");
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, "kvrtool: " + media + ": exists; --force writes over it\n");
    EXPECT_EQ(ReadFileBytes(media), first);
    EXPECT_EQ(Kvrtool("synth " + Quoted(media) + " --audio 0:1:ima --seconds 1 --force").status, 0);
    EXPECT_NE(ReadFileBytes(media), first);

    const std::string nowhere = dir.File("none/s.kvr");
    const ToolRun uncreatable = Kvrtool("synth " + Quoted(nowhere) + " --audio 0:1:g711");
    EXPECT_EQ(uncreatable.status, 1);
    EXPECT_EQ(uncreatable.err, "kvrtool: " + nowhere + ": cannot be created: No such file or directory\n");
}

}  // namespace
