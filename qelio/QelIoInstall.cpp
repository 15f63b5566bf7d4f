// Installing and removing the driver: the copy into the system's driver directory and the service.
#include "qelio/QelIo.h"
#include "qelio/QelIoNames.h"
#include "qelio/QelIoState.h"

namespace {

enum class ServiceMode { Install, Remove };

std::string DriverDestination(const std::string& windowsDirectory) {
    std::string path = windowsDirectory;
    if (path.empty() || path.back() != '\\') {
        path += '\\';
    }
    return path + qelio::kDriverDestination;
}

int32_t Fail(qelio::System& system, int32_t result) {
    qelIoLastError = system.SystemError();
    return result;
}

// Install mode creates the service (or opens the one already registered) and starts it; remove mode
// stops it and deletes it, also when it was not running or does not take the stop control.
int32_t RunServiceStep(qelio::System& system, qelio::DriverServices& drivers, ServiceMode mode) {
    qelio::ServiceHandle manager = drivers.OpenServiceManager();
    if (!manager) {
        return Fail(system, kQelIoManagerUnavailable);
    }

    qelio::ServiceHandle service = nullptr;
    uint32_t openError = 0;
    if (mode == ServiceMode::Install) {
        service = drivers.CreateDriverService(manager, qelio::kServiceName, qelio::kServiceDisplayName,
                                              qelIoDriverPath);
        if (!service) {
            openError = system.SystemError();
            if (openError == qelio::kErrorServiceExists) {
                service = drivers.OpenDriverService(manager, qelio::kServiceName);
                openError = service ? 0 : system.SystemError();
            }
        }
    } else {
        service = drivers.OpenDriverService(manager, qelio::kServiceName);
        openError = service ? 0 : system.SystemError();
    }
    drivers.CloseServiceObject(manager);
    if (!service) {
        qelIoLastError = openError;
        return kQelIoServiceUnavailable;
    }

    bool done = false;
    uint32_t error = 0;
    if (mode == ServiceMode::Install) {
        done = drivers.StartDriverService(service);
        error = done ? 0 : system.SystemError();
    } else {
        bool stopped = drivers.StopDriverService(service);
        error = stopped ? 0 : system.SystemError();
        if (stopped || error == qelio::kErrorServiceNotActive ||
            error == qelio::kErrorInvalidServiceControl) {
            done = drivers.DeleteDriverService(service);
            error = done ? 0 : system.SystemError();
        }
    }
    drivers.CloseServiceObject(service);
    qelIoLastError = error;
    return done ? kQelIoOk : kQelIoServiceControlFailed;
}

// The driver file lies next to the program; its copy goes into the system's driver directory.
int32_t CopyDriver(qelio::System& system, qelio::DriverServices& drivers) {
    qelio::ModuleHandle program = drivers.ProgramModule();
    if (!program) {
        return Fail(system, kQelIoNoProgramModule);
    }
    std::string source;
    if (!drivers.ModuleFileName(program, source)) {
        return Fail(system, kQelIoNoProgramFileName);
    }
    std::string::size_type lastBackslash = source.rfind('\\');
    if (lastBackslash == std::string::npos) {
        qelIoLastError = 0;
        return kQelIoNoProgramFileName;
    }
    source.erase(lastBackslash + 1);
    source += qelio::kDriverFileName;

    std::string windowsDirectory;
    if (!drivers.WindowsDirectory(windowsDirectory)) {
        return Fail(system, kQelIoNoWindowsDirectory);
    }
    std::string destination = DriverDestination(windowsDirectory);
    if (!drivers.CopyFileOver(source, destination)) {
        return Fail(system, kQelIoCopyFailed);
    }
    qelIoDriverPath = destination;
    return kQelIoOk;
}

} // namespace

extern "C" int32_t QelIoInstall(void) {
    qelio::System& system = qelio::CurrentSystem();
    if (system.IsWindows9xFamily()) {
        return kQelIoOk;
    }
    qelio::DriverServices* drivers = system.Drivers();
    if (!drivers) {
        return kQelIoOk;
    }
    if (qelIoDriverPath.empty()) {
        int32_t copied = CopyDriver(system, *drivers);
        if (copied != kQelIoOk) {
            return copied;
        }
    }
    return RunServiceStep(system, *drivers, ServiceMode::Install);
}

extern "C" int32_t QelIoUninstall(void) {
    qelio::System& system = qelio::CurrentSystem();
    if (system.IsWindows9xFamily()) {
        return kQelIoOk;
    }
    qelio::DriverServices* drivers = system.Drivers();
    if (!drivers) {
        return kQelIoOk;
    }
    // The driver is about to go away: the session ends with the handle, unannounced.
    if (qelIoDevice != qelio::kInvalidDeviceHandle) {
        system.CloseDevice(qelIoDevice);
        qelIoDevice = qelio::kInvalidDeviceHandle;
    }
    int32_t removed = RunServiceStep(system, *drivers, ServiceMode::Remove);
    if (removed != kQelIoOk) {
        return Fail(system, removed);
    }
    if (qelIoDriverPath.empty()) {
        std::string windowsDirectory;
        if (!drivers->WindowsDirectory(windowsDirectory)) {
            return Fail(system, kQelIoNoWindowsDirectory);
        }
        qelIoDriverPath = DriverDestination(windowsDirectory);
    }
    if (!drivers->RemoveFile(qelIoDriverPath)) {
        return Fail(system, kQelIoDeleteFailed);
    }
    // The remembered copy no longer exists: a later install in this process must copy the driver again
    // rather than register a service whose file is gone.
    qelIoDriverPath.clear();
    qelIoLastError = 0;
    return kQelIoOk;
}
