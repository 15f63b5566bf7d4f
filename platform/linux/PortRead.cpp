#include "platform/SystemBackend.h"

#include <sys/io.h>

namespace platform::internal {

uint8_t ReadHardwarePort(uint16_t port) {
    return inb(port);
}

} // namespace platform::internal
