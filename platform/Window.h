// Top-level windows with an OpenGL context, in the shape the shell's window code expects of a window
// system: classes, windows, a device context per window, GL contexts and buffer swaps. Backed by SDL2 on
// Linux and by Win32 windows with WGL contexts on Windows, where the handles are the system's own and the
// system keeps the classes. A handle is only ever compared, stored and passed back.
#pragma once

#include <cstdint>

namespace platform {

struct WindowObject;
struct DeviceContextObject;
struct GlContextObject;
using WindowHandle = WindowObject*;
using DeviceContext = DeviceContextObject*;
using GlContext = GlContextObject*;
using InstanceHandle = const void*;

using WindowProc = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The program's own module.
InstanceHandle ProgramInstance();

struct WindowClass {
    const char* className;
    WindowProc procedure;
    InstanceHandle instance;
};

// The first class brings up SDL's video and the OpenGL driver, which stay up until the process ends.
// False (reason on standard error) when video cannot start, or when the name is taken.
bool RegisterWindowClass(const WindowClass& windowClass);
// False when the class is unknown or still has windows.
bool UnregisterWindowClass(const char* className, InstanceHandle instance);

enum class WindowStyle {
    Overlapped, // a framed, resizable window
    Popup,      // no frame; full screen in the mode set by SetFullScreenDisplayMode, if any
    // No frame, over the whole display in the mode it already has: nothing to switch or to restore.
    // The size asked for should be DesktopDisplaySize's.
    DesktopFullScreen,
};

// What the window's OpenGL surface must offer. X11 fixes a window's visual when the window is made, so
// the pixel format is part of window creation.
struct PixelFormat {
    int colorBits;
    int depthBits;
    int stencilBits;
    bool doubleBuffer;
};

struct WindowCreation {
    const char* className;
    const char* title;
    WindowStyle style;
    bool topMost;
    int x;
    int y;
    int width; // of the client area: the frame belongs to the window manager
    int height;
    PixelFormat pixelFormat;
    InstanceHandle instance;
    void* createParam; // reaches the procedure as WM_CREATE's lParam
};

// Made hidden; WM_CREATE has been handled when this returns. Null on failure (reason on standard error).
WindowHandle OpenWindow(const WindowCreation& creation);
// Queued messages for the window are dropped with it.
bool DestroyWindow(WindowHandle window);
bool ShowWindow(WindowHandle window);

void SetWindowUserData(WindowHandle window, void* data);
void* GetWindowUserData(WindowHandle window);

// Each window owns one device context for its whole life; releasing it is a formality.
DeviceContext GetDC(WindowHandle window);
bool ReleaseDC(WindowHandle window, DeviceContext deviceContext);

// Makes a context for the window and requests that buffer swaps wait for the display (swap interval 1).
GlContext CreateGlContext(DeviceContext deviceContext);
bool DeleteGlContext(GlContext context);
// Null for both makes no context current.
bool MakeCurrent(DeviceContext deviceContext, GlContext context);
bool SwapBuffers(DeviceContext deviceContext);
// True when the last context made for the window got its swap interval and swaps really wait for a
// display (an offscreen window accepts the interval but has no display to wait for).
bool SwapWaitsForDisplay(DeviceContext deviceContext);

// A display counter as on Windows: the cursor shows while the count is at least 0. Returns the new count.
int ShowCursor(bool show);

} // namespace platform
