// Port-I/O sessions: opening the driver's device and asking it to open or close a process's session.
#include "qelio/QelIo.h"
#include "qelio/QelIoLibrary.h"
#include "qelio/QelIoNames.h"

namespace qelio {

int32_t Library::Initialize(uint32_t processId) {
    if (system.IsWindows9xFamily() || device != kInvalidDeviceHandle) {
        return kQelIoOk;
    }
    DeviceHandle opened = system.OpenDevice(kDevicePath);
    if (opened == kInvalidDeviceHandle) {
        lastError = system.SystemError();
        return kQelIoDeviceUnavailable;
    }
    lastError = 0;
    if (!system.DeviceControl(opened, kOpenSessionCode, &processId, sizeof processId)) {
        lastError = system.SystemError();
        system.CloseDevice(opened);
        return kQelIoSessionRefused;
    }
    device = opened;
    return kQelIoOk;
}

int32_t Library::InitializeAuto(uint32_t processId) {
    if (Initialize(processId) == kQelIoOk) {
        return kQelIoOk;
    }
    int32_t installed = Install();
    if (installed != kQelIoOk) {
        return installed;
    }
    return Initialize(processId);
}

int32_t Library::CloseSession(uint32_t processId) {
    if (system.IsWindows9xFamily() || device == kInvalidDeviceHandle) {
        return kQelIoOk;
    }
    // A refused close keeps the handle, so the caller can try again.
    if (!system.DeviceControl(device, kCloseSessionCode, &processId, sizeof processId)) {
        lastError = system.SystemError();
        return kQelIoSessionRefused;
    }
    lastError = 0;
    system.CloseDevice(device);
    device = kInvalidDeviceHandle;
    return kQelIoOk;
}

uint32_t Library::TakeLastError() {
    uint32_t error = lastError;
    lastError = 0;
    return error;
}

} // namespace qelio
