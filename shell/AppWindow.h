// The program's one window, its OpenGL context, the screen mode, the key table and the window procedure
// that keeps them up to date.
#pragma once

#include "core/View.h"
#include "platform/Window.h"
#include "platform/WindowMessages.h"

#include <cstddef>
#include <cstdint>

// Number of virtual-key codes the key table follows.
constexpr size_t kKeyCount = 256;

// Whether the key with that virtual-key code is held down.
struct KeyTable {
    bool keyDown[kKeyCount];

    bool& operator[](size_t virtualKey) { return keyDown[virtualKey]; }
    const bool& operator[](size_t virtualKey) const { return keyDown[virtualKey]; }
};

class ButtonPanel;

struct AppClass {
    platform::InstanceHandle instance;
    const char* className;
};

struct AppWindow {
    KeyTable* keys;
    ButtonPanel* buttons;          // outlives each window, so that a hold is timed across a mode toggle
    platform::WindowHandle window; // null while no window exists
    platform::DeviceContext deviceContext;
    platform::GlContext glContext;
    AppClass* appClass;
    const char* title;
    int32_t width; // requested client size in pixels
    int32_t height;
    int32_t bitsPerPixel;
    bool fullScreen; // while the window is (to be) full screen
    // Whether full screen keeps the display's own mode and shows the composition as large as it fits,
    // centred, rather than switching the display to the requested size.
    bool nativeScreen;
    bool visible; // while restored or maximised: frames are drawn only then
    uint32_t lastTickCount;
    // The area of the client area drawn in, reshaped with it.
    View view;
    // The outer loop builds a new window while this is set.
    bool keepRunning;
    // Mode of the next window; flipped by the toggle message.
    bool wantFullScreen;
};

// The caption of every error box the shell shows.
constexpr const char* kErrorCaption = "Error";

// Asks the window procedure to switch between full screen and a window.
constexpr uint32_t kToggleFullScreenMessage = platform::WM_USER + 1;

bool RegisterAppClass(AppClass* appClass);
bool CreateAppWindow(AppWindow* appWindow);
// Always true.
bool DestroyAppWindow(AppWindow* appWindow);
bool ChangeDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel);
// The view, viewport, projection and modelview for a client area of this size.
void ReshapeView(View& view, int32_t width, int32_t height);
// The same for the largest area of the composition's shape centred in a client area of this size, with
// the outlines widened as the composition is.
void ReshapeFittedView(View& view, int32_t width, int32_t height);
// Both return whether the message could be posted.
bool RequestQuit(AppWindow* appWindow);
bool RequestToggleFullScreen(AppWindow* appWindow);
platform::LResult AppWindowProc(platform::WindowHandle window, uint32_t message, platform::WParam wParam,
                                platform::LParam lParam);
