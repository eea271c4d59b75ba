// Writes the fuzzers' seed corpora from a synthesized recording: fuzz-seeds RECORDING.kvr DIR
// makes DIR/<target>/ for every target, each seed in that target's input layout, cut from the
// recording's own packets so that the fuzzers start from real headers, options, pictures and
// sound. 0 on success, 1 when the recording cannot be read or a seed cannot be written.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "audio/AudioCodecId.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/MediaPairInput.h"
#include "recording/IndexPath.h"
#include "recording/IndexRecord.h"
#include "recording/MediaFileMng.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TestOwner.h"
#include "video/EventRecord.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Recording {
    std::vector<Bytes> packets;   // in index order
    Bytes index;
    Bytes media;
};

bool ReadRecording(const std::string& mediaPath, Recording* recording)
{
    const std::string indexPath = IndexPathFor(mediaPath);
    TestOwner owner;
    MediaFileMng manager;
    manager.owner = &owner;
    if (manager.Open(mediaPath.c_str(), indexPath.c_str()) != 0) {
        return false;
    }
    Bytes buffer(kMediaReadCapacity);
    for (int32_t result = manager.ReadNext(buffer.data()); result != kMediaNoMoreData;
         result = manager.ReadNext(buffer.data())) {
        if (result > 0) {
            recording->packets.emplace_back(buffer.begin(), buffer.begin() + result);
        } else if (result != kMediaNotStopped) {
            return false;
        }
    }
    recording->index = ReadFileBytes(indexPath);
    recording->media = ReadFileBytes(mediaPath);
    return !recording->index.empty() && !recording->media.empty();
}

class CorpusWriter {
public:
    explicit CorpusWriter(std::string root) : root(std::move(root)) {}

    void Write(const std::string& target, const Bytes& seed)
    {
        const std::string folder = root + "/" + target;
        mkdir(folder.c_str(), 0755);
        failed |= !WriteFileBytes(folder + "/seed-" + std::to_string(counts[target]++), seed);
    }

    bool failed = false;

private:
    std::string root;
    std::map<std::string, int> counts;
};

// Runs of consecutive packets of one stream, each run starting where `starts` says.
template <typename Take>
void WriteRuns(const Recording& recording, CorpusWriter& corpus, const std::string& target, Bytes prefix,
               size_t runLength, int mostRuns, const Take& take)
{
    Bytes run = prefix;
    size_t inRun = 0;
    int runs = 0;
    for (const Bytes& packet : recording.packets) {
        const Bytes bytes = take(packet);
        if (bytes.empty()) {
            continue;
        }
        AppendChunk(&run, bytes.data(), bytes.size());
        if (++inRun == runLength) {
            corpus.Write(target, run);
            if (++runs == mostRuns) {
                return;
            }
            run = prefix;
            inRun = 0;
        }
    }
    if (inRun > 0) {
        corpus.Write(target, run);
    }
}

void WritePacketSeeds(const Recording& recording, CorpusWriter& corpus)
{
    // A capacity byte (index 6: 512000 bytes, index 3: 200) and up to four packets in a row.
    for (size_t first = 0; first < recording.packets.size() && first < 64; first += 4) {
        Bytes seed{static_cast<uint8_t>(first % 8 == 0 ? 6 : 3)};
        for (size_t p = first; p < first + 4 && p < recording.packets.size(); ++p) {
            seed.insert(seed.end(), recording.packets[p].begin(), recording.packets[p].end());
        }
        corpus.Write("packet", seed);
    }
}

void WriteMediaPairSeeds(const Recording& recording, CorpusWriter& corpus)
{
    // The first records of the index with the part of the media file they point into.
    const size_t recordCount = recording.index.size() / kIndexRecordSize;
    for (size_t records : {4, 12, 40}) {
        const size_t taken = records < recordCount ? records : recordCount;
        // Packets lie in the media file in record order: the next record's offset ends the part.
        size_t mediaEnd = recording.media.size();
        if (taken < recordCount) {
            IndexRecord next{};
            memcpy(&next, recording.index.data() + taken * kIndexRecordSize, kIndexRecordSize);
            mediaEnd = std::min<size_t>(IndexRecordOffset(next), mediaEnd);
        }
        for (const char* reads : {"\x00\x00\x00\x00\x40\x40\x00\x80\x9f\xc0\x00\x40\x00\x00\xa0\x00",
                                  "\xbf\x40\x40\x40\x00\x00\x88\x88\xff\x00\x00\x00\x40\x40\x40\x40"}) {
            Bytes seed(reads, reads + kMediaPairReadCount);
            AppendWord32(&seed, static_cast<uint32_t>(taken * kIndexRecordSize));
            seed.insert(seed.end(), recording.index.begin(), recording.index.begin() + taken * kIndexRecordSize);
            seed.insert(seed.end(), recording.media.begin(), recording.media.begin() + mediaEnd);
            corpus.Write("media_file", seed);
        }
    }
}

