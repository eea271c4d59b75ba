// The project's own event-text composer: turns the event record of option 8 (layout in
// video/EventRecord.h) into five short texts, all of which its layout asks the views to show:
//
//   item 0  what happened: "MOTION", "ALARM", "VIDEO LOSS", "TAMPER", "NOTE", "EVENT n" for a
//           kind it does not know, "" for kind 0
//   item 1  where: "Zone n" for motion and tamper, "Input n" for an alarm; "" for place 0 and
//           the other kinds
//   item 2  when the event began, "HH:MM:SS" of its UTC breakdown as in the view's caption; ""
//           when not given or not before 2038-01-19
//   item 3  the record's first text
//   item 4  the record's second text
//
// A view draws them one after another, each followed by a space: "MOTION Zone 3 14:07:09 Gate ".
// Texts are copied up to a zero byte, with control characters shown as spaces; a text cut to
// fit the buffer is cut before a UTF-8 sequence, never inside one.
#pragma once

#include <cstdint>

#include "video/LogComposer.h"

constexpr int32_t kBuiltInItemCount = 5;
constexpr uint32_t kBuiltInItemMask = 0x1F;

class BuiltInLogComposer : public LogComposer {
public:
    // The same block for every instance: itemCount kBuiltInItemCount, itemMask kBuiltInItemMask.
    const uint8_t* GetLayout() override;
    // Keeps no state: any number of composers may compose at once.
    int32_t ComposeText(const uint8_t* eventData, int32_t dataLength, uint32_t itemBit, char* buffer,
                        int32_t bufferSize) override;
};
