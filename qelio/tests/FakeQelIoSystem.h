// A simulated Windows machine under QELIO: a service database with one driver service, files, the
// driver's device and its sessions, failure injection per call, and a log of every call and of the
// session requests.
#pragma once

#include "qelio/QelIoSystem.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace testing_support {

// Win32 error codes the simulation produces.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorInvalidServiceControl = 1052;
constexpr uint32_t kErrorServiceAlreadyRunning = 1056;
constexpr uint32_t kErrorServiceDoesNotExist = 1060;
constexpr uint32_t kErrorServiceNotActive = 1062;
constexpr uint32_t kErrorServiceExists = 1073;

class FakeQelIoSystem : public qelio::System, public qelio::DriverServices {
public:
    struct Service {
        std::string displayName;
        std::string binaryPath;
        bool running = false;
    };
    struct Request {
        uint32_t code; // qelio::kOpenSessionCode, qelio::kCloseSessionCode or anything sent
        uint32_t processId;
    };

    // Configuration and state of the machine.
    bool windows9x = false;
    bool hasDrivers = true;
    std::string programFileName = "C:\\Booth\\standview.exe";
    std::string windowsDirectory = "C:\\WINDOWS";
    std::set<std::string> files{"C:\\Booth\\QelIo.sys"};
    std::optional<Service> service;
    std::set<uint32_t> sessions;
    // Call name -> error: that call fails with the error instead of doing its work.
    std::map<std::string, uint32_t> failures;

    // What the library did.
    std::vector<std::string> calls;
    std::vector<Request> requests;
    // Runs when a request arrives, before it is logged.
    std::function<void(const Request&)> onRequest;
    int openServiceHandles = 0;
    int openDeviceHandles = 0;

    // Puts the driver where an earlier install left it, running.
    void InstallRunningDriver();
    bool Called(const std::string& name) const;
    std::vector<uint32_t> ControlCodes() const;
    // The calls that touched the machine: everything but the platform-family query.
    std::vector<std::string> Accesses() const;

    bool IsWindows9xFamily() override;
    uint32_t SystemError() override { return error_; }
    qelio::DeviceHandle OpenDevice(const char* path) override;
    bool DeviceControl(qelio::DeviceHandle device, uint32_t code, const void* input,
                       uint32_t inputSize) override;
    void CloseDevice(qelio::DeviceHandle device) override;
    qelio::DriverServices* Drivers() override;

    qelio::ServiceHandle OpenServiceManager() override;
    qelio::ServiceHandle CreateDriverService(qelio::ServiceHandle manager, const char* name,
                                             const char* displayName, const std::string& binaryPath) override;
    qelio::ServiceHandle OpenDriverService(qelio::ServiceHandle manager, const char* name) override;
    bool StartDriverService(qelio::ServiceHandle service) override;
    bool StopDriverService(qelio::ServiceHandle service) override;
    bool DeleteDriverService(qelio::ServiceHandle service) override;
    void CloseServiceObject(qelio::ServiceHandle handle) override;
    qelio::ModuleHandle ProgramModule() override;
    bool ModuleFileName(qelio::ModuleHandle module, std::string& fileName) override;
    bool WindowsDirectory(std::string& directory) override;
    bool CopyFileOver(const std::string& source, const std::string& destination) override;
    bool RemoveFile(const std::string& path) override;

private:
    // Logs the call; false (with the system error set) when a failure is injected for it.
    bool Enter(const std::string& name);
    bool Fail(uint32_t error);
    qelio::ServiceHandle NewServiceHandle();

    uint32_t error_ = 0;
    char handleTokens_[2] = {};
};

} // namespace testing_support
