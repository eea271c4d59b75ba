#include "tests/hardening/BaseRecording.h"

#include <cstring>
#include <memory>

#include "Tav/TavPacketUtil.h"
#include "recording/IndexRecord.h"
#include "tests/support/FileBytes.h"
#include "tests/support/KvrtoolRun.h"
#include "tests/support/TempDir.h"

namespace {

// Small pictures and few seconds keep a copy's full read and decode in milliseconds; the key
// interval of 4 gives every stream channel several groups of pictures.
constexpr char kSynthOptions[] =
    " --channel 0:1:jpeg --channel 0:2:mpeg4 --channel 0:3:h264 --channel 1:1:h264"
    " --audio 0:1:g711 --audio 0:2:g723:1 --audio 0:3:ima:2 --audio 1:2:g711:3"
    " --size 64x48 --fps 5 --gop 4 --seconds 3 --events";

// Walks the media file packet by packet and checks that the index names each one in order.
bool Describe(BaseRecording* base, std::string* error)
{
    const size_t records = base->index.size() / kIndexRecordSize;
    if (base->index.size() % kIndexRecordSize != 0 || records == 0) {
        *error = "the index is not whole records";
        return false;
    }
    uint32_t offset = 0;
    for (size_t r = 0; r < records; ++r) {
        IndexRecord record{};
        memcpy(&record, base->index.data() + r * kIndexRecordSize, kIndexRecordSize);
        const uint8_t* header = base->media.data() + offset;
        if (IndexRecordOffset(record) != offset || offset + kTavHeaderSize > base->media.size() ||
            offset + TavGetTotalLength(header) > base->media.size()) {
            *error = "record " + std::to_string(r) + " does not name the next packet";
            return false;
        }
        BasePacket packet;
        packet.offset = offset;
        packet.totalLength = TavGetTotalLength(header);
        packet.headerLength = static_cast<uint32_t>(TavGetHeaderLength(header));
        packet.type = header[0];
        packet.payloadOffset = offset + 4 + packet.headerLength;
        PacketOptions options{};
        if (TavParseOptions(header, &options) && options.option8 != nullptr) {
            packet.option8 = static_cast<int32_t>(options.option8 - base->media.data());
            packet.option8Length = options.option8Length;
        }
        base->packets.push_back(packet);
        offset += packet.totalLength;
    }
    if (offset != base->media.size()) {
        *error = "the media file goes on past the last indexed packet";
        return false;
    }
    return true;
}

std::unique_ptr<BaseRecording> MakeBase(std::string* error)
{
    TempDir dir;
    const std::string media = dir.File("base.kvr");
    const ToolRun synth = Kvrtool("synth " + Quoted(media) + kSynthOptions);
    if (synth.status != 0) {
        *error = "kvrtool synth failed: " + synth.err;
        return nullptr;
    }
    auto base = std::make_unique<BaseRecording>();
    base->media = ReadFileBytes(media);
    base->index = ReadFileBytes(dir.File("base.idx"));
    if (!Describe(base.get(), error)) {
        return nullptr;
    }
    return base;
}

}  // namespace

bool BaseRecording::IsVideo(const BasePacket& packet) const
{
    return TavIsVideo(media.data() + packet.offset);
}

bool BaseRecording::IsAudio(const BasePacket& packet) const
{
    return TavIsAudio(media.data() + packet.offset);
}

const BaseRecording* SharedBaseRecording(std::string* error)
{
    static std::string failure;
    static const std::unique_ptr<BaseRecording> base = MakeBase(&failure);
    *error = failure;
    return base.get();
}
