// Port-I/O sessions: opening the driver's device and asking it to open or close a process's session.
#include "qelio/QelIo.h"
#include "qelio/QelIoNames.h"
#include "qelio/QelIoState.h"

extern "C" int32_t QelIoInitialize(uint32_t processId) {
    qelio::System& system = qelio::CurrentSystem();
    if (system.IsWindows9xFamily() || qelIoDevice != qelio::kInvalidDeviceHandle) {
        return kQelIoOk;
    }
    qelio::DeviceHandle device = system.OpenDevice(qelio::kDevicePath);
    if (device == qelio::kInvalidDeviceHandle) {
        qelIoLastError = system.SystemError();
        return kQelIoDeviceUnavailable;
    }
    qelIoLastError = 0;
    if (!system.DeviceControl(device, qelio::kOpenSessionCode, &processId, sizeof processId)) {
        qelIoLastError = system.SystemError();
        system.CloseDevice(device);
        return kQelIoSessionRefused;
    }
    qelIoDevice = device;
    return kQelIoOk;
}

extern "C" int32_t QelIoInitializeAuto(uint32_t processId) {
    if (QelIoInitialize(processId) == kQelIoOk) {
        return kQelIoOk;
    }
    int32_t installed = QelIoInstall();
    if (installed != kQelIoOk) {
        return installed;
    }
    return QelIoInitialize(processId);
}

extern "C" int32_t QelIoCloseSession(uint32_t processId) {
    qelio::System& system = qelio::CurrentSystem();
    if (system.IsWindows9xFamily() || qelIoDevice == qelio::kInvalidDeviceHandle) {
        return kQelIoOk;
    }
    // A refused close keeps the handle, so the caller can try again.
    if (!system.DeviceControl(qelIoDevice, qelio::kCloseSessionCode, &processId, sizeof processId)) {
        qelIoLastError = system.SystemError();
        return kQelIoSessionRefused;
    }
    qelIoLastError = 0;
    system.CloseDevice(qelIoDevice);
    qelIoDevice = qelio::kInvalidDeviceHandle;
    return kQelIoOk;
}

extern "C" uint32_t QelIoGetLastError(void) {
    uint32_t error = qelIoLastError;
    qelIoLastError = 0;
    return error;
}
