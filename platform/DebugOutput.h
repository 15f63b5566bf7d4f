// Lines meant for a developer watching the program with a debugger. Linux has no debugger channel, so
// they go to standard error there; on Windows they go to the debugger and to standard error.
#pragma once

namespace platform {

// One line: a text without its line end gets one (platform/MessageLines.h).
void WriteDebugLine(const char* text);

} // namespace platform
