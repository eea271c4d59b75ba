// What the views need of an event-text composer: its layout block, once, and the text of one
// item of an event record. The record is the part of a packet's option 8 that follows its
// 22-byte head; `dataLength` bytes of it may be read and never more, whatever the record claims.
#pragma once

#include <cstdint>

class LogComposer {
public:
    virtual ~LogComposer() = default;

    // The address of the composer's layout block (see ComposerLayout.h), or null when it has
    // none. The block lives as long as the composer.
    virtual const uint8_t* GetLayout() = 0;

    // Writes the text of item `itemBit` (1 << item number) of the event record into `buffer`,
    // zero-terminated and at most `bufferSize` bytes long; an item without text gives "".
    // Returns 1 when a text was written, else 0. Views decoding on different workers call it at the
    // same time: it keeps no state between calls.
    virtual int32_t ComposeText(const uint8_t* eventData, int32_t dataLength, uint32_t itemBit, char* buffer,
                                int32_t bufferSize) = 0;
};
