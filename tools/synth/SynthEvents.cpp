#include "tools/synth/SynthEvents.h"

#include <vector>

#include "video/EventRecord.h"

namespace {

struct ScheduledEvent {
    uint8_t kind;
    uint8_t place;
    const char* firstText;    // null: none
    const char* secondText;   // null: none
};

constexpr ScheduledEvent kSchedule[] = {
    {kEventKindMotion, 1, "Entrance", nullptr},
    {kEventKindAlarm, 2, "Door contact", nullptr},
    {kEventKindVideoLoss, 0, nullptr, nullptr},
    {kEventKindTamper, 3, "Lens covered", nullptr},
    {kEventKindNote, 0, "Shift change", "Operator 7"},
};

}  // namespace

PacketOptionSpec SynthEventOption(int64_t startSeconds, int64_t micros)
{
    const int64_t seconds = micros / 1000000;
    const int64_t number = seconds / kSynthEventSeconds;
    const ScheduledEvent& scheduled = kSchedule[number % (sizeof kSchedule / sizeof kSchedule[0])];
    EventSpec event;
    event.number = static_cast<uint16_t>(number);
    event.time = static_cast<uint32_t>(startSeconds + seconds);
    event.kind = scheduled.kind;
    event.place = scheduled.place;
    event.began = static_cast<uint32_t>(startSeconds + number * kSynthEventSeconds);
    for (const char* text : {scheduled.firstText, scheduled.secondText}) {
        if (text != nullptr) {
            event.texts.emplace_back(text);
        }
    }
    std::vector<uint8_t> option;
    EncodeEventOption(event, &option);   // the schedule's texts are short
    // The writer puts the kind and length bytes itself.
    PacketOptionSpec spec;
    spec.kind = kEventOptionKind;
    spec.data.assign(option.begin() + 2, option.end());
    return spec;
}
