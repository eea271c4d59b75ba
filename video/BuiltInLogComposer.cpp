#include "video/BuiltInLogComposer.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "video/ComposerLayout.h"
#include "video/EventRecord.h"

namespace {

constexpr uint32_t kKindItem = 1u << 0;
constexpr uint32_t kPlaceItem = 1u << 1;
constexpr uint32_t kBeganItem = 1u << 2;
constexpr uint32_t kFirstTextItem = 1u << 3;
constexpr uint32_t kSecondTextItem = 1u << 4;
constexpr uint32_t kLastShownTime = 0x7FFFFFFF;   // 2038-01-19 03:14:07, as far as the views go

ComposerLayout MakeLayout()
{
    ComposerLayout layout;
    const int32_t count = kBuiltInItemCount;
    const uint32_t mask = kBuiltInItemMask;
    memcpy(layout.bytes + kComposerItemCountOffset, &count, sizeof count);
    memcpy(layout.bytes + kComposerItemMaskOffset, &mask, sizeof mask);
    return layout;
}

const char* KindName(uint8_t kind)
{
    switch (kind) {
    case kEventKindMotion:
        return "MOTION";
    case kEventKindAlarm:
        return "ALARM";
    case kEventKindVideoLoss:
        return "VIDEO LOSS";
    case kEventKindTamper:
        return "TAMPER";
    case kEventKindNote:
        return "NOTE";
    default:
        return nullptr;
    }
}

const char* PlaceName(uint8_t kind)
{
    switch (kind) {
    case kEventKindMotion:
    case kEventKindTamper:
        return "Zone";
    case kEventKindAlarm:
        return "Input";
    default:
        return nullptr;
    }
}

void CopyText(const uint8_t* text, int32_t length, char* buffer, int32_t bufferSize)
{
    int32_t count = 0;
    while (count < length && text[count] != 0) {
        ++count;
    }
    if (count > bufferSize - 1) {
        count = bufferSize - 1;
        // text[count] is the first byte left out: while it continues a sequence, leave out
        // that sequence's earlier bytes too.
        while (count > 0 && (text[count] & 0xC0) == 0x80) {
            --count;
        }
    }
    for (int32_t i = 0; i < count; ++i) {
        buffer[i] = text[i] < 0x20 || text[i] == 0x7F ? ' ' : static_cast<char>(text[i]);
    }
    buffer[count] = '\0';
}

void ComposeBegan(uint32_t began, char* buffer, size_t size)
{
    if (began == 0 || began > kLastShownTime) {
        return;
    }
    const auto seconds = static_cast<time_t>(began);
    tm fields{};
    if (gmtime_r(&seconds, &fields) != nullptr) {
        snprintf(buffer, size, "%02d:%02d:%02d", fields.tm_hour, fields.tm_min, fields.tm_sec);
    }
}

void ComposeRecordText(const EventRecordReader& record, int32_t index, char* buffer, int32_t bufferSize)
{
    const uint8_t* text = nullptr;
    int32_t length = 0;
    if (record.Text(index, &text, &length)) {
        CopyText(text, length, buffer, bufferSize);
    }
}

}  // namespace

const uint8_t* BuiltInLogComposer::GetLayout()
{
    static const ComposerLayout layout = MakeLayout();
    return layout.bytes;
}

int32_t BuiltInLogComposer::ComposeText(const uint8_t* eventData, int32_t dataLength, uint32_t itemBit, char* buffer,
                                        int32_t bufferSize)
{
    if (buffer == nullptr || bufferSize <= 0) {
        return 0;
    }
    buffer[0] = '\0';
    const auto size = static_cast<size_t>(bufferSize);
    const EventRecordReader record(eventData, dataLength);
    const uint8_t kind = record.Kind();
    switch (itemBit) {
    case kKindItem:
        if (KindName(kind) != nullptr) {
            snprintf(buffer, size, "%s", KindName(kind));
        } else if (kind != kEventKindNone) {
            snprintf(buffer, size, "EVENT %u", unsigned{kind});
        }
        break;
    case kPlaceItem:
        if (PlaceName(kind) != nullptr && record.Place() != 0) {
            snprintf(buffer, size, "%s %u", PlaceName(kind), unsigned{record.Place()});
        }
        break;
    case kBeganItem:
        ComposeBegan(record.Began(), buffer, size);
        break;
    case kFirstTextItem:
        ComposeRecordText(record, 0, buffer, bufferSize);
        break;
    case kSecondTextItem:
        ComposeRecordText(record, 1, buffer, bufferSize);
        break;
    default:
        break;
    }
    return buffer[0] != '\0' ? 1 : 0;
}
