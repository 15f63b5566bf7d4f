// The window messages the program's window procedure handles, and their queue: on Linux one of our own that
// SDL's events are translated into, so a window procedure stays a switch over messages; on Windows the
// system's own.
#pragma once

#include "platform/Window.h"

#include <cstdint>
#include <functional>

namespace platform {

using WParam = uintptr_t;
using LParam = intptr_t;
using LResult = intptr_t;

constexpr uint32_t WM_CREATE = 0x0001; // sent by CreateAppWindow's window creation; lParam = creation param
constexpr uint32_t WM_SIZE = 0x0005; // wParam a SIZE_ kind, lParam the client size (low: width, high: height)
constexpr uint32_t WM_CLOSE = 0x0010;   // the window's close button, or the process asked to end (SIGTERM)
constexpr uint32_t WM_QUIT = 0x0012;    // never dispatched: it ends a message loop
constexpr uint32_t WM_KEYDOWN = 0x0100; // wParam a virtual-key code; repeats while the key is held
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104; // Alt combinations and F10
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_USER = 0x0400; // first message number free for the program's own use

constexpr WParam SIZE_RESTORED = 0;
constexpr WParam SIZE_MINIMIZED = 1;
constexpr WParam SIZE_MAXIMIZED = 2;

// X11 has no way to ask a window before the screen saver starts, so each new window is asked once, when it
// is made: the saver stays off unless the procedure passes the command on to DefaultWindowProcedure.
constexpr WParam SC_SCREENSAVE = 0xF140;
constexpr WParam SC_MONITORPOWER = 0xF170;

inline LParam MakeLParam(uint32_t low, uint32_t high) {
    return static_cast<LParam>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}
inline uint32_t LowWord(LParam value) {
    return static_cast<uint32_t>(value) & 0xFFFFu;
}
inline uint32_t HighWord(LParam value) {
    return (static_cast<uint32_t>(value) >> 16) & 0xFFFFu;
}

struct Message {
    WindowHandle window; // null for a message to no particular window
    uint32_t message;
    WParam wParam;
    LParam lParam;
};

// Translates the SDL events that have arrived, then takes the oldest queued message for the window
// (any window when filter is null) off the queue. False when there is none.
bool PollMessage(Message* message, WindowHandle filter);
// Hands the message to its window's procedure; 0 when the window no longer exists.
LResult DeliverMessage(const Message& message);
// Calls the window's procedure at once, bypassing the queue.
LResult CallWindowProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
// Queues a message. False when the window does not exist (a null window is allowed).
bool QueueMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
// Blocks until a message is queued or an SDL event arrives.
void WaitMessage();
// What happens to a message the procedure does not handle.
LResult DefaultWindowProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

// Called by WaitMessage instead of blocking; tests move time and post messages from it. Empty = block.
void SetWaitMessageHookForTests(std::function<void()> hook);

} // namespace platform
