// The program's entry point: the full-screen question, the window class, and the loops that build a window,
// run start-up, produce frames until a quit or a mode toggle, and shut down.
#pragma once

#include "shell/AppWindow.h"
#include "shell/CommandLine.h"

#include <cstdint>
#include <functional>
#include <string>

class ButtonPanel;
class ShowMonitor;

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
};

// The status line for the service manager: the running scenes ("Showing horse, mountain", or "No scene
// running"), then each stuck button ("; button 2 stuck"), written over *status in its own storage.
void ShowStatus(const ButtonPanel& buttons, std::string* status);

// StartUp, UpdateFrame, DrawFrame and ShutDown of the shell, and the monitor's look at each frame when
// one is given.
FrameCallbacks ShellFrameCallbacks(ShowMonitor* monitor = nullptr);

// -1 when the window class cannot be registered, otherwise 0; in a kiosk run also 1 when no window
// or no start-up succeeded. The options settle the full-screen question and tell a kiosk run.
int AppMain(platform::InstanceHandle instance, const FrameCallbacks& callbacks,
            const CommandLine& options = {});

// Applies the options that reach the whole process and does what the command line asks; returns the
// process's exit code.
int RunProgram(const CommandLine& options);
