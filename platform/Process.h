// The identifier of the running process, as handed to the port-I/O library.
#pragma once

#include <cstdint>

namespace platform {

uint32_t GetCurrentProcessId();

} // namespace platform
