// Private messages in the WM_USER range to a window owned by the user-interface thread. The
// handle stays valid after its window is gone: posting and sending to it then simply fail, so a
// thread that outlives a window never reaches freed memory through it.
#pragma once

#include <cstdint>
#include <memory>

constexpr uint32_t WM_USER = 0x0400;

class Event;
struct WindowMailbox;
using WindowHandle = std::shared_ptr<WindowMailbox>;

// Queues the message for the window's thread; false when the window no longer exists.
bool PostWindowMessage(const WindowHandle& window, uint32_t code, uintptr_t wParam, intptr_t lParam);

// Runs the window's handler and gives its result. From the window's own thread the handler is
// called directly; from any other thread the message is queued and the caller waits at most
// `timeoutMs`, and no longer once `abandon` (if given) is set: a worker asked to stop must not
// wait for a thread that may be waiting for it. False when the window is gone, or the handler
// did not finish in time (it may still run later; it never touches the caller's memory then).
bool SendWindowMessageTimeout(const WindowHandle& window, uint32_t code, uintptr_t wParam, intptr_t lParam,
                              uint32_t timeoutMs, intptr_t* result, const Event* abandon = nullptr);
