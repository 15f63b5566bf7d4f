// What the window, message and display-mode code of this layer share: the window records and the full-screen
// mode waiting for the next popup window. Not for use outside platform/.
#pragma once

#include "platform/Window.h"

#include <SDL.h>
#include <string>
#include <vector>

namespace platform {

struct DeviceContextObject {
    WindowObject* window;
};

struct WindowObject {
    SDL_Window* sdlWindow = nullptr;
    WindowProc procedure = nullptr;
    std::string className;
    void* userData = nullptr;
    DeviceContextObject deviceContext{this};
    bool swapWaitsForDisplay = false;
};

namespace internal {

// Starts the video system once for the process; its display connection stays open until the end.
// False when no display can be opened.
bool StartVideoSystem();

// Null when the handle is not a live window (never dereferences it).
WindowObject* LiveWindow(WindowHandle window);
WindowHandle WindowFromSdlId(uint32_t sdlWindowId);
// The window made last, which stands in for keyboard focus when SDL names none.
WindowHandle NewestWindow();
std::vector<WindowHandle> LiveWindows();

void DropQueuedMessages(WindowHandle window);

// False when no full-screen mode has been set.
bool PendingFullScreenMode(SDL_DisplayMode* mode);

} // namespace internal
} // namespace platform
