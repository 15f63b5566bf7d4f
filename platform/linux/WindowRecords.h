// The records behind the class and window handles that this backend gives out: which handles are live,
// which classes are registered, and what is kept per window. Not for use outside platform/.
#pragma once

#include "platform/Window.h"

#include <SDL.h>
#include <memory>
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

struct ClassRecord {
    std::string name;
    WindowProc procedure;
    InstanceHandle instance;
};

// Null for a name no class was registered under.
const ClassRecord* FindClass(const char* name);
// Says on standard error why a class cannot be registered (no name or procedure, or the name taken).
bool ClassCanBeRegistered(const WindowClass& windowClass);
void AddClass(const WindowClass& windowClass);
// False when no such class is registered or a live window still uses it.
bool RemoveClass(const char* className, InstanceHandle instance);

// A new window record for a registered class, live from now on.
WindowObject* AddWindow(const ClassRecord& windowClass);
// Takes the record out of the live ones and hands it over; null when the handle is not live.
std::unique_ptr<WindowObject> TakeWindow(WindowHandle window);
// Null when the handle is not a live window (never dereferences it).
WindowObject* LiveWindow(WindowHandle window);
// Oldest first.
const std::vector<std::unique_ptr<WindowObject>>& LiveWindowRecords();

} // namespace internal
} // namespace platform
