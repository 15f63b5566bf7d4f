// windows.h for the Win32 backend. This layer's window messages and virtual keys keep the system's
// names and values (platform/WindowMessages.h, platform/VirtualKeys.h), so that the program's window
// procedure reads as a switch over the messages Windows sends; windows.h defines the same names as
// macros, which are taken back here. Include this instead of windows.h.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The messages the program's window procedure switches over (platform/WindowMessages.h).
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

// The keys the program names (platform/VirtualKeys.h), which index its key table.
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
