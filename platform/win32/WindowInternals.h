// What the Win32 window, message and display-mode code share: the window records behind the handles
// this layer gives out. Not for use outside platform/.
#pragma once

#include "platform/Window.h"
#include "platform/win32/WinApi.h"

#include <string>

namespace platform {

struct DeviceContextObject {
    WindowObject* window;
};

struct WindowObject {
    HWND hwnd = nullptr;
    // The class is registered with CS_OWNDC: the window keeps this one device context all its life.
    HDC hdc = nullptr;
    WindowProc procedure = nullptr;
    std::string className;
    void* userData = nullptr;
    DeviceContextObject deviceContext{this};
    bool swapWaitsForDisplay = false;
};

namespace internal {

// Null when the handle is not a live window (never dereferences it).
WindowObject* LiveWindow(WindowHandle window);
// The record of one of this layer's windows; null for any other window, or none.
WindowHandle WindowFromNative(HWND hwnd);

} // namespace internal

// The system's window behind a live handle, for the system's interfaces that want one (DirectInput's
// cooperative level); null otherwise.
HWND NativeWindowHandle(WindowHandle window);
} // namespace platform