Bytes PacketOfType(const Bytes& packet, bool (*is)(const void*))
{
    return is(packet.data()) ? packet : Bytes{};
}

bool IsMpeg4Packet(const void* packet) { return TavIsMpeg4(packet); }
bool IsH264Packet(const void* packet) { return TavIsH264(packet); }
bool IsJpegPacket(const void* packet) { return TavIsJpeg(packet); }

Bytes AudioPayload(const Bytes& packet, int32_t codec)
{
    if (!TavIsAudio(packet.data()) || TavGetCodec(packet.data()) != codec) {
        return {};
    }
    const uint8_t* payload = TavGetPayload(packet.data());
    return Bytes(payload, payload + TavGetPayloadLength(packet.data()));
}

void WriteComposerSeeds(const Recording& recording, CorpusWriter& corpus)
{
    int written = 0;
    for (const Bytes& packet : recording.packets) {
        PacketOptions options{};
        if (!TavParseOptions(packet.data(), &options) || options.option8 == nullptr ||
            options.option8Length <= kEventHeadSize) {
            continue;
        }
        Bytes seed{static_cast<uint8_t>(written % 2 == 0 ? 128 : 16)};
        seed.insert(seed.end(), options.option8 + kEventHeadSize, options.option8 + options.option8Length);
        corpus.Write("event_composer", seed);
        if (++written == 16) {
            return;
        }
    }
}

void WriteArgumentSeeds(CorpusWriter& corpus)
{
    const std::vector<std::vector<std::string>> lines = {
        {"info", "a.kvr", "--json"},
        {"play", "a.kvr", "--speed", "5", "--backward", "--decode", "--json"},
        {"frame", "a.kvr", "--record", "12", "--out", "f.bmp"},
        {"sample", "s.kvr", "--channels", "4", "--seconds", "2", "--fps", "25"},
        {"synth", "s.kvr", "--channel", "0:1:h264", "--audio", "0:1:ima:2", "--size", "352x288", "--fps", "25",
         "--gop", "12", "--events", "--seconds", "3", "--start", "2009-06-01T12:00:00", "--tone", "440"},
        {"audio", "a.kvr", "--channel", "0", "--track", "1", "--format", "mono", "--out", "a.wav"},
        {"export", "a.kvr", "--channel", "2", "--from", "2009-06-01T12:00:01.50", "--to-record", "90", "--audio",
         "--out", "e.mkv", "--force", "--json"},
        {"--version"},
        {"synth", "--help"},
    };
    for (const std::vector<std::string>& line : lines) {
        Bytes seed;
        for (const std::string& word : line) {
            seed.insert(seed.end(), word.begin(), word.end());
            seed.push_back(0);
        }
        corpus.Write("tool_arguments", seed);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fputs("usage: fuzz-seeds RECORDING.kvr DIR\n", stderr);
        return 1;
    }
    TavSetReportStream(stderr);
    Recording recording;
    if (!ReadRecording(argv[1], &recording) || recording.packets.empty()) {
        fprintf(stderr, "fuzz-seeds: %s cannot be read\n", argv[1]);
        return 1;
    }
    mkdir(argv[2], 0755);
    CorpusWriter corpus(argv[2]);
    WritePacketSeeds(recording, corpus);
    WriteMediaPairSeeds(recording, corpus);
    const std::pair<const char*, bool (*)(const void*)> videos[] = {
        {"video_jpeg", IsJpegPacket}, {"video_mpeg4", IsMpeg4Packet}, {"video_h264", IsH264Packet}};
    for (const auto& video : videos) {
        const auto is = video.second;
        WriteRuns(recording, corpus, video.first, Bytes{}, 6, 8, [is](const Bytes& packet) { return PacketOfType(packet, is); });
    }
    const std::pair<const char*, int32_t> audios[] = {
        {"audio_g711", kAudioCodecG711}, {"audio_g723", kAudioCodecG723}, {"audio_ima", kAudioCodecIma}};
    for (const auto& audio : audios) {
        const int32_t codec = audio.second;
        WriteRuns(recording, corpus, audio.first, Bytes{10}, 3, 6,
                  [codec](const Bytes& packet) { return AudioPayload(packet, codec); });
    }
    WriteComposerSeeds(recording, corpus);
    WriteArgumentSeeds(corpus);
    return corpus.failed ? 1 : 0;
}
