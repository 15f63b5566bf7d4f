// Lines meant for a developer watching the program with a debugger. There is no debugger channel here, so
// they go to standard error.
#pragma once

namespace platform {

// Written as given: the caller supplies any line end.
void OutputDebugString(const char* text);

} // namespace platform
