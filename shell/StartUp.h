// Start-up of each new window and its OpenGL context, and shut-down before the window goes.
#pragma once

#include "shell/Presentation.h"

#include <string>

// False when the program cannot run in this window (no shading ramp file, or no capture list), with the
// reason in *whyNot when given; the run then ends. Needs the window's GL context to be current.
bool StartUp(Presentation& show, AppWindow* appWindow, KeyTable* keys, std::string* whyNot = nullptr);
// Deletes the shading ramp and destroys the scenes (their music stops); everything else of the
// context goes with the context. The music player stays for the next window.
void ShutDown(Presentation& show);
