// Start-up of each new window and its OpenGL context, and shut-down before the window goes.
// Depends on AppWindow (the window and key table it keeps) and OpenGL.
#pragma once

#include "shell/AppWindow.h"

// The window being started and its key table, for the per-frame update's quit and toggle requests.
extern AppWindow* currentWindow;
extern KeyTable* currentKeys;

// False when the program cannot run in this window; the run then ends.
bool StartUp(AppWindow* appWindow, KeyTable* keys);
void ShutDown();

void ResetStartUpGlobalsForTests();
