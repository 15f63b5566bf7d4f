#include "platform/Process.h"

#include <unistd.h>

namespace platform {

uint32_t GetCurrentProcessId() {
    return static_cast<uint32_t>(getpid());
}

} // namespace platform
