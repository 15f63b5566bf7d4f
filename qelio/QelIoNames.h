// The fixed names of the driver's service, files and device, its two control codes, and the Win32 error codes
// the service step tells apart.
#pragma once

#include <cstdint>

namespace qelio {

constexpr const char* kServiceName = "QelIo";
constexpr const char* kServiceDisplayName = "QEL I/O Application";
constexpr const char* kDriverFileName = "QelIo.sys";
constexpr const char* kDriverDestination = "System32\\Drivers\\QelIo.sys";
constexpr const char* kDevicePath = "\\\\.\\QelIo";

// Device type 0xA000, buffered, any access; functions 0xA00 and 0xA01. Input: the 4-byte process id.
constexpr uint32_t kOpenSessionCode = 0xA0002800;
constexpr uint32_t kCloseSessionCode = 0xA0002804;

constexpr uint32_t kErrorInvalidServiceControl = 1052;
constexpr uint32_t kErrorServiceNotActive = 1062;
constexpr uint32_t kErrorServiceExists = 1073;

} // namespace qelio
