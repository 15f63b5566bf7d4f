// QELIO's state and its algorithm over one operating system: the device handle of the open session, the
// last system error and the path of the copied driver, with the operations behind the six exports.
#pragma once

#include "qelio/QelIoSystem.h"

#include <cstdint>
#include <string>

namespace qelio {

struct Library {
    explicit Library(System& os) : system(os) {}

    // The exports of the same names in QelIo.h, with their result codes.
    int32_t Install();
    int32_t Uninstall();
    int32_t Initialize(uint32_t processId);
    int32_t InitializeAuto(uint32_t processId);
    int32_t CloseSession(uint32_t processId);
    // QelIoGetLastError: the last error, which reading resets to 0.
    uint32_t TakeLastError();

    System& system;
    // Open while a session is open, else kInvalidDeviceHandle.
    DeviceHandle device = kInvalidDeviceHandle;
    // System error of the last failing step, or 0.
    uint32_t lastError = 0;
    // Full path of the driver in the system's driver directory once known; empty when none is remembered.
    std::string driverPath;
};

// The library the C exports act on: the one installed last, or the process's own over the platform's system.
Library& CurrentLibrary();
// Tests put a library over a simulated system in the process's place; nullptr puts the process's own back.
void InstallLibrary(Library* library);

} // namespace qelio
