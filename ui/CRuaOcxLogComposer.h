// Hosts the event-text composer as a hidden child window of the grid and offers its two calls:
// the layout block (asked once, on the user-interface thread) and the text of one item (asked
// by the views on the playback thread). The composer is the project's built-in one.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>

#include "video/LogComposer.h"

constexpr int32_t kComposerControlId = 100;

class CRuaOcxLogComposer : public QWidget, public LogComposer {
    Q_OBJECT

public:
    CRuaOcxLogComposer();
    ~CRuaOcxLogComposer() override;

    // Creates the hidden window under `parent` and the composer behind it; false on failure.
    bool Create(QWidget* parent);
    bool Created() const { return composer != nullptr; }

    // Dispatch id 1: the address of the layout block, or null.
    const uint8_t* GetLayout() override;
    // Dispatch id 6: the text of one item of an event record.
    int32_t ComposeText(const uint8_t* eventData, int32_t dataLength, uint32_t itemBit, char* buffer,
                        int32_t bufferSize) override;

private:
    std::unique_ptr<LogComposer> composer;
};
