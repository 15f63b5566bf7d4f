// Messages to the service manager that started the program: ready after the first frame, watchdog
// pings from the frame loop, and a status line. Backed by libsystemd; every call does nothing when no
// service manager listens (NOTIFY_SOCKET unset), and always on Windows, which has no such manager.
#pragma once

#include <string>

namespace platform {

// After each swapped frame. The first says the program is ready; later ones keep the service
// manager's watchdog fed, at least twice per interval while frames keep coming, so a loop that stops
// drawing stops the pings.
void NotifyFrameSwapped();

// The status line the service manager shows for the program.
void NotifyStatus(const std::string& status);

} // namespace platform
