// What the Win32 window, message and display-mode code share beyond the window records: finding a
// record by the system's window. Not for use outside platform/.
#pragma once

#include "platform/WindowRecords.h"
#include "platform/win32/WinApi.h"

namespace platform {
namespace internal {

// The record of one of this layer's windows; null for any other window, or none.
WindowHandle WindowFromNative(HWND hwnd);

} // namespace internal

// The system's window behind a live handle, for the system's interfaces that want one (DirectInput's
// cooperative level); null otherwise.
HWND NativeWindowHandle(WindowHandle window);
} // namespace platform
