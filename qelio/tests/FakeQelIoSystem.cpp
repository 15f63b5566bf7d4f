#include "qelio/tests/FakeQelIoSystem.h"

#include <algorithm>
#include <cstring>

namespace testing_support {

namespace {

constexpr qelio::DeviceHandle kDevice = 0x44;
constexpr const char* kDriverDevicePath = "\\\\.\\QelIo";

} // namespace

void FakeQelIoSystem::InstallRunningDriver() {
    const std::string path = windowsDirectory + "\\System32\\Drivers\\QelIo.sys";
    files.insert(path);
    service = Service{"QEL I/O Application", path, true};
}

bool FakeQelIoSystem::Called(const std::string& name) const {
    return std::find(calls.begin(), calls.end(), name) != calls.end();
}

std::vector<uint32_t> FakeQelIoSystem::ControlCodes() const {
    std::vector<uint32_t> codes;
    std::transform(requests.begin(), requests.end(), std::back_inserter(codes),
                   [](const Request& request) { return request.code; });
    return codes;
}

std::vector<std::string> FakeQelIoSystem::Accesses() const {
    std::vector<std::string> accesses;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(accesses),
                 [](const std::string& call) { return call != "IsWindows9xFamily"; });
    return accesses;
}

bool FakeQelIoSystem::Enter(const std::string& name) {
    calls.push_back(name);
    auto failure = failures.find(name);
    return failure == failures.end() || Fail(failure->second);
}

bool FakeQelIoSystem::Fail(uint32_t error) {
    error_ = error;
    return false;
}

qelio::ServiceHandle FakeQelIoSystem::NewServiceHandle() {
    ++openServiceHandles;
    return &handleTokens_[0];
}

bool FakeQelIoSystem::IsWindows9xFamily() {
    calls.push_back("IsWindows9xFamily");
    return windows9x;
}

qelio::DeviceHandle FakeQelIoSystem::OpenDevice(const char* path) {
    if (!Enter("OpenDevice")) {
        return qelio::kInvalidDeviceHandle;
    }
    if (std::strcmp(path, kDriverDevicePath) != 0 || !service || !service->running) {
        Fail(kErrorFileNotFound);
        return qelio::kInvalidDeviceHandle;
    }
    ++openDeviceHandles;
    return kDevice;
}

bool FakeQelIoSystem::DeviceControl(qelio::DeviceHandle device, uint32_t code, const void* input,
                                    uint32_t inputSize) {
    Request request{code, 0};
    if (inputSize == sizeof request.processId) {
        std::memcpy(&request.processId, input, sizeof request.processId);
    }
    if (onRequest) {
        onRequest(request);
    }
    requests.push_back(request);
    const bool opening = code == 0xA0002800;
    if (!Enter(opening ? "OpenSession" : "CloseSession")) {
        return false;
    }
    if (device != kDevice || (!opening && code != 0xA0002804) || inputSize != sizeof request.processId) {
        return Fail(kErrorInvalidParameter);
    }
    bool changed =
        opening ? sessions.insert(request.processId).second : sessions.erase(request.processId) == 1;
    return changed || Fail(kErrorInvalidParameter);
}

void FakeQelIoSystem::CloseDevice(qelio::DeviceHandle device) {
    calls.push_back("CloseDevice");
    if (device == kDevice) {
        --openDeviceHandles;
    }
}

qelio::DriverServices* FakeQelIoSystem::Drivers() {
    return hasDrivers ? this : nullptr;
}

qelio::ServiceHandle FakeQelIoSystem::OpenServiceManager() {
    return Enter("OpenServiceManager") ? NewServiceHandle() : nullptr;
}

qelio::ServiceHandle FakeQelIoSystem::CreateDriverService(qelio::ServiceHandle manager, const char* name,
                                                          const char* displayName,
                                                          const std::string& binaryPath) {
    if (!Enter("CreateDriverService")) {
        return nullptr;
    }
    if (!manager || std::strcmp(name, "QelIo") != 0) {
        Fail(kErrorInvalidParameter);
        return nullptr;
    }
    if (service) {
        Fail(kErrorServiceExists);
        return nullptr;
    }
    service = Service{displayName, binaryPath, false};
    return NewServiceHandle();
}

qelio::ServiceHandle FakeQelIoSystem::OpenDriverService(qelio::ServiceHandle manager, const char* name) {
    if (!Enter("OpenDriverService")) {
        return nullptr;
    }
    if (!manager || std::strcmp(name, "QelIo") != 0 || !service) {
        Fail(kErrorServiceDoesNotExist);
        return nullptr;
    }
    return NewServiceHandle();
}

bool FakeQelIoSystem::StartDriverService(qelio::ServiceHandle) {
    if (!Enter("StartDriverService")) {
        return false;
    }
    if (service->running) {
        return Fail(kErrorServiceAlreadyRunning);
    }
    if (!files.count(service->binaryPath)) {
        return Fail(kErrorFileNotFound);
    }
    service->running = true;
    return true;
}

bool FakeQelIoSystem::StopDriverService(qelio::ServiceHandle) {
    if (!Enter("StopDriverService")) {
        return false;
    }
    if (!service->running) {
        return Fail(kErrorServiceNotActive);
    }
    service->running = false;
    sessions.clear();
    return true;
}

bool FakeQelIoSystem::DeleteDriverService(qelio::ServiceHandle) {
    if (!Enter("DeleteDriverService")) {
        return false;
    }
    service.reset();
    return true;
}

void FakeQelIoSystem::CloseServiceObject(qelio::ServiceHandle handle) {
    calls.push_back("CloseServiceObject");
    if (handle) {
        --openServiceHandles;
    }
}

qelio::ModuleHandle FakeQelIoSystem::ProgramModule() {
    return Enter("ProgramModule") ? &handleTokens_[1] : nullptr;
}

bool FakeQelIoSystem::ModuleFileName(qelio::ModuleHandle module, std::string& fileName) {
    if (!Enter("ModuleFileName")) {
        return false;
    }
    if (module != &handleTokens_[1]) {
        return Fail(kErrorInvalidParameter);
    }
    fileName = programFileName;
    return true;
}

bool FakeQelIoSystem::WindowsDirectory(std::string& directory) {
    if (!Enter("WindowsDirectory")) {
        return false;
    }
    directory = windowsDirectory;
    return true;
}

bool FakeQelIoSystem::CopyFileOver(const std::string& source, const std::string& destination) {
    if (!Enter("CopyFileOver")) {
        return false;
    }
    if (!files.count(source)) {
        return Fail(kErrorFileNotFound);
    }
    files.insert(destination);
    return true;
}

bool FakeQelIoSystem::RemoveFile(const std::string& path) {
    if (!Enter("RemoveFile")) {
        return false;
    }
    return files.erase(path) == 1 || Fail(kErrorFileNotFound);
}

} // namespace testing_support
