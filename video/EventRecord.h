// The event record that a video packet carries in its option 8, and the head in front of it:
// the layout, an encoder for tools and tests, and the bounds-checked reader of the composer.
//
// Option 8, offsets from its kind byte; words are little-endian:
//
//   0      kind, 8
//   1      length of the whole option, head included: 22 + record length, at most 255
//   2..3   reserved, 0
//   4..5   event number: counts the recorder's events; every packet of one event repeats it
//   6..9   time of this packet's record, seconds since 1970 (before 2038-01-19 to be shown)
//   10..12 reserved, 0
//   13     flags (kEventFlag...); a view shows the record only when all of kEventFlagsShown are set
//   14..19 reserved, 0
//   20     source: 0 for the camera's own events; views take it modulo 32 against their mask
//   21     reserved, 0
//   22..   the event record (at most 233 bytes), below
//
// Event record, offsets from its first byte (option byte 22):
//
//   0      event kind (kEventKind...)
//   1      zone or input number, counted from 1; 0 when the event has none
//   2..5   time the event began, seconds since 1970; 0 when not given
//   6      number of texts that follow
//   7..    the texts, each one length byte and that many bytes of UTF-8 without a terminator
//
// A record shorter than its 7 fixed bytes holds nothing. A text that claims more bytes than
// the record has left is cut at the record's end, and texts that would start past it are absent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint8_t kEventOptionKind = 8;
constexpr int32_t kEventHeadSize = 22;
constexpr int32_t kEventOptionMaxLength = 255;   // the length byte counts no further
constexpr int32_t kEventRecordMaxLength = kEventOptionMaxLength - kEventHeadSize;

// Head offsets, from the option's kind byte.
constexpr int32_t kEventNumberOffset = 4;
constexpr int32_t kEventTimeOffset = 6;
constexpr int32_t kEventFlagsOffset = 13;
constexpr int32_t kEventSourceOffset = 20;

constexpr uint8_t kEventFlagRecord = 0x01;       // the option holds an event record
constexpr uint8_t kEventFlagTimed = 0x02;        // the time at offset 6 is set
constexpr uint8_t kEventFlagComposable = 0x04;   // the record follows the layout above
constexpr uint8_t kEventFlagShow = 0x80;         // meant to be drawn over the picture
constexpr uint8_t kEventFlagsShown = kEventFlagRecord | kEventFlagTimed | kEventFlagComposable | kEventFlagShow;

// Record offsets, from the record's first byte.
constexpr int32_t kEventKindOffset = 0;
constexpr int32_t kEventPlaceOffset = 1;
constexpr int32_t kEventBeganOffset = 2;
constexpr int32_t kEventTextCountOffset = 6;
constexpr int32_t kEventRecordFixedSize = 7;

constexpr uint8_t kEventKindNone = 0;
constexpr uint8_t kEventKindMotion = 1;      // the place is a detection zone
constexpr uint8_t kEventKindAlarm = 2;       // the place is an alarm input
constexpr uint8_t kEventKindVideoLoss = 3;
constexpr uint8_t kEventKindTamper = 4;      // the place is a detection zone
constexpr uint8_t kEventKindNote = 5;        // free text only

// Failures of EncodeEventOption.
constexpr int32_t kEventTextTooLong = -1;     // a text passes 255 bytes
constexpr int32_t kEventOptionTooLong = -2;   // the whole option passes 255 bytes

struct EventSpec {
    uint16_t number = 0;
    uint32_t time = 0;
    uint8_t flags = kEventFlagsShown;
    uint8_t source = 0;
    uint8_t kind = kEventKindNone;
    uint8_t place = 0;
    uint32_t began = 0;
    std::vector<std::string> texts;
};

// Builds the whole option 8 of `spec`, kind and length bytes first, into `option`.
// 0, or a kEvent failure code (the option is then left empty).
int32_t EncodeEventOption(const EventSpec& spec, std::vector<uint8_t>* option);

// Reads a record of `length` bytes and never a byte beyond them, whatever the record claims.
// Null data or a length below the fixed part gives an empty record (kind 0, no texts).
class EventRecordReader {
public:
    EventRecordReader(const uint8_t* data, int32_t length);

    uint8_t Kind() const { return kind; }
    uint8_t Place() const { return place; }
    uint32_t Began() const { return began; }
    // The texts the record holds within its length, a cut last one included.
    int32_t TextCount() const { return textCount; }
    // Text `index`: its first byte and its length, cut at the record's end. False when absent.
    bool Text(int32_t index, const uint8_t** text, int32_t* textLength) const;

private:
    const uint8_t* data = nullptr;
    int32_t length = 0;
    uint8_t kind = kEventKindNone;
    uint8_t place = 0;
    uint32_t began = 0;
    int32_t textCount = 0;
};
