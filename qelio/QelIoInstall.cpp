// Installing and removing the driver: the copy into the system's driver directory and the service.
#include "qelio/QelIo.h"
#include "qelio/QelIoLibrary.h"
#include "qelio/QelIoNames.h"

namespace {

enum class ServiceMode { Install, Remove };

std::string DriverDestination(const std::string& windowsDirectory) {
    std::string path = windowsDirectory;
    if (path.empty() || path.back() != '\\') {
        path += '\\';
    }
    return path + qelio::kDriverDestination;
}

int32_t Fail(qelio::Library& library, int32_t result) {
    library.lastError = library.system.SystemError();
    return result;
}

// Install mode creates the service (or opens the one already registered) and starts it; remove mode
// stops it and deletes it, also when it was not running or does not take the stop control.
int32_t RunServiceStep(qelio::Library& library, qelio::DriverServices& drivers, ServiceMode mode) {
    qelio::System& system = library.system;
    qelio::ServiceHandle manager = drivers.OpenServiceManager();
    if (!manager) {
        return Fail(library, kQelIoManagerUnavailable);
    }

    qelio::ServiceHandle service = nullptr;
    uint32_t openError = 0;
    if (mode == ServiceMode::Install) {
        service = drivers.CreateDriverService(manager, qelio::kServiceName, qelio::kServiceDisplayName,
                                              library.driverPath);
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
        library.lastError = openError;
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
    library.lastError = error;
    return done ? kQelIoOk : kQelIoServiceControlFailed;
}

// The driver file lies next to the program; its copy goes into the system's driver directory.
int32_t CopyDriver(qelio::Library& library, qelio::DriverServices& drivers) {
    qelio::ModuleHandle program = drivers.ProgramModule();
    if (!program) {
        return Fail(library, kQelIoNoProgramModule);
    }
    std::string source;
    if (!drivers.ModuleFileName(program, source)) {
        return Fail(library, kQelIoNoProgramFileName);
    }
    std::string::size_type lastBackslash = source.rfind('\\');
    if (lastBackslash == std::string::npos) {
        library.lastError = 0;
        return kQelIoNoProgramFileName;
    }
    source.erase(lastBackslash + 1);
    source += qelio::kDriverFileName;

    std::string windowsDirectory;
    if (!drivers.WindowsDirectory(windowsDirectory)) {
        return Fail(library, kQelIoNoWindowsDirectory);
    }
    std::string destination = DriverDestination(windowsDirectory);
    if (!drivers.CopyFileOver(source, destination)) {
        return Fail(library, kQelIoCopyFailed);
    }
    library.driverPath = destination;
    return kQelIoOk;
}

// The services of a system whose driver is installed and removed: none on the Windows 9x family, where
// the ports are reached without one, nor where the system offers no services.
qelio::DriverServices* ManagedDrivers(qelio::System& system) {
    return system.IsWindows9xFamily() ? nullptr : system.Drivers();
}

} // namespace

namespace qelio {

int32_t Library::Install() {
    DriverServices* drivers = ManagedDrivers(system);
    if (!drivers) {
        return kQelIoOk;
    }
    if (driverPath.empty()) {
        int32_t copied = CopyDriver(*this, *drivers);
        if (copied != kQelIoOk) {
            return copied;
        }
    }
    return RunServiceStep(*this, *drivers, ServiceMode::Install);
}

int32_t Library::Uninstall() {
    DriverServices* drivers = ManagedDrivers(system);
    if (!drivers) {
        return kQelIoOk;
    }
    // The driver is about to go away: the session ends with the handle, unannounced.
    if (device != kInvalidDeviceHandle) {
        system.CloseDevice(device);
        device = kInvalidDeviceHandle;
    }
    int32_t removed = RunServiceStep(*this, *drivers, ServiceMode::Remove);
    if (removed != kQelIoOk) {
        return Fail(*this, removed);
    }
    if (driverPath.empty()) {
        std::string windowsDirectory;
        if (!drivers->WindowsDirectory(windowsDirectory)) {
            return Fail(*this, kQelIoNoWindowsDirectory);
        }
        driverPath = DriverDestination(windowsDirectory);
    }
    if (!drivers->RemoveFile(driverPath)) {
        return Fail(*this, kQelIoDeleteFailed);
    }
    // The remembered copy no longer exists: a later install in this process must copy the driver again
    // rather than register a service whose file is gone.
    driverPath.clear();
    lastError = 0;
    return kQelIoOk;
}

} // namespace qelio
