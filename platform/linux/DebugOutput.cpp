#include "platform/DebugOutput.h"

#include <cstdio>

namespace platform {

void OutputDebugString(const char* text) {
    std::fputs(text, stderr);
    std::fflush(stderr);
}

} // namespace platform
