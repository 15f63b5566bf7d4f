#include "shell/AppWindow.h"

#include "platform/Clock.h"
#include "platform/DisplayMode.h"
#include "platform/MessageBox.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstring>

namespace {

constexpr int kDepthBits = 16;
constexpr double kFieldOfViewDegrees = 45.0;
constexpr double kNearPlane = 0.25;
constexpr double kFarPlane = 50.0;

constexpr const char* kErrorCaption = "Error";
constexpr const char* kRegisterClassFailedText = "RegisterClassEx Failed!";
constexpr const char* kModeSwitchFailedText = "Mode Switch Failed.\nRunning In Windowed Mode.";

void ClearKeys(KeyTable* keys) {
    std::memset(keys->keyDown, 0, sizeof keys->keyDown);
}

AppWindow* AppWindowOf(platform::WindowHandle window) {
    return static_cast<AppWindow*>(platform::GetWindowUserData(window));
}

} // namespace

int32_t keepRunning = 0;
int32_t wantFullScreen = 0;

void ResetAppWindowGlobalsForTests() {
    keepRunning = 0;
    wantFullScreen = 0;
    ResetViewForTests();
}

bool RegisterAppClass(AppClass* appClass) {
    const platform::WindowClass windowClass{appClass->className, AppWindowProc, appClass->instance};
    if (!platform::RegisterClass(windowClass)) {
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
    if (appWindow->fullScreen) {
        if (ChangeDisplayMode(appWindow->width, appWindow->height, appWindow->bitsPerPixel)) {
            platform::ShowCursor(false);
            style = platform::WindowStyle::Popup;
            topMost = true;
        } else {
            platform::ShowMessageBox(kModeSwitchFailedText, kErrorCaption,
                                     platform::MessageBoxStyle::ErrorOk);
            appWindow->fullScreen = 0;
        }
    }

    const platform::WindowCreation creation{appWindow->appClass->className,
                                            appWindow->title,
                                            style,
                                            topMost,
                                            0,
                                            0,
                                            appWindow->width,
                                            appWindow->height,
                                            pixelFormat,
                                            appWindow->appClass->instance,
                                            appWindow};
    appWindow->window = platform::CreateWindow(creation);
    if (!appWindow->window) {
        return false;
    }

    appWindow->deviceContext = platform::GetDC(appWindow->window);
    if (!appWindow->deviceContext) {
        platform::DestroyWindow(appWindow->window);
        appWindow->window = nullptr;
        return false;
    }

    appWindow->glContext = platform::CreateGlContext(appWindow->deviceContext);
    if (!appWindow->glContext || !platform::MakeCurrent(appWindow->deviceContext, appWindow->glContext)) {
        if (appWindow->glContext) {
            platform::DeleteGlContext(appWindow->glContext);
            appWindow->glContext = nullptr;
        }
        platform::ReleaseDC(appWindow->window, appWindow->deviceContext);
        appWindow->deviceContext = nullptr;
        platform::DestroyWindow(appWindow->window);
        appWindow->window = nullptr;
        return false;
    }

    platform::ShowWindow(appWindow->window);
    appWindow->visible = 1;
    ReshapeView(appWindow->width, appWindow->height);
    ClearKeys(appWindow->keys);
    appWindow->lastTickCount = platform::GetTickCount();
    return true;
}

bool DestroyAppWindow(AppWindow* appWindow) {
    if (appWindow->window) {
        if (appWindow->deviceContext) {
            platform::MakeCurrent(nullptr, nullptr);
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
    if (appWindow->fullScreen) {
        platform::RestoreDesktopDisplayMode();
        platform::ShowCursor(true);
    }
    return true;
}

void ReshapeView(int32_t width, int32_t height) {
    SetViewSize(width, height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window dragged to no height still needs a finite projection.
    const int32_t aspectHeight = height == 0 ? 1 : height;
    const float aspect = static_cast<float>(width) / static_cast<float>(aspectHeight);
    gluPerspective(kFieldOfViewDegrees, aspect, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool RequestQuit(AppWindow* appWindow) {
    const bool posted = platform::PostMessage(appWindow->window, platform::WM_QUIT, 0, 0);
    keepRunning = 0;
    return posted;
}

bool RequestToggleFullScreen(AppWindow* appWindow) {
    return platform::PostMessage(appWindow->window, kToggleFullScreenMessage, 0, 0);
}

platform::LResult AppWindowProc(platform::WindowHandle window, uint32_t message, platform::WParam wParam,
                                platform::LParam lParam) {
    if (message == platform::WM_CREATE) {
        platform::SetWindowUserData(window, reinterpret_cast<void*>(lParam));
        return 0;
    }
    AppWindow* appWindow = AppWindowOf(window);
    if (!appWindow) {
        return platform::DefWindowProc(window, message, wParam, lParam);
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
            appWindow->visible = 0;
            return 0;
        }
        if (wParam == platform::SIZE_RESTORED || wParam == platform::SIZE_MAXIMIZED) {
            appWindow->visible = 1;
            ReshapeView(static_cast<int32_t>(platform::LowWord(lParam)),
                        static_cast<int32_t>(platform::HighWord(lParam)));
            return 0;
        }
        break;
    case platform::WM_KEYDOWN:
    case platform::WM_KEYUP:
        if (wParam < kKeyCount) {
            (*appWindow->keys)[wParam] = message == platform::WM_KEYDOWN ? 1 : 0;
            return 0;
        }
        break;
    case kToggleFullScreenMessage:
        wantFullScreen = wantFullScreen == 1 ? 0 : 1;
        platform::PostMessage(window, platform::WM_QUIT, 0, 0);
        break;
    default:
        break;
    }
    return platform::DefWindowProc(window, message, wParam, lParam);
}
