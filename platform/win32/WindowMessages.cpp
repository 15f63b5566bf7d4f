#include "platform/WindowMessages.h"

#include "platform/win32/WindowInternals.h"

namespace platform {
namespace {

std::function<void()> waitMessageHook;

} // namespace

bool PollMessage(Message* message, WindowHandle filter) {
    HWND filterWindow = nullptr;
    if (filter) {
        filterWindow = NativeWindowHandle(filter);
        if (!filterWindow) {
            return false;
        }
    }
    MSG system;
    while (PeekMessageA(&system, filterWindow, 0, 0, PM_REMOVE)) {
        WindowHandle window = internal::WindowFromNative(system.hwnd);
        if (system.hwnd && !window) {
            // A window the system made for itself (a message box's, an input method's) is served here.
            DispatchMessageA(&system);
            continue;
        }
        *message = {window, system.message, system.wParam, system.lParam};
        return true;
    }
    return false;
}

LResult DeliverMessage(const Message& message) {
    HWND hwnd = NativeWindowHandle(message.window);
    if (!hwnd) {
        return 0;
    }
    MSG system{};
    system.hwnd = hwnd;
    system.message = message.message;
    system.wParam = message.wParam;
    system.lParam = message.lParam;
    return DispatchMessageA(&system);
}

LResult CallWindowProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    HWND hwnd = NativeWindowHandle(window);
    return hwnd ? SendMessageA(hwnd, message, wParam, lParam) : 0;
}

bool QueueMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    if (!window) {
        return PostThreadMessageA(GetCurrentThreadId(), message, wParam, lParam);
    }
    HWND hwnd = NativeWindowHandle(window);
    return hwnd && PostMessageA(hwnd, message, wParam, lParam);
}

void WaitMessage() {
    if (waitMessageHook) {
        waitMessageHook();
        return;
    }
    ::WaitMessage();
}

LResult DefaultWindowProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    HWND hwnd = NativeWindowHandle(window);
    return hwnd ? DefWindowProcA(hwnd, message, wParam, lParam) : 0;
}

void SetWaitMessageHookForTests(std::function<void()> hook) {
    waitMessageHook = std::move(hook);
}

} // namespace platform
