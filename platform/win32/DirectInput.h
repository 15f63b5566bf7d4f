// The Windows backend of the device-input layer: DirectInput 8's system mouse, keyboard and joysticks.
#pragma once

#include "platform/InputLayer.h"

#include <windows.h>

namespace platform {

InputBackend& DirectInputBackend();

// The Win32 window behind a window handle, for the devices' cooperative level; the Windows window
// backend defines it.
HWND NativeWindowHandle(WindowHandle window);

} // namespace platform
