// The windows of one show: the first in the mode asked for, then a new one in the other mode after each
// full-screen toggle, each started up, run frame by frame and shut down; a new window starts the show
// again at the start screen.
#pragma once

#include "shell/AppWindow.h"
#include "shell/FrameLoop.h"

#include <string>

// How the windows ended: failure is null after a quit, otherwise the log line saying why the show
// cannot run, with the reason start-up gave in whyNot (empty when it gave none).
struct ShowSessionEnd {
    const char* failure = nullptr;
    std::string whyNot;
};

// Makes windows of the registered class until a quit, or until a window cannot be made (the person at
// the screen is told) or cannot start the show. The key table and the buttons outlive each window.
ShowSessionEnd RunShowSession(AppClass* appClass, bool fullScreen, bool nativeScreen,
                              const FrameCallbacks& callbacks);
