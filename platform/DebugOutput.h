// Lines meant for a developer watching the program with a debugger. Linux has no debugger channel, so
// they go to standard error there; on Windows they go to the debugger and to standard error.
#pragma once

namespace platform {

// Written as given: the caller supplies any line end.
void OutputDebugString(const char* text);

} // namespace platform
