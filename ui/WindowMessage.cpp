#include "ui/WindowMessage.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/Event.h"

struct WindowMailbox {
    std::mutex mutex;
    MessageWindow* window = nullptr;   // cleared before the window is destroyed
};

namespace {

// How soon a waiting sender notices its abandon event.
constexpr std::chrono::milliseconds kAbandonPoll{5};

QEvent::Type WindowMessageEventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Shared by a waiting sender and its queued message, so either may be gone first.
struct SendCompletion {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool handled = false;
    intptr_t result = 0;

    void Finish(bool ran, intptr_t value)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (done) {
            return;
        }
        done = true;
        handled = ran;
        result = value;
        finished.notify_all();
    }
};

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(uint32_t code, uintptr_t wParam, intptr_t lParam, std::shared_ptr<SendCompletion> completion)
        : QEvent(WindowMessageEventType()), code(code), wParam(wParam), lParam(lParam), completion(std::move(completion))
    {
    }
    // A message discarded with its window wakes its sender at once.
    ~WindowMessageEvent() override
    {
        if (completion) {
            completion->Finish(false, 0);
        }
    }

    const uint32_t code;
    const uintptr_t wParam;
    const intptr_t lParam;
    std::shared_ptr<SendCompletion> completion;
};

MessageWindow* LiveWindow(const WindowHandle& handle)
{
    if (!handle) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(handle->mutex);
    return handle->window;
}

// Posts under the mailbox lock, so the window cannot be destroyed in between.
bool Enqueue(const WindowHandle& handle, uint32_t code, uintptr_t wParam, intptr_t lParam,
             std::shared_ptr<SendCompletion> completion)
{
    if (!handle) {
        return false;
    }
    std::lock_guard<std::mutex> lock(handle->mutex);
    if (handle->window == nullptr) {
        return false;
    }
    QCoreApplication::postEvent(handle->window, new WindowMessageEvent(code, wParam, lParam, std::move(completion)));
    return true;
}

}  // namespace

MessageWindow::MessageWindow(Handler handler, QObject* parent)
    : QObject(parent), handler(std::move(handler)), handle(std::make_shared<WindowMailbox>())
{
    handle->window = this;
}

MessageWindow::~MessageWindow()
{
    std::lock_guard<std::mutex> lock(handle->mutex);
    handle->window = nullptr;
}

intptr_t MessageWindow::Dispatch(uint32_t code, uintptr_t wParam, intptr_t lParam)
{
    return handler ? handler(code, wParam, lParam) : 0;
}

bool MessageWindow::event(QEvent* event)
{
    // Messages are queued under the mailbox lock; taking it here makes everything the poster
    // wrote before queuing visible to this thread, whatever the event queue's own locking is.
    {
        std::lock_guard<std::mutex> lock(handle->mutex);
    }
    if (event->type() != WindowMessageEventType()) {
        return QObject::event(event);
    }
    auto* message = static_cast<WindowMessageEvent*>(event);
    const intptr_t result = Dispatch(message->code, message->wParam, message->lParam);
    if (message->completion) {
        message->completion->Finish(true, result);
    }
    return true;
}

bool PostWindowMessage(const WindowHandle& window, uint32_t code, uintptr_t wParam, intptr_t lParam)
{
    return Enqueue(window, code, wParam, lParam, nullptr);
}

bool SendWindowMessageTimeout(const WindowHandle& window, uint32_t code, uintptr_t wParam, intptr_t lParam,
                              uint32_t timeoutMs, intptr_t* result, const Event* abandon)
{
    MessageWindow* target = LiveWindow(window);
    if (target == nullptr) {
        return false;
    }
    // A window is destroyed only on its own thread, so here it stays alive for the call.
    if (QThread::currentThread() == target->thread()) {
        const intptr_t value = target->Dispatch(code, wParam, lParam);
        if (result != nullptr) {
            *result = value;
        }
        return true;
    }
    auto completion = std::make_shared<SendCompletion>();
    if (!Enqueue(window, code, wParam, lParam, completion)) {
        return false;
    }
    std::unique_lock<std::mutex> lock(completion->mutex);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    if (abandon == nullptr) {
        completion->finished.wait_until(lock, deadline, [&] { return completion->done; });
    } else {
        // The event has no way to wake this wait: it is looked at every few milliseconds.
        while (!completion->done && !abandon->IsSet() && std::chrono::steady_clock::now() < deadline) {
            completion->finished.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() + kAbandonPoll),
                                            [&] { return completion->done; });
        }
    }
    if (!completion->handled) {
        return false;
    }
    if (result != nullptr) {
        *result = completion->result;
    }
    return true;
}
