// What the window, message and display-mode code of this layer share beyond the window records: the
// video system and the full-screen mode waiting for the next popup window. Not for use outside platform/.
#pragma once

#include "platform/linux/WindowRecords.h"

#include <SDL.h>
#include <vector>

namespace platform {
namespace internal {

// Starts the video system once for the process; its display connection stays open until the end.
// False when no display can be opened.
bool StartVideoSystem();

WindowHandle WindowFromSdlId(uint32_t sdlWindowId);
// The window made last, which stands in for keyboard focus when SDL names none.
WindowHandle NewestWindow();
std::vector<WindowHandle> LiveWindows();

void DropQueuedMessages(WindowHandle window);

// False when no full-screen mode has been set.
bool PendingFullScreenMode(SDL_DisplayMode* mode);

} // namespace internal
} // namespace platform
