// The packet module over bytes from outside: the reader takes packets from a byte source into
// a buffer of a chosen capacity, and every accessor and the option parser then run on each
// packet held in a block of exactly its length.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzQuiet.h"

namespace {

class InputSource : public TavByteSource {
public:
    explicit InputSource(FuzzInput& input) : input(input) {}

    int32_t ReadChunk(void* destination, size_t count, const char*) override
    {
        if (input.Remaining() < count) {
            return 0;
        }
        const std::vector<uint8_t> bytes = input.Bytes(count);
        memcpy(destination, bytes.data(), count);
        return static_cast<int32_t>(count);
    }

private:
    FuzzInput& input;
};

const uint32_t kCapacities[] = {60, 61, 64, 200, 4096, 65536, 512000};

uint32_t Sum(const uint8_t* bytes, size_t count)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < count; ++i) {
        sum += bytes[i];
    }
    return sum;
}

// The option's bytes summed, so that every one of them is read.
uint32_t CheckOption(const std::vector<uint8_t>& packet, const uint8_t* option, int32_t length)
{
    if (option == nullptr) {
        return 0;
    }
    const uint8_t* begin = packet.data() + kTavHeaderSize;
    const uint8_t* areaEnd = packet.data() + 4 + TavGetHeaderLength(packet.data());
    // The kind and length bytes are inside the area, and so is the whole option.
    FUZZ_CHECK(option >= begin && option + 2 <= areaEnd && option + length <= areaEnd && length >= 1);
    return Sum(option, static_cast<size_t>(length));
}

void Examine(const std::vector<uint8_t>& packet)
{
    const uint8_t* bytes = packet.data();
    // Every accessor, as the views, the route and the tools call them.
    uint32_t seen = TavIsJpeg(bytes) + TavIsVideo(bytes) + TavIsMpeg4(bytes) + TavIsH264(bytes) + TavIsAudio(bytes);
    seen += static_cast<uint32_t>(TavGetKind(bytes) + TavGetCodec(bytes) + TavGetSequence(bytes) +
                                  TavGetAudioTrack(bytes) + TavGetUnit(bytes) + TavGetChannel(bytes) +
                                  TavGetChannelNumber(bytes) + TavGetOptionAreaLength(bytes));
    FUZZ_CHECK(TavGetTotalLength(bytes) == packet.size());
    const int32_t payloadLength = TavGetPayloadLength(bytes);
    FUZZ_CHECK(payloadLength >= 0);
    const uint8_t* payload = TavGetPayload(bytes);
    FUZZ_CHECK(payload != nullptr && payload + payloadLength == bytes + packet.size());
    seen += Sum(payload, static_cast<size_t>(payloadLength));

    PacketOptions options{};
    FUZZ_CHECK(TavParseOptions(bytes, &options));
    const uint16_t mask = TavGetOptionMask(bytes);
    const uint8_t* fixed[] = {options.option3, options.option4, options.option5, options.option6};
    for (int32_t kind = 3; kind <= 6; ++kind) {
        const uint8_t* option = fixed[kind - 3];
        seen += CheckOption(packet, option, option == nullptr ? 0 : TavGetOptionLength(mask, kind, option));
    }
    seen += CheckOption(packet, options.option7, options.option7Length);
    seen += CheckOption(packet, options.option8, options.option8Length);
    if (seen == 0xFFFFFFFFu) {
        fputc(' ', stderr);   // keeps the reads from being optimised away
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QuietPacketReports();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    constexpr size_t kCapacityCount = sizeof kCapacities / sizeof kCapacities[0];
    // One buffer of exactly each capacity, made once: a write past the capacity is caught.
    static std::vector<uint8_t> buffers[kCapacityCount];
    const size_t chosen = input.Byte() % kCapacityCount;
    const uint32_t capacity = kCapacities[chosen];
    std::vector<uint8_t>& buffer = buffers[chosen];
    buffer.resize(capacity);
    InputSource source(input);
    for (int packets = 0; packets < 64; ++packets) {
        const int32_t length = TavReadPacketFrom(source, buffer.data(), capacity);
        FUZZ_CHECK(length >= -1 && length <= static_cast<int32_t>(capacity));
        if (length <= 0) {
            break;
        }
        FUZZ_CHECK(length >= kTavHeaderSize);
        Examine(std::vector<uint8_t>(buffer.begin(), buffer.begin() + length));
    }
    return 0;
}
