#include "shell/ShowSession.h"

#include "core/View.h"
#include "input/ButtonPanel.h"
#include "platform/MessageBox.h"

namespace {

constexpr const char* kTitle = "Orvik Standview 2003";
constexpr int32_t kBitsPerPixel = 32;

constexpr const char* kCreateFailedText = "Error Creating OpenGL Window";
constexpr const char* kNoWindowLog = "standview: no window could be made; the show cannot run";
constexpr const char* kStartUpLog = "standview: start-up failed; the show cannot run";

// What lives across the windows of one show.
struct ShowSession {
    KeyTable keys{};
    ButtonPanel buttons;
    AppWindow appWindow{};
    ShowSessionEnd end;
};

// The first window's request; each later one differs from it only in the mode.
void DescribeWindow(ShowSession* session, AppClass* appClass, bool nativeScreen) {
    AppWindow& appWindow = session->appWindow;
    appWindow.keys = &session->keys;
    appWindow.buttons = &session->buttons;
    appWindow.appClass = appClass;
    appWindow.title = kTitle;
    appWindow.width = kComposedWidth;
    appWindow.height = kComposedHeight;
    appWindow.bitsPerPixel = kBitsPerPixel;
    appWindow.nativeScreen = nativeScreen;
}

// One window from its making to its destruction; false when it could not be made.
bool RunWindow(ShowSession* session, const FrameCallbacks& callbacks) {
    AppWindow& appWindow = session->appWindow;
    appWindow.fullScreen = appWindow.wantFullScreen;
    if (!CreateAppWindow(&appWindow)) {
        platform::ShowMessageBox(kCreateFailedText, kErrorCaption, platform::MessageBoxStyle::ErrorOk);
        session->end.failure = kNoWindowLog;
        return false;
    }
    if (callbacks.startUp(&appWindow, &session->keys, &session->end.whyNot)) {
        RunFrameLoop(&appWindow, callbacks);
    } else {
        session->end.failure = kStartUpLog;
        RequestQuit(&appWindow);
    }
    callbacks.shutDown();
    DestroyAppWindow(&appWindow);
    return true;
}

} // namespace

ShowSessionEnd RunShowSession(AppClass* appClass, bool fullScreen, bool nativeScreen,
                              const FrameCallbacks& callbacks) {
    ShowSession session;
    DescribeWindow(&session, appClass, nativeScreen);
    AppWindow& appWindow = session.appWindow;
    appWindow.keepRunning = true;
    appWindow.wantFullScreen = fullScreen;
    while (appWindow.keepRunning) {
        if (!RunWindow(&session, callbacks)) {
            appWindow.keepRunning = false;
        }
    }
    return session.end;
}
