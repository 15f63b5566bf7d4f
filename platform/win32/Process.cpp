#include "platform/Process.h"

#include "platform/win32/WinApi.h"

namespace platform {

uint32_t GetCurrentProcessId() {
    return ::GetCurrentProcessId();
}

} // namespace platform
