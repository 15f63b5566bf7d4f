#include "platform/SystemBackend.h"

#include <intrin.h>

namespace platform::internal {

// A port instruction in user mode faults unless QELIO's driver has opened this process's I/O
// permission for the port.
uint8_t ReadHardwarePort(uint16_t port) {
    return __inbyte(port);
}

} // namespace platform::internal
