// The current view: the main window's client size, which also scales every screen-space overlay, and
// the window and instance the input devices attach to. The shell sets them as windows come and go.
#pragma once

#include "platform/Window.h"

#include <cstdint>

// The size the show is composed for: its pictures, the scroll's reveal and the outlines' width.
constexpr int32_t kComposedWidth = 800;
constexpr int32_t kComposedHeight = 600;

extern float viewWidth;
extern float viewHeight;
// Bottom-left corner of the view in the window's pixels: not 0 when a full screen of another shape shows
// the 4:3 view centred in it.
extern int32_t viewX;
extern int32_t viewY;
extern platform::WindowHandle mainWindowHandle;
extern platform::InstanceHandle mainInstanceHandle;

void SetViewSize(int32_t width, int32_t height);
void SetViewOrigin(int32_t x, int32_t y);
void SetMainWindow(platform::WindowHandle window, platform::InstanceHandle instance);
// Puts the view back to its values at program start.
void ResetViewForTests();
