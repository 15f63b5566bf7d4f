#include "platform/DebugOutput.h"

#include "platform/MessageLines.h"

#include "platform/win32/WinApi.h"

#include <cstdio>

namespace platform {

// To an attached debugger, and to standard error as well, where a console or a log file catches them
// when no debugger watches.
void WriteDebugLine(const char* text) {
    const std::string line = AsLine(text);
    OutputDebugStringA(line.c_str());
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

} // namespace platform
