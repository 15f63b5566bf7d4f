#include "platform/DisplayMode.h"

#include "platform/linux/WindowInternals.h"

namespace platform {
namespace {

constexpr int kPrimaryDisplay = 0;
constexpr int kBitsPerByte = 8;

bool haveFullScreenMode = false;
SDL_DisplayMode fullScreenMode{};

} // namespace

namespace internal {

bool PendingFullScreenMode(SDL_DisplayMode* mode) {
    if (haveFullScreenMode) {
        *mode = fullScreenMode;
    }
    return haveFullScreenMode;
}

} // namespace internal

bool SetFullScreenDisplayMode(int width, int height, int bitsPerPixel) {
    // Displays without real modes list a 0 by 0 mode of unknown format; that is no mode to switch to.
    if (!SDL_WasInit(SDL_INIT_VIDEO) || width <= 0 || height <= 0 || bitsPerPixel <= 0) {
        return false;
    }
    const int count = SDL_GetNumDisplayModes(kPrimaryDisplay);
    for (int index = 0; index < count; ++index) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(kPrimaryDisplay, index, &mode) != 0) {
            continue;
        }
        if (mode.w == width && mode.h == height &&
            static_cast<int>(SDL_BYTESPERPIXEL(mode.format)) * kBitsPerByte == bitsPerPixel) {
            fullScreenMode = mode;
            haveFullScreenMode = true;
            return true;
        }
    }
    return false;
}

void RestoreDesktopDisplayMode() {
    haveFullScreenMode = false;
}

bool DesktopDisplaySize(int* width, int* height) {
    SDL_DisplayMode mode;
    if (!SDL_WasInit(SDL_INIT_VIDEO) || SDL_GetDesktopDisplayMode(kPrimaryDisplay, &mode) != 0 ||
        mode.w <= 0 || mode.h <= 0) {
        return false;
    }
    *width = mode.w;
    *height = mode.h;
    return true;
}

int DisplayRefreshRate(WindowHandle window) {
    WindowObject* record = internal::LiveWindow(window);
    if (!record) {
        return 0;
    }
    SDL_DisplayMode mode;
    if (SDL_GetWindowDisplayMode(record->sdlWindow, &mode) == 0 && mode.refresh_rate > 0) {
        return mode.refresh_rate;
    }
    const int display = SDL_GetWindowDisplayIndex(record->sdlWindow);
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0) {
        return mode.refresh_rate;
    }
    return 0;
}

} // namespace platform
