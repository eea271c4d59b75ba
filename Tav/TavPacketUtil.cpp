#include "Tav/TavPacketUtil.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

FILE* reportStream = nullptr;

FILE* ReportStream()
{
    return reportStream != nullptr ? reportStream : stdout;
}

// Every report starts with the source file and line it comes from.
#define TAV_REPORT_PREFIX() fprintf(ReportStream(), "[%s(%d)]\t", __FILE__, __LINE__)
#define TAV_REPORT(text) (TAV_REPORT_PREFIX(), fprintf(ReportStream(), "%s\n", text))

const uint8_t* Bytes(const void* packet)
{
    return static_cast<const uint8_t*>(packet);
}

uint16_t Word16At(const void* packet, size_t offset)
{
    uint16_t value = 0;
    memcpy(&value, Bytes(packet) + offset, sizeof value);
    return ntohs(value);
}

uint32_t Word32At(const void* packet, size_t offset)
{
    uint32_t value = 0;
    memcpy(&value, Bytes(packet) + offset, sizeof value);
    return ntohl(value);
}

}  // namespace

void TavSetReportStream(FILE* stream)
{
    reportStream = stream;
}

bool TavIsJpeg(const void* packet)
{
    return packet != nullptr && Bytes(packet)[offsetof(PacketHeader, type)] == kTavJpegType;
}

int32_t TavGetKind(const void* packet)
{
    return packet == nullptr ? 0 : Bytes(packet)[offsetof(PacketHeader, type)] >> 4;
}

int32_t TavGetCodec(const void* packet)
{
    return packet == nullptr ? 0 : Bytes(packet)[offsetof(PacketHeader, type)] & 0x0F;
}

int32_t TavGetSequence(const void* packet)
{
    if (packet == nullptr) {
        return 0;
    }
    const uint8_t sequence = Bytes(packet)[offsetof(PacketHeader, sequence)];
    switch (TavGetKind(packet)) {
    case 4:
    case 10:
    case 15:
        return sequence;
    case 9:
        return sequence & 0x3F;
    default:
        return 0;
    }
}

int32_t TavGetAudioTrack(const void* packet)
{
    return packet == nullptr ? 0 : Bytes(packet)[offsetof(PacketHeader, sequence)] >> 6;
}

int32_t TavGetHeaderLength(const void* packet)
{
    return packet == nullptr ? 0 : Word16At(packet, offsetof(PacketHeader, headerLength));
}

int32_t TavGetOptionAreaLength(const void* packet)
{
    if (packet == nullptr) {
        return 0;
    }
    return static_cast<uint16_t>(TavGetHeaderLength(packet) - kTavMinHeaderLength);
}

uint32_t TavGetTotalLength(const void* packet)
{
    return packet == nullptr ? 0 : Word32At(packet, offsetof(PacketHeader, totalLength));
}

int32_t TavGetPayloadLength(const void* packet)
{
    if (packet == nullptr) {
        return 0;
    }
    const int64_t length = static_cast<int64_t>(TavGetTotalLength(packet)) - TavGetHeaderLength(packet) - 4;
    // Lengths that lie beyond 32 bits saturate rather than wrap into a plausible value.
    if (length > INT32_MAX) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(length);
}

const uint8_t* TavGetPayload(const void* packet)
{
    return packet == nullptr ? nullptr : Bytes(packet) + 4 + TavGetHeaderLength(packet);
}

uint16_t TavGetOptionMask(const void* packet)
{
    return packet == nullptr ? 0 : Word16At(packet, offsetof(PacketHeader, optionMask));
}

bool TavIsVideo(const void* packet)
{
    const int32_t kind = TavGetKind(packet);
    return packet != nullptr && (kind == 4 || kind == 15);
}

bool TavIsMpeg4(const void* packet)
{
    return packet != nullptr && TavGetKind(packet) == 4 && TavGetCodec(packet) == 4;
}

bool TavIsH264(const void* packet)
{
    return packet != nullptr && TavGetKind(packet) == 4 && TavGetCodec(packet) == 5;
}

bool TavIsAudio(const void* packet)
{
    return packet != nullptr && TavGetKind(packet) == 9;
}

int32_t TavGetUnit(const void* packet)
{
    return packet == nullptr ? 0 : Word16At(packet, offsetof(PacketHeader, unit));
}

int32_t TavGetChannel(const void* packet)
{
    return packet == nullptr ? 0 : Word16At(packet, offsetof(PacketHeader, channel));
}

int32_t TavGetChannelNumber(const void* packet)
{
    return TavGetUnit(packet) * 4 + TavGetChannel(packet) - 1;
}

int32_t TavGetOptionLength(uint16_t mask, int32_t kind, const uint8_t* position)
{
    if (kind < 1 || kind > 16 || (mask & (1u << (kind - 1))) == 0 || position == nullptr) {
        return 0;
    }
    if (position[0] != kind) {
        TAV_REPORT("option is not match");
        return 0;
    }
    return position[1];
}

