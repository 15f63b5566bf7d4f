// The operating-system calls QELIO's algorithm is written against: platform family, device control, and
// (where a driver must be installed) the service manager and files.
#pragma once

#include <cstdint>
#include <string>

namespace qelio {

using DeviceHandle = intptr_t;
// The value Win32 uses for a file handle that is not open (INVALID_HANDLE_VALUE).
constexpr DeviceHandle kInvalidDeviceHandle = -1;
// Service-manager, service and module handles: null when the call failed.
using ServiceHandle = void*;
using ModuleHandle = void*;

// Installing the driver: the service control manager, the program's own file and the driver file.
// Every call that fails leaves its error for System::SystemError.
class DriverServices {
public:
    virtual ~DriverServices() = default;
    // The local machine's manager with full access.
    virtual ServiceHandle OpenServiceManager() = 0;
    // A kernel-driver service with full access, started with the system, normal error control.
    virtual ServiceHandle CreateDriverService(ServiceHandle manager, const char* name,
                                              const char* displayName, const std::string& binaryPath) = 0;
    virtual ServiceHandle OpenDriverService(ServiceHandle manager, const char* name) = 0;
    virtual bool StartDriverService(ServiceHandle service) = 0;
    // Sends the stop control.
    virtual bool StopDriverService(ServiceHandle service) = 0;
    virtual bool DeleteDriverService(ServiceHandle service) = 0;
    virtual void CloseServiceObject(ServiceHandle handle) = 0;
    // The module of the process's executable, not of this library.
    virtual ModuleHandle ProgramModule() = 0;
    virtual bool ModuleFileName(ModuleHandle module, std::string& fileName) = 0;
    virtual bool WindowsDirectory(std::string& directory) = 0;
    // Overwrites an existing destination.
    virtual bool CopyFileOver(const std::string& source, const std::string& destination) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
};

class System {
public:
    virtual ~System() = default;
    // Windows 95, 98 and ME let every program use the ports: there is nothing to install or open.
    virtual bool IsWindows9xFamily() = 0;
    // The error of the last call that failed; like Win32's, a later success does not clear it.
    virtual uint32_t SystemError() = 0;
    virtual DeviceHandle OpenDevice(const char* path) = 0;
    // A request with input only; the driver's refusal is a failure.
    virtual bool DeviceControl(DeviceHandle device, uint32_t code, const void* input, uint32_t inputSize) = 0;
    virtual void CloseDevice(DeviceHandle device) = 0;
    // Null where the kernel grants port access itself and there is no driver to install.
    virtual DriverServices* Drivers() = 0;
};

// Defined by the platform layer the library is built with (Win32 or Linux).
System& PlatformSystem();

} // namespace qelio
