#include "platform/ParallelPort.h"

#include "platform/SystemBackend.h"
#include "qelio/QelIo.h"

#include <utility>

namespace platform {

namespace {

// Port access is granted to the whole process, not to an object, so whether it is held is process-wide.
bool sessionOpen = false;
std::function<uint8_t(uint16_t)> portByteReader;

} // namespace

int OpenPortSession(uint32_t processId) {
    int result = QelIoInitializeAuto(processId);
    sessionOpen = result == kQelIoOk;
    return result;
}

int ClosePortSession(uint32_t processId) {
    // The caller is done with the port whatever the driver answers.
    sessionOpen = false;
    return QelIoCloseSession(processId);
}

bool PortSessionOpen() {
    return sessionOpen;
}

std::optional<uint8_t> ReadPortByte(uint16_t port) {
    if (!sessionOpen || port < kParallelPortBase || port >= kParallelPortBase + kParallelPortRegisterCount) {
        return std::nullopt;
    }
    if (portByteReader) {
        return portByteReader(port);
    }
    return internal::ReadHardwarePort(port);
}

void SetPortByteReader(std::function<uint8_t(uint16_t)> reader) {
    portByteReader = std::move(reader);
}

} // namespace platform
