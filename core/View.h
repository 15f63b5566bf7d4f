// The current view: the main window's client size, which also scales every screen-space overlay, and
// the window and instance the input devices attach to. The shell sets them as windows come and go.
#pragma once

#include "platform/Window.h"

#include <cstdint>

extern float viewWidth;
extern float viewHeight;
extern platform::WindowHandle mainWindowHandle;
extern platform::InstanceHandle mainInstanceHandle;

void SetViewSize(int32_t width, int32_t height);
void SetMainWindow(platform::WindowHandle window, platform::InstanceHandle instance);
// Puts the view back to its values at program start.
void ResetViewForTests();
