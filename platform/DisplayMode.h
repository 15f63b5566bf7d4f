// The screen mode for full-screen windows and the display's refresh rate. On Linux backed by SDL2's display
// modes, which need SDL's video, brought up by registering the first window class; on Windows by
// ChangeDisplaySettings, which switches at once and lasts until the desktop's mode is restored.
#pragma once

#include "platform/Window.h"

namespace platform {

// True when the display offers exactly this size at this colour depth (bits per pixel of storage, so the
// common 24-bit colour in 32-bit pixels counts as 32); the next popup window is then made full screen in
// it. SDL switches the mode while that window is shown and switches back when it goes.
bool SetFullScreenDisplayMode(int width, int height, int bitsPerPixel);
// Back to the desktop's mode for later windows.
void RestoreDesktopDisplayMode();
// The primary display's current size in pixels; false when the display does not say.
bool DesktopDisplaySize(int* width, int* height);
// Hertz of the display the window is on; 0 when the display does not say.
int DisplayRefreshRate(WindowHandle window);

} // namespace platform