bool TavParseOptions(const void* header, PacketOptions* options)
{
    if (header == nullptr || options == nullptr) {
        TAV_REPORT("arg is NULL");
        return false;
    }
    *options = PacketOptions{};

    const uint16_t mask = TavGetOptionMask(header);
    const uint8_t* position = Bytes(header) + kTavHeaderSize;
    // Options live inside the area the header announces; nothing past it is looked at, so a
    // lying length cannot take the parser out of the packet.
    const int32_t headerLength = TavGetHeaderLength(header);
    const uint8_t* areaEnd = headerLength > kTavMinHeaderLength ? Bytes(header) + 4 + headerLength : position;

    const uint8_t** pointers[] = {&options->option3, &options->option4, &options->option5,
                                  &options->option6, &options->option7, &options->option8};
    for (int32_t kind = 3; kind <= 8; ++kind) {
        if ((mask & (1u << (kind - 1))) == 0) {
            continue;
        }
        if (areaEnd - position < 2) {
            TAV_REPORT("option is out of the option area");
            continue;
        }
        const int32_t length = TavGetOptionLength(mask, kind, position);
        if (length == 0) {
            continue;
        }
        if (length > areaEnd - position) {
            TAV_REPORT("option is out of the option area");
            continue;
        }
        *pointers[kind - 3] = position;
        if (kind == 7) {
            options->option7Length = length;
        } else if (kind == 8) {
            options->option8Length = length;
        }
        position += length;
    }
    return true;
}

void TavReportReadFailure(const char* what, int error)
{
    TAV_REPORT_PREFIX();
    fprintf(ReportStream(), "fail to read %s (errno: %d)\n", what, error);
}

int32_t TavReadChunk(FILE* file, void* destination, size_t count, const char* what)
{
    const size_t got = fread(destination, 1, count, file);
    if (got == count) {
        return static_cast<int32_t>(count);
    }
    if (feof(file)) {
        return 0;
    }
    if (ferror(file)) {
        TavReportReadFailure(what, errno);
    }
    return -1;
}

namespace {

class FileByteSource : public TavByteSource {
public:
    explicit FileByteSource(FILE* file) : file(file) {}
    int32_t ReadChunk(void* destination, size_t count, const char* what) override
    {
        return TavReadChunk(file, destination, count, what);
    }

private:
    FILE* file;
};

}  // namespace

int32_t TavReadHeaderFrom(TavByteSource& source, void* buffer, uint32_t capacity)
{
    if (buffer == nullptr) {
        TAV_REPORT("argument is NULL");
        return -1;
    }
    if (capacity < static_cast<uint32_t>(kTavHeaderSize)) {
        TAV_REPORT("buffer is too small");
        return -1;
    }
    return source.ReadChunk(buffer, kTavHeaderSize, "header");
}

int32_t TavReadHeader(FILE* file, void* buffer, uint32_t capacity)
{
    if (file == nullptr || buffer == nullptr) {
        TAV_REPORT("argument is NULL");
        return -1;
    }
    FileByteSource source(file);
    return TavReadHeaderFrom(source, buffer, capacity);
}

int32_t TavReadPacket(FILE* file, void* buffer, uint32_t capacity)
{
    if (file == nullptr || buffer == nullptr) {
        TAV_REPORT("argument is NULL");
        return -1;
    }
    FileByteSource source(file);
    return TavReadPacketFrom(source, buffer, capacity);
}

int32_t TavReadPacketFrom(TavByteSource& source, void* buffer, uint32_t capacity)
{
    const int32_t headerResult = TavReadHeaderFrom(source, buffer, capacity);
    if (headerResult <= 0) {
        return headerResult;
    }

    // The header's lengths decide how much is read into the buffer: refuse any packet that
    // they would not describe consistently, or that would not fit.
    const int32_t headerLength = TavGetHeaderLength(buffer);
    const uint32_t totalLength = TavGetTotalLength(buffer);
    if (headerLength < kTavMinHeaderLength || totalLength < static_cast<uint32_t>(headerLength) + 4) {
        TAV_REPORT("packet length is invalid");
        return -1;
    }
    if (totalLength > capacity) {
        TAV_REPORT("packet is larger than the buffer");
        return -1;
    }

    uint8_t* bytes = static_cast<uint8_t*>(buffer);
    int32_t length = kTavHeaderSize;
    const int32_t optionAreaLength = TavGetOptionAreaLength(buffer);
    if (optionAreaLength != 0) {
        if (source.ReadChunk(bytes + length, static_cast<size_t>(optionAreaLength), "optional user length") <= 0) {
            return -1;
        }
        length += optionAreaLength;
    }

    const int32_t payloadLength = TavGetPayloadLength(buffer);
    if (payloadLength <= 0) {   // never below 0 after the checks above
        return -1;
    }
    if (source.ReadChunk(bytes + length, static_cast<size_t>(payloadLength), "payload") <= 0) {
        return -1;
    }
    return length + payloadLength;
}
