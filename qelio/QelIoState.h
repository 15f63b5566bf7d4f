// The process-wide state of QELIO: the device handle of the open session, the last system error and the path
// of the copied driver.
#pragma once

#include "qelio/QelIoSystem.h"

#include <cstdint>
#include <string>

// Open while a session is open, else kInvalidDeviceHandle.
extern qelio::DeviceHandle qelIoDevice;
// System error of the last failing step, or 0.
extern uint32_t qelIoLastError;
// Full path of the driver in the system's driver directory once known; empty when none is remembered.
extern std::string qelIoDriverPath;

// Also puts the platform's own system back.
void ResetQelIoStateForTests();
