// The OpenGL 1.1 and GLU interfaces, as the system declares them.
#pragma once

// Windows' GL headers would otherwise bring in all of windows.h, whose macros clash with this layer's
// constants (WM_CREATE, VK_ESCAPE, ...).
// They get the few definitions they need instead, written exactly as windows.h writes them, so that a
// backend file including both sees each defined alike (hence no reformatting).
// clang-format off
#if defined(_WIN32)
#define DECLSPEC_IMPORT __declspec (dllimport)
#define WINGDIAPI DECLSPEC_IMPORT
#define WINAPI __stdcall
#define APIENTRY WINAPI
#define CALLBACK __stdcall
#endif
// clang-format on

#include <GL/gl.h>
#include <GL/glu.h>
