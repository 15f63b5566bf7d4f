#include "platform/DebugOutput.h"

#include "platform/MessageLines.h"

#include <cstdio>

namespace platform {

void WriteDebugLine(const char* text) {
    std::fputs(AsLine(text).c_str(), stderr);
    std::fflush(stderr);
}

} // namespace platform
