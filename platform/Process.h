// The identifier of the running process, as handed to the port-I/O library. Depends on POSIX.
#pragma once

#include <cstdint>

namespace platform {

uint32_t GetCurrentProcessId();

} // namespace platform
