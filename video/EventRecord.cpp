#include "video/EventRecord.h"

#include <algorithm>
#include <utility>

namespace {

void PutLittle16(uint8_t* bytes, uint16_t value)
{
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

void PutLittle32(uint8_t* bytes, uint32_t value)
{
    for (int32_t i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint32_t Little32(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

}  // namespace

int32_t EncodeEventOption(const EventSpec& spec, std::vector<uint8_t>* option)
{
    option->clear();
    size_t length = kEventHeadSize + kEventRecordFixedSize;
    for (const std::string& text : spec.texts) {
        if (text.size() > 255) {
            return kEventTextTooLong;
        }
        length += 1 + text.size();
    }
    if (length > kEventOptionMaxLength || spec.texts.size() > 255) {
        return kEventOptionTooLong;
    }
    std::vector<uint8_t> bytes(kEventHeadSize + kEventRecordFixedSize, 0);
    bytes[0] = kEventOptionKind;
    bytes[1] = static_cast<uint8_t>(length);
    PutLittle16(bytes.data() + kEventNumberOffset, spec.number);
    PutLittle32(bytes.data() + kEventTimeOffset, spec.time);
    bytes[kEventFlagsOffset] = spec.flags;
    bytes[kEventSourceOffset] = spec.source;
    uint8_t* record = bytes.data() + kEventHeadSize;
    record[kEventKindOffset] = spec.kind;
    record[kEventPlaceOffset] = spec.place;
    PutLittle32(record + kEventBeganOffset, spec.began);
    record[kEventTextCountOffset] = static_cast<uint8_t>(spec.texts.size());
    for (const std::string& text : spec.texts) {
        bytes.push_back(static_cast<uint8_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
    }
    *option = std::move(bytes);
    return 0;
}

EventRecordReader::EventRecordReader(const uint8_t* data, int32_t length)
{
    if (data == nullptr || length < kEventRecordFixedSize) {
        return;
    }
    this->data = data;
    this->length = length;
    kind = data[kEventKindOffset];
    place = data[kEventPlaceOffset];
    began = Little32(data + kEventBeganOffset);
    // A text counts when its length byte lies inside the record.
    const int32_t claimed = data[kEventTextCountOffset];
    int32_t position = kEventRecordFixedSize;
    while (textCount < claimed && position < length) {
        ++textCount;
        position += 1 + data[position];
    }
}

bool EventRecordReader::Text(int32_t index, const uint8_t** text, int32_t* textLength) const
{
    if (index < 0 || index >= textCount) {
        return false;
    }
    int32_t position = kEventRecordFixedSize;
    for (int32_t i = 0; i < index; ++i) {
        position += 1 + data[position];
    }
    *text = data + position + 1;
    *textLength = std::min<int32_t>(data[position], length - position - 1);
    return true;
}
