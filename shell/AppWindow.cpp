#include "shell/AppWindow.h"

#include "platform/Clock.h"
#include "platform/DisplayMode.h"
#include "platform/MessageBox.h"
#include "platform/OpenGl.h"

#include <cstring>

namespace {

constexpr int kDepthBits = 16;
constexpr double kFieldOfViewDegrees = 45.0;
constexpr double kNearPlane = 0.25;
constexpr double kFarPlane = 50.0;

constexpr const char* kRegisterClassFailedText = "RegisterClassEx Failed!";
constexpr const char* kModeSwitchFailedText = "Mode Switch Failed.\nRunning In Windowed Mode.";

void ClearKeys(KeyTable* keys) {
    std::memset(keys->keyDown, 0, sizeof keys->keyDown);
}

AppWindow* AppWindowOf(platform::WindowHandle window) {
    return static_cast<AppWindow*>(platform::GetWindowUserData(window));
}

// Gives up the window and, when it has them, its device context and GL context, which must not be current.
void ReleaseWindow(AppWindow* appWindow) {
    if (appWindow->deviceContext) {
        if (appWindow->glContext) {
            platform::DeleteGlContext(appWindow->glContext);
            appWindow->glContext = nullptr;
        }
        platform::ReleaseDC(appWindow->window, appWindow->deviceContext);
        appWindow->deviceContext = nullptr;
    }
    platform::DestroyWindow(appWindow->window);
    appWindow->window = nullptr;
}

bool FitsComposition(const AppWindow* appWindow) {
    return appWindow->fullScreen && appWindow->nativeScreen;
}

// The window's whole client area, or the composition fitted into it.
void ReshapeClientArea(AppWindow* appWindow, int32_t width, int32_t height) {
    if (FitsComposition(appWindow)) {
        ReshapeFittedView(appWindow->view, width, height);
    } else {
        ReshapeView(appWindow->view, width, height);
    }
}

void ReshapeArea(View& view, int32_t x, int32_t y, int32_t width, int32_t height, float outlinePixels) {
    view.width = static_cast<float>(width);
    view.height = static_cast<float>(height);
    view.x = x;
    view.y = y;
    view.outlineScale = outlinePixels;
    glViewport(x, y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window dragged to no height still needs a finite projection.
    const int32_t aspectHeight = height == 0 ? 1 : height;
    const float aspect = static_cast<float>(width) / static_cast<float>(aspectHeight);
    gluPerspective(kFieldOfViewDegrees, aspect, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

} // namespace

bool RegisterAppClass(AppClass* appClass) {
    const platform::WindowClass windowClass{appClass->className, AppWindowProc, appClass->instance};
    if (!platform::RegisterWindowClass(windowClass)) {
        platform::ShowMessageBox(kRegisterClassFailedText, kErrorCaption, platform::MessageBoxStyle::ErrorOk);
        return false;
    }
    return true;
}

bool ChangeDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel) {
    return platform::SetFullScreenDisplayMode(width, height, bitsPerPixel);
}

bool CreateAppWindow(AppWindow* appWindow) {
    const platform::PixelFormat pixelFormat{appWindow->bitsPerPixel, kDepthBits, 0, true};

    platform::WindowStyle style = platform::WindowStyle::Overlapped;
    bool topMost = false;
    // The requested size stays for the next window; a native full screen takes the display's.
    int32_t width = appWindow->width;
    int32_t height = appWindow->height;
    if (FitsComposition(appWindow)) {
        int displayWidth = 0;
        int displayHeight = 0;
        if (platform::DesktopDisplaySize(&displayWidth, &displayHeight)) {
            platform::ShowCursor(false);
            style = platform::WindowStyle::DesktopFullScreen;
            topMost = true;
            width = displayWidth;
            height = displayHeight;
        } else {
            platform::ShowMessageBox(kModeSwitchFailedText, kErrorCaption,
                                     platform::MessageBoxStyle::ErrorOk);
            appWindow->fullScreen = false;
        }
    } else if (appWindow->fullScreen) {
        if (ChangeDisplayMode(appWindow->width, appWindow->height, appWindow->bitsPerPixel)) {
            platform::ShowCursor(false);
            style = platform::WindowStyle::Popup;
            topMost = true;
        } else {
            platform::ShowMessageBox(kModeSwitchFailedText, kErrorCaption,
                                     platform::MessageBoxStyle::ErrorOk);
            appWindow->fullScreen = false;
        }
    }

    const platform::WindowCreation creation{
        appWindow->appClass->className, appWindow->title, style, topMost, 0, 0, width, height, pixelFormat,
        appWindow->appClass->instance,  appWindow};
    appWindow->window = platform::OpenWindow(creation);
    if (!appWindow->window) {
        return false;
    }

    appWindow->deviceContext = platform::GetDC(appWindow->window);
    if (!appWindow->deviceContext) {
        ReleaseWindow(appWindow);
        return false;
    }

    appWindow->glContext = platform::CreateGlContext(appWindow->deviceContext);
    if (!appWindow->glContext || !platform::MakeCurrent(appWindow->deviceContext, appWindow->glContext)) {
        ReleaseWindow(appWindow);
        return false;
    }

    platform::ShowWindow(appWindow->window);
    appWindow->visible = true;
    ReshapeClientArea(appWindow, width, height);
    ClearKeys(appWindow->keys);
    appWindow->lastTickCount = platform::GetTickCount();
    return true;
}

bool DestroyAppWindow(AppWindow* appWindow) {
    if (appWindow->window) {
        if (appWindow->deviceContext) {
            platform::MakeCurrent(nullptr, nullptr);
        }
        ReleaseWindow(appWindow);
    }
    if (appWindow->fullScreen) {
        platform::RestoreDesktopDisplayMode();
        platform::ShowCursor(true);
    }
    return true;
}

void ReshapeView(View& view, int32_t width, int32_t height) {
    ReshapeArea(view, 0, 0, width, height, 1.0f);
}

void ReshapeFittedView(View& view, int32_t width, int32_t height) {
    int32_t areaWidth = width;
    int32_t areaHeight = height;
    if (static_cast<int64_t>(width) * kComposedHeight > static_cast<int64_t>(height) * kComposedWidth) {
        areaWidth = static_cast<int32_t>(static_cast<int64_t>(height) * kComposedWidth / kComposedHeight);
    } else {
        areaHeight = static_cast<int32_t>(static_cast<int64_t>(width) * kComposedHeight / kComposedWidth);
    }
    ReshapeArea(view, (width - areaWidth) / 2, (height - areaHeight) / 2, areaWidth, areaHeight,
                static_cast<float>(areaHeight) / static_cast<float>(kComposedHeight));
}

bool RequestQuit(AppWindow* appWindow) {
    const bool posted = platform::QueueMessage(appWindow->window, platform::WM_QUIT, 0, 0);
    appWindow->keepRunning = false;
    return posted;
}

bool RequestToggleFullScreen(AppWindow* appWindow) {
    return platform::QueueMessage(appWindow->window, kToggleFullScreenMessage, 0, 0);
}

platform::LResult AppWindowProc(platform::WindowHandle window, uint32_t message, platform::WParam wParam,
                                platform::LParam lParam) {
    if (message == platform::WM_CREATE) {
        platform::SetWindowUserData(window, reinterpret_cast<void*>(lParam));
        return 0;
    }
    AppWindow* appWindow = AppWindowOf(window);
    if (!appWindow) {
        return platform::DefaultWindowProcedure(window, message, wParam, lParam);
    }
    switch (message) {
    case platform::WM_SYSCOMMAND:
        if (wParam == platform::SC_SCREENSAVE || wParam == platform::SC_MONITORPOWER) {
            return 0;
        }
        break;
    case platform::WM_CLOSE:
        RequestQuit(appWindow);
        return 0;
    case platform::WM_SIZE:
        if (wParam == platform::SIZE_MINIMIZED) {
            appWindow->visible = false;
            return 0;
        }
        if (wParam == platform::SIZE_RESTORED || wParam == platform::SIZE_MAXIMIZED) {
            appWindow->visible = true;
            ReshapeClientArea(appWindow, static_cast<int32_t>(platform::LowWord(lParam)),
                              static_cast<int32_t>(platform::HighWord(lParam)));
            return 0;
        }
        break;
    case platform::WM_KEYDOWN:
    case platform::WM_KEYUP:
        if (wParam < kKeyCount) {
            (*appWindow->keys)[wParam] = message == platform::WM_KEYDOWN;
            return 0;
        }
        break;
    case kToggleFullScreenMessage:
        appWindow->wantFullScreen = !appWindow->wantFullScreen;
        platform::QueueMessage(window, platform::WM_QUIT, 0, 0);
        break;
    default:
        break;
    }
    return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}
