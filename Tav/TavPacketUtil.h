// The packet module: layout of the self-describing packets of a media file, their accessors,
// the option parser and the reader that takes one packet from a file into a caller's buffer.
// Multi-byte header fields are big-endian; every accessor reads them through ntohs/ntohl and
// never assumes the packet is aligned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// The 60-byte header at the start of every packet, as it lies in the file (big-endian words).
struct PacketHeader {
    uint8_t type;            // 0xFF: JPEG picture; else kind (high nibble) and codec (low nibble)
    uint8_t sequence;        // frame sequence; for audio the top two bits are the track
    uint8_t reserved2[2];
    uint16_t headerLength;   // bytes from offset 4 to the end of the option area: 56 + options
    uint8_t reserved6[18];
    uint32_t time;           // seconds since 1970-01-01
    uint16_t unit;
    uint16_t channel;        // counted from 1
    uint16_t year;
    uint8_t month;
    uint8_t day;
    uint8_t hour;
    uint8_t minute;
    uint8_t second;
    uint8_t hundredths;
    uint8_t reserved40[8];
    uint32_t totalLength;    // header, option area and payload
    uint8_t reserved52[6];
    uint16_t optionMask;     // bit k-1: option of kind k present; bit 15: a flag without option
};
static_assert(sizeof(PacketHeader) == 60, "the packet header is 60 bytes");

constexpr int32_t kTavHeaderSize = 60;
constexpr int32_t kTavMinHeaderLength = 56;   // headerLength of a packet without options
constexpr uint8_t kTavJpegType = 0xFF;
constexpr uint16_t kTavOptionFlagBit15 = 0x8000;

// Pointers to the options of kinds 3 to 8 inside the caller's packet buffer (kind byte of each).
struct PacketOptions {
    const uint8_t* option3;
    const uint8_t* option4;
    const uint8_t* option5;
    const uint8_t* option6;
    const uint8_t* option7;
    int32_t option7Length;
    const uint8_t* option8;
    int32_t option8Length;
};

// Accessors. Each takes the packet's first byte; a null packet gives 0 or false.
bool TavIsJpeg(const void* packet);
int32_t TavGetKind(const void* packet);
int32_t TavGetCodec(const void* packet);
int32_t TavGetSequence(const void* packet);
int32_t TavGetAudioTrack(const void* packet);
int32_t TavGetHeaderLength(const void* packet);
int32_t TavGetOptionAreaLength(const void* packet);   // headerLength - 56 as unsigned 16 bits
uint32_t TavGetTotalLength(const void* packet);
int32_t TavGetPayloadLength(const void* packet);      // totalLength - headerLength - 4
const uint8_t* TavGetPayload(const void* packet);
uint16_t TavGetOptionMask(const void* packet);
bool TavIsVideo(const void* packet);
bool TavIsMpeg4(const void* packet);
bool TavIsH264(const void* packet);
bool TavIsAudio(const void* packet);

// Unit and channel as unsigned 16-bit values, and the channel number unit * 4 + channel - 1.
int32_t TavGetUnit(const void* packet);
int32_t TavGetChannel(const void* packet);
int32_t TavGetChannelNumber(const void* packet);

// Length of the option of `kind` standing at `position`, or 0 when absent or mismatched.
int32_t TavGetOptionLength(uint16_t mask, int32_t kind, const uint8_t* position);

// Locates the options of kinds 3 to 8. The search never leaves the option area that the
// header's headerLength announces.
bool TavParseOptions(const void* header, PacketOptions* options);

// Where the packet reader takes its bytes from. ReadChunk reads `count` bytes: count on
// success, 0 when the data ends first, -1 on failure (reported through TavReportReadFailure).
class TavByteSource {
public:
    virtual ~TavByteSource() = default;
    virtual int32_t ReadChunk(void* destination, size_t count, const char* what) = 0;
};

// Reads `count` bytes; count on success, 0 at a clean end of file, -1 otherwise.
int32_t TavReadChunk(FILE* file, void* destination, size_t count, const char* what);
// Reports that reading `what` failed with the error number `error`.
void TavReportReadFailure(const char* what, int error);
// Reads the 60 header bytes: 60, 0 at the end of the file, or -1.
int32_t TavReadHeader(FILE* file, void* buffer, uint32_t capacity);
// Reads the packet at the stream's position: its length, 0 at a clean end of file, or -1.
// A packet whose lengths are inconsistent or that does not fit `capacity` is refused with -1
// before anything is read past its header.
int32_t TavReadPacket(FILE* file, void* buffer, uint32_t capacity);
// The same two readers over any byte source.
int32_t TavReadHeaderFrom(TavByteSource& source, void* buffer, uint32_t capacity);
int32_t TavReadPacketFrom(TavByteSource& source, void* buffer, uint32_t capacity);

// The module's reports go to standard output; a tool whose standard output is a document
// (JSON) or a test can send them elsewhere. Null restores standard output.
void TavSetReportStream(FILE* stream);
