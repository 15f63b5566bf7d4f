// One window's frames: its messages, and while it is visible a frame paced to the display, drawn,
// swapped and reported to the service manager, until a quit.
#pragma once

#include "shell/AppWindow.h"

#include <cstdint>
#include <functional>
#include <string>

class ButtonPanel;

// What the loops call for each window: start-up once the context exists (false, with the reason, when
// the show cannot run), per frame the update (given the milliseconds since the previous frame) and the
// drawing, and shut-down before the window goes.
struct FrameCallbacks {
    std::function<bool(AppWindow*, KeyTable*, std::string* whyNot)> startUp;
    std::function<void(uint32_t)> updateFrame;
    std::function<void()> drawFrame;
    std::function<void()> shutDown;
    // After each frame is drawn and before it is swapped to the screen, with the milliseconds since the
    // previous frame; may be left empty.
    std::function<void(uint32_t, const ButtonPanel&)> frameDrawn;
    // After each frame has gone to the screen; may be left empty.
    std::function<void(const ButtonPanel&)> frameSwapped;
};

// Returns at the window's quit message. The window has been started up; its buttons and its tick count
// are followed frame by frame.
void RunFrameLoop(AppWindow* appWindow, const FrameCallbacks& callbacks);
