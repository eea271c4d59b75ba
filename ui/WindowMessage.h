// The receiving end of private window messages: an object living on the user-interface thread
// whose handler runs there for every message posted or sent to its handle.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "ui/WindowHandle.h"

class MessageWindow : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<intptr_t(uint32_t code, uintptr_t wParam, intptr_t lParam)>;

    // Create it on the thread that is to run the handler.
    explicit MessageWindow(Handler handler, QObject* parent = nullptr);
    ~MessageWindow() override;
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    const WindowHandle& Handle() const { return handle; }

    // Called on the window's thread for each message.
    intptr_t Dispatch(uint32_t code, uintptr_t wParam, intptr_t lParam);

protected:
    bool event(QEvent* event) override;

private:
    Handler handler;
    WindowHandle handle;
};
