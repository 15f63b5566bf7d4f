#include "platform/DebugOutput.h"

#include "platform/win32/WinApi.h"

#include <cstdio>

namespace platform {

// To an attached debugger, and to standard error as well, where a console or a log file catches them
// when no debugger watches.
void OutputDebugString(const char* text) {
    OutputDebugStringA(text);
    std::fputs(text, stderr);
    std::fflush(stderr);
}

} // namespace platform
