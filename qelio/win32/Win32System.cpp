// QELIO's system layer on Windows: the service control manager, the program's file, the driver copy
// and the driver's device, through the ANSI Win32 calls.
#include "qelio/QelIoSystem.h"

#include <windows.h>

namespace {

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version query passes the 148-byte structure");

class Win32System : public qelio::System, public qelio::DriverServices {
public:
    bool IsWindows9xFamily() override {
        OSVERSIONINFOA version = {};
        version.dwOSVersionInfoSize = sizeof version;
        return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    }
    uint32_t SystemError() override { return GetLastError(); }

    qelio::DeviceHandle OpenDevice(const char* path) override {
        HANDLE device = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        return reinterpret_cast<qelio::DeviceHandle>(device);
    }
    bool DeviceControl(qelio::DeviceHandle device, uint32_t code, const void* input,
                       uint32_t inputSize) override {
        DWORD returned = 0;
        return DeviceIoControl(AsHandle(device), code, const_cast<void*>(input), inputSize, nullptr, 0,
                               &returned, nullptr);
    }
    void CloseDevice(qelio::DeviceHandle device) override { CloseHandle(AsHandle(device)); }
    qelio::DriverServices* Drivers() override { return this; }

    qelio::ServiceHandle OpenServiceManager() override {
        return OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    }
    qelio::ServiceHandle CreateDriverService(qelio::ServiceHandle manager, const char* name,
                                             const char* displayName,
                                             const std::string& binaryPath) override {
        return CreateServiceA(AsService(manager), name, displayName, SERVICE_ALL_ACCESS,
                              SERVICE_KERNEL_DRIVER, SERVICE_SYSTEM_START, SERVICE_ERROR_NORMAL,
                              binaryPath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    qelio::ServiceHandle OpenDriverService(qelio::ServiceHandle manager, const char* name) override {
        return OpenServiceA(AsService(manager), name, SERVICE_ALL_ACCESS);
    }
    bool StartDriverService(qelio::ServiceHandle service) override {
        return StartServiceA(AsService(service), 0, nullptr);
    }
    bool StopDriverService(qelio::ServiceHandle service) override {
        SERVICE_STATUS status = {};
        return ControlService(AsService(service), SERVICE_CONTROL_STOP, &status);
    }
    bool DeleteDriverService(qelio::ServiceHandle service) override {
        return DeleteService(AsService(service));
    }
    void CloseServiceObject(qelio::ServiceHandle handle) override { CloseServiceHandle(AsService(handle)); }

    qelio::ModuleHandle ProgramModule() override { return GetModuleHandleA(nullptr); }
    bool ModuleFileName(qelio::ModuleHandle module, std::string& fileName) override {
        char buffer[MAX_PATH];
        DWORD length = GetModuleFileNameA(static_cast<HMODULE>(module), buffer, MAX_PATH);
        // A name that fills the buffer was cut short (and, before Windows Vista, left unterminated).
        if (length == 0 || length >= MAX_PATH) {
            if (length != 0) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
            }
            return false;
        }
        fileName.assign(buffer, length);
        return true;
    }
    bool WindowsDirectory(std::string& directory) override {
        char buffer[MAX_PATH];
        UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
        // A directory too long for the buffer is reported by its size, with nothing copied.
        if (length == 0 || length >= MAX_PATH) {
            if (length != 0) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
            }
            return false;
        }
        directory.assign(buffer, length);
        return true;
    }
    bool CopyFileOver(const std::string& source, const std::string& destination) override {
        return CopyFileA(source.c_str(), destination.c_str(), FALSE);
    }
    bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()); }

private:
    static HANDLE AsHandle(qelio::DeviceHandle device) { return reinterpret_cast<HANDLE>(device); }
    static SC_HANDLE AsService(qelio::ServiceHandle handle) { return static_cast<SC_HANDLE>(handle); }
};

} // namespace

qelio::System& qelio::PlatformSystem() {
    static Win32System system;
    return system;
}
