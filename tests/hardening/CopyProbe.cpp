#include "tests/hardening/CopyProbe.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "Tav/TavPacketUtil.h"
#include "export/Sha256.h"
#include "recording/MediaFileMng.h"
#include "recording/RecordWalk.h"

namespace {

// Reads in one direction end at the latest after every record and a margin: more calls than
// that means a read that goes nowhere.
constexpr int32_t kReadMargin = 2;
constexpr int32_t kRandomPositions = 8;
constexpr int32_t kMixedReads = 40;
// Exact steps: one for each of the first views, from a random record in a random direction.
constexpr int32_t kSteppedViews = 8;

enum class Reader { Next, Previous, At };

const char* NameOf(Reader reader)
{
    return reader == Reader::Next ? "ReadNext" : reader == Reader::Previous ? "ReadPrevious" : "ReadAt";
}

bool IsReadResult(Reader reader, int32_t result)
{
    return result == kMediaNoMoreData || result == kMediaReadFailed || result == kMediaIndexFailed ||
           (reader == Reader::At && result == kMediaNotStopped);
}

std::string HashOf(const std::string& path)
{
    std::string hex;
    int64_t size = 0;
    return Sha256OfFile(path, &hex, &size) == 0 ? hex + ":" + std::to_string(size) : "unreadable";
}

// One pass over a copy; lives for that copy only.
class CopyRun {
public:
    CopyRun(uint32_t seed, ProbeCounts* counts, std::vector<std::string>* problems)
        : random(seed), counts(counts), problems(problems), views(problems), buffer(new uint8_t[kMediaReadCapacity])
    {
        manager.owner = &views;
    }

    void Run(const std::string& mediaPath, const std::string& indexPath)
    {
        const int32_t opened = manager.Open(mediaPath.c_str(), indexPath.c_str());
        if (opened != 0) {
            if (opened != kMediaOpenFailed) {
                Problem("Open gave " + std::to_string(opened));
            }
            return;
        }
        ++counts->opened;
        const int32_t scanned = manager.ScanIndex();
        if (scanned != 0) {
            Problem("ScanIndex of an opened pair gave " + std::to_string(scanned));
            return;
        }
        const int32_t records = manager.RecordCount();
        ReadToEnd(Reader::Next);
        Read(Reader::At, records - 1);
        ReadToEnd(Reader::Previous);
        const int32_t positions[] = {INT32_MIN, -1, 0, records - 1, records, records + 1, INT32_MAX};
        for (const int32_t position : positions) {
            Read(Reader::At, position);
        }
        for (int32_t i = 0; i < kRandomPositions; ++i) {
            Read(Reader::At, RandomPosition());
        }
        for (int32_t i = 0; i < kMixedReads; ++i) {
            const uint32_t pick = random() % 3;
            Read(pick == 0 ? Reader::Next : pick == 1 ? Reader::Previous : Reader::At, RandomPosition());
        }
        const int32_t stepped = std::min({manager.channelCount, views.ViewCount(), kSteppedViews});
        for (int32_t view = 0; view < stepped; ++view) {
            ExactStep(view);
        }
        manager.Close();
    }

private:
    void Problem(const std::string& text) { problems->push_back(text); }

    int32_t RandomPosition() { return static_cast<int32_t>(random() % (manager.RecordCount() + 2u)) - 1; }

    // One read, checked, its packet delivered. The read's result.
    int32_t Read(Reader reader, int32_t position)
    {
        int32_t result = 0;
        switch (reader) {
        case Reader::Next:
            result = manager.ReadNext(buffer.get());
            break;
        case Reader::Previous:
            result = manager.ReadPrevious(buffer.get());
            break;
        case Reader::At:
            result = manager.ReadAt(position, buffer.get());
            break;
        }
        if (result <= 0) {
            counts->readFailures += result == kMediaReadFailed;
            counts->indexFailures += result == kMediaIndexFailed;
            if (!IsReadResult(reader, result)) {
                Problem(std::string(NameOf(reader)) + " gave " + std::to_string(result));
            }
            return result;
        }
        CheckPacket(NameOf(reader), result);
        views.Deliver(manager.record.kind, Lend(result).get());
        return result;
    }

    // The packet just read, in an allocation of exactly its length: whatever a view reads past
    // the bytes the packet claims is caught, not hidden inside the manager's larger buffer.
    std::unique_ptr<uint8_t[]> Lend(int32_t length)
    {
        std::unique_ptr<uint8_t[]> packet(new uint8_t[static_cast<size_t>(length)]);
        memcpy(packet.get(), buffer.get(), static_cast<size_t>(length));
        return packet;
    }

    void CheckPacket(const char* what, int32_t length)
    {
        ++counts->packets;
        if (static_cast<uint32_t>(length) > kMediaReadCapacity || TavGetTotalLength(buffer.get()) != static_cast<uint32_t>(length)) {
            Problem(std::string(what) + " returned " + std::to_string(length) + " bytes of a packet of " +
                    std::to_string(TavGetTotalLength(buffer.get())));
        }
    }

