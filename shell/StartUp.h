// Start-up of each new window and its OpenGL context, and shut-down before the window goes.
#pragma once

#include "shell/AppWindow.h"

#include "platform/OpenGl.h"

#include <string>

// The window being started and its key table, for the per-frame update's quit and toggle requests.
extern AppWindow* currentWindow;
extern KeyTable* currentKeys;
// The glow layers over the frame, and the small render copied into sceneTexture; both replayed by
// every frame and recorded anew by each start-up on its own context.
extern GLuint blurList;
extern GLuint captureList;

// False when the program cannot run in this window (no shading ramp file, or no capture list), with the
// reason in *whyNot when given; the run then ends. Needs the window's GL context to be current.
bool StartUp(AppWindow* appWindow, KeyTable* keys, std::string* whyNot = nullptr);
// Deletes the shading ramp and destroys the scenes (their music stops); everything else of the
// context goes with the context. The music player stays for the next window.
void ShutDown();

void ResetStartUpGlobalsForTests();
