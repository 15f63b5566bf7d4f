#include "platform/DisplayMode.h"

#include "platform/win32/WindowInternals.h"

namespace platform {
namespace {

// Windows reports 0 or 1 for "the hardware's default rate", which says nothing.
constexpr DWORD kLowestRealRefreshRate = 2;

bool modeChanged = false;

} // namespace

bool SetFullScreenDisplayMode(int width, int height, int bitsPerPixel) {
    if (width <= 0 || height <= 0 || bitsPerPixel <= 0) {
        return false;
    }
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    // CDS_FULLSCREEN: the mode lasts while this program runs and goes with it.
    if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
        return false;
    }
    modeChanged = true;
    return true;
}

void RestoreDesktopDisplayMode() {
    if (modeChanged) {
        ChangeDisplaySettingsA(nullptr, 0);
        modeChanged = false;
    }
}

bool DesktopDisplaySize(int* width, int* height) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (screenWidth <= 0 || screenHeight <= 0) {
        return false;
    }
    *width = screenWidth;
    *height = screenHeight;
    return true;
}

int DisplayRefreshRate(WindowHandle window) {
    HWND hwnd = NativeWindowHandle(window);
    if (!hwnd) {
        return 0;
    }
    MONITORINFOEXA monitor{};
    monitor.cbSize = sizeof monitor;
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (!GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor) ||
        !EnumDisplaySettingsA(monitor.szDevice, ENUM_CURRENT_SETTINGS, &mode) ||
        mode.dmDisplayFrequency < kLowestRealRefreshRate) {
        return 0;
    }
    return static_cast<int>(mode.dmDisplayFrequency);
}

} // namespace platform
