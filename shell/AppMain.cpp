#include "shell/AppMain.h"

#include "platform/Clock.h"
#include "platform/DisplayMode.h"
#include "platform/MessageBox.h"
#include "shell/DrawFrame.h"
#include "shell/FramePacing.h"
#include "shell/StartUp.h"
#include "shell/UpdateFrame.h"

#include <cstring>

namespace {

constexpr const char* kClassName = "OpenGL";
constexpr const char* kTitle = "Orvik Standview 2003";
constexpr int32_t kBitsPerPixel = 32;

constexpr const char* kErrorCaption = "Error";
constexpr const char* kFullScreenQuestion = "Would You Like To Run In Fullscreen Mode?";
constexpr const char* kFullScreenCaption = "Start FullScreen?";
constexpr const char* kRegisterFailedText = "Error Registering Window Class!";
constexpr const char* kCreateFailedText = "Error Creating OpenGL Window";

constexpr int kRegisterFailedExitCode = -1;

void RunMessageLoop(AppWindow* appWindow, const FrameCallbacks& callbacks) {
    const uint32_t minimumFrameMs =
        MinimumFrameMilliseconds(platform::SwapWaitsForDisplay(appWindow->deviceContext),
                                 platform::DisplayRefreshRate(appWindow->window));
    platform::Message message;
    for (;;) {
        if (platform::PeekMessage(&message, appWindow->window)) {
            if (message.message == platform::WM_QUIT) {
                return;
            }
            platform::DispatchMessage(message);
        } else if (appWindow->visible) {
            WaitForFrameSlot(appWindow->lastTickCount, minimumFrameMs);
            const uint32_t now = platform::GetTickCount();
            // Unsigned, so the difference is right across the tick count's wrap.
            callbacks.updateFrame(now - appWindow->lastTickCount);
            appWindow->lastTickCount = now;
            callbacks.drawFrame();
            platform::SwapBuffers(appWindow->deviceContext);
        } else {
            platform::WaitMessage();
        }
    }
}

} // namespace

FrameCallbacks ShellFrameCallbacks() {
    return {StartUp, UpdateFrame, DrawFrame, ShutDown};
}

int AppMain(platform::InstanceHandle instance, const FrameCallbacks& callbacks) {
    AppClass appClass{instance, kClassName};
    KeyTable keys;
    std::memset(keys.keyDown, 0, sizeof keys.keyDown);
    AppWindow appWindow{};
    appWindow.keys = &keys;
    appWindow.appClass = &appClass;
    appWindow.title = kTitle;
    appWindow.width = static_cast<int32_t>(viewWidth);
    appWindow.height = static_cast<int32_t>(viewHeight);
    appWindow.bitsPerPixel = kBitsPerPixel;
    appWindow.fullScreen = 1;

    if (platform::ShowMessageBox(kFullScreenQuestion, kFullScreenCaption,
                                 platform::MessageBoxStyle::QuestionYesNo) ==
        platform::MessageBoxAnswer::No) {
        appWindow.fullScreen = 0;
    }

    if (!RegisterAppClass(&appClass)) {
        platform::ShowMessageBox(kRegisterFailedText, kErrorCaption, platform::MessageBoxStyle::ErrorOk);
        return kRegisterFailedExitCode;
    }
    keepRunning = 1;
    wantFullScreen = appWindow.fullScreen;

    while (keepRunning == 1) {
        appWindow.fullScreen = wantFullScreen;
        if (!CreateAppWindow(&appWindow)) {
            platform::ShowMessageBox(kCreateFailedText, kErrorCaption, platform::MessageBoxStyle::ErrorOk);
            keepRunning = 0;
            break;
        }
        if (callbacks.startUp(&appWindow, &keys)) {
            mainWindowHandle = appWindow.window;
            mainInstanceHandle = appClass.instance;
            RunMessageLoop(&appWindow, callbacks);
        } else {
            RequestQuit(&appWindow);
        }
        callbacks.shutDown();
        DestroyAppWindow(&appWindow);
    }

    platform::UnregisterClass(kClassName, instance);
    return 0;
}
