// The program's entry point: what the command line asks for, and for the show the full-screen question,
// the window class and the windows of one show (shell/ShowSession.h).
#pragma once

#include "shell/AppWindow.h"
#include "shell/CommandLine.h"
#include "shell/FrameLoop.h"

class ShowMonitor;
struct Presentation;

// StartUp, UpdateFrame, DrawFrame and ShutDown of the shell on the show, its status after each frame, and
// the monitor's look at each frame when one is given. Both must outlive the callbacks.
FrameCallbacks ShellFrameCallbacks(Presentation& show, ShowMonitor* monitor = nullptr);

// -1 when the window class cannot be registered, otherwise 0; in a kiosk run also 1 when no window
// or no start-up succeeded. The options settle the full-screen question and tell a kiosk run.
int AppMain(platform::InstanceHandle instance, const FrameCallbacks& callbacks,
            const CommandLine& options = {});

// Applies the options that reach the whole process and does what the command line asks; returns the
// process's exit code.
int RunProgram(const CommandLine& options);
