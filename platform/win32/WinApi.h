// windows.h for the Win32 backend. Its macros give several system functions and constants the names
// this layer uses for its own (CreateWindow, PeekMessage, WM_CREATE, VK_ESCAPE, ...), so they are taken
// back here: the backend calls the system's functions by their real names (CreateWindowExA,
// PeekMessageA, ...), and the constants it shares with the system have the same values in
// platform/WindowMessages.h and platform/VirtualKeys.h. Include this instead of windows.h.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CreateWindow
#undef DispatchMessage
#undef DefWindowProc
#undef GetModuleHandle
#undef OutputDebugString
#undef PeekMessage
#undef PostMessage
#undef RegisterClass
#undef SendMessage
#undef UnregisterClass

#undef WM_CREATE
#undef WM_SIZE
#undef WM_CLOSE
#undef WM_QUIT
#undef WM_KEYDOWN
#undef WM_KEYUP
#undef WM_SYSKEYDOWN
#undef WM_SYSKEYUP
#undef WM_SYSCOMMAND
#undef WM_USER
#undef SIZE_RESTORED
#undef SIZE_MINIMIZED
#undef SIZE_MAXIMIZED
#undef SC_SCREENSAVE
#undef SC_MONITORPOWER

#undef VK_BACK
#undef VK_TAB
#undef VK_RETURN
#undef VK_SHIFT
#undef VK_CONTROL
#undef VK_MENU
#undef VK_ESCAPE
#undef VK_SPACE
#undef VK_LEFT
#undef VK_UP
#undef VK_RIGHT
#undef VK_DOWN
#undef VK_F1
#undef VK_F10
