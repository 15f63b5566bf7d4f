// What the Win32 window, message and display-mode code share. The system keeps this layer's windows and
// classes: a window handle is the system's window, and what this layer keeps per window hangs from it
// (GWLP_USERDATA). Not for use outside platform/.
#pragma once

#include "platform/Window.h"
#include "platform/win32/WinApi.h"

namespace platform {

struct WindowRecord {
    WindowProc procedure = nullptr;
    // The class is registered with CS_OWNDC: the window keeps this one device context all its life.
    HDC hdc = nullptr;
    void* userData = nullptr;
    bool swapWaitsForDisplay = false;
};

namespace internal {

// The handle of one of this layer's windows; null for any other window, or none.
WindowHandle WindowFromNative(HWND hwnd);

} // namespace internal

// The system's window behind a live handle, for the system's interfaces that want one (DirectInput's
// cooperative level); null otherwise.
HWND NativeWindowHandle(WindowHandle window);
} // namespace platform