    void ReadToEnd(Reader reader)
    {
        const int32_t bound = manager.RecordCount() + kReadMargin;
        for (int32_t call = 0; call < bound; ++call) {
            const int32_t result = Read(reader, 0);
            if (result == kMediaNoMoreData || result == kMediaIndexFailed) {
                return;
            }
        }
        Problem(std::string(NameOf(reader)) + " did not end within " + std::to_string(bound) + " calls");
    }

    // The playback handler's exact step of one view: the neighbouring picture of its channel, shown
    // from the held pictures or decoded from its group's key frame on.
    void ExactStep(int32_t view)
    {
        const int32_t channel = manager.channels[view];
        const int32_t origin = RandomPosition();
        const int32_t direction = random() % 2 == 0 ? 1 : -1;
        int32_t target = -1;
        const int32_t found = FindChannelVideoRecord(manager, origin, direction, channel, &target);
        if (found != 0) {
            if (found != kMediaNoMoreData && found != kMediaIndexFailed) {
                Problem("FindChannelVideoRecord gave " + std::to_string(found));
            }
            return;
        }
        if (target < 0 || target >= manager.RecordCount() || (target - origin) * direction <= 0) {
            Problem("FindChannelVideoRecord found " + std::to_string(target) + " from " + std::to_string(origin));
            return;
        }
        int32_t length = Read(Reader::At, target);
        if (length <= 0 || views.StepShowHeld(view, target, Lend(length).get(), static_cast<uint32_t>(length))) {
            return;
        }
        auto group = std::make_unique<GroupRecords>();
        const int32_t walked = CollectGroupRecords(manager, target, channel, group.get());
        if (walked != 0) {
            if (walked != kMediaNoMoreData && walked != kMediaIndexFailed && walked != kMediaReadFailed) {
                Problem("CollectGroupRecords gave " + std::to_string(walked));
            }
            return;
        }
        ++counts->steps;
        if (!GroupIsOrdered(*group, target)) {
            return;
        }
        const int32_t key = group->records[0];
        const int32_t decoderAt = views.StepDecoderRecord(view, key);
        int32_t first = 0;
        for (int32_t i = 0; i + 1 < group->count; ++i) {
            first = group->records[i] == decoderAt ? i + 1 : first;
        }
        for (int32_t i = first; i + 1 < group->count; ++i) {
            if (manager.mediaFile.Seek(group->offsets[i]) != 0) {
                return;
            }
            length = TavReadPacketFrom(manager.mediaFile, buffer.get(), kMediaReadCapacity);
            if (length <= 0) {
                if (length != 0 && length != -1) {
                    Problem("TavReadPacketFrom gave " + std::to_string(length));
                }
                return;
            }
            CheckPacket("TavReadPacketFrom", length);
            views.StepDecode(view, key, group->records[i], target, Lend(length).get(),
                             static_cast<uint32_t>(length));
        }
        length = Read(Reader::At, target);
        if (length > 0) {
            views.StepDecode(view, key, target, target, Lend(length).get(), static_cast<uint32_t>(length));
        }
    }

    bool GroupIsOrdered(const GroupRecords& group, int32_t target)
    {
        bool ordered = group.count >= 1 && group.count <= kMaxGroupRecords && group.records[group.count - 1] == target;
        for (int32_t i = 1; ordered && i < group.count; ++i) {
            ordered = group.records[i - 1] < group.records[i];
        }
        if (!ordered) {
            Problem("CollectGroupRecords gave a group of " + std::to_string(group.count) + " records not ending at " +
                    std::to_string(target));
        }
        return ordered;
    }

public:
    std::mt19937 random;
    ProbeCounts* counts;
    std::vector<std::string>* problems;
    SweepViews views;
    MediaFileMng manager;
    std::unique_ptr<uint8_t[]> buffer;   // exactly the capacity the manager is promised
};

void Add(VideoCounts* total, const VideoCounts& part)
{
    total->taken += part.taken;
    total->decoded += part.decoded;
    total->rejected += part.rejected;
    total->dropped += part.dropped;
    total->notVideo += part.notVideo;
    total->composed += part.composed;
    total->stepDecodes += part.stepDecodes;
}

void Add(AudioPathCounts* total, const AudioPathCounts& part)
{
    total->routed += part.routed;
    total->ignored += part.ignored;
    total->decoded += part.decoded;
    total->silent += part.silent;
}

}  // namespace

void CopyProbe::Run(const std::string& mediaPath, const std::string& indexPath, uint32_t seed,
                    std::vector<std::string>* problems)
{
    const std::string mediaBefore = HashOf(mediaPath);
    const std::string indexBefore = HashOf(indexPath);
    ++counts.copies;
    {
        CopyRun run(seed, &counts, problems);
        run.Run(mediaPath, indexPath);
        Add(&counts.video, run.views.video);
        Add(&counts.audio, run.views.audio.counts);
    }
    if (HashOf(mediaPath) != mediaBefore || HashOf(indexPath) != indexBefore) {
        problems->push_back("the files changed while they were read");
    }
}
