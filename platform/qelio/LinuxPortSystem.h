// QELIO's system layer on Linux: there is no driver to install, and a session is the kernel's port
// permission (ioperm) for the calling process on the parallel port's registers. Depends on PortKernel.
#pragma once

#include "portio/QelIoSystem.h"

#include <cstdint>
#include <string>

namespace platform {

// The kernel calls behind the layer; tests replace them, as few kernels here grant port access.
class PortKernel {
public:
    virtual ~PortKernel() = default;
    // ioperm: 0, or the errno of the refusal.
    virtual int SetPortPermission(uint16_t firstPort, uint16_t count, bool allowed) = 0;
    virtual uint32_t ProcessId() = 0;
    // The text of /proc/ioports: 0, or the errno of the failed read.
    virtual int ReadIoPorts(std::string& text) = 0;
};

PortKernel& RealPortKernel();

// Whether /proc/ioports lists a parallel port over the given registers. To readers without
// CAP_SYS_ADMIN the kernel shows every range as 0000-0000; then the port's name has to do.
bool IoPortsListParallelPort(const std::string& ioports, uint16_t firstPort, uint16_t count);

class LinuxPortSystem : public qelio::System {
public:
    explicit LinuxPortSystem(PortKernel& kernel) : kernel_(kernel) {}

    bool IsWindows9xFamily() override { return false; }
    uint32_t SystemError() override { return error_; }
    // Succeeds when the kernel supports port permissions and a parallel port is at its usual place.
    qelio::DeviceHandle OpenDevice(const char* path) override;
    // The session codes with the caller's own process id; the permission is the calling thread's and
    // passes to threads it creates later, so the frame loop's thread must make the request.
    bool DeviceControl(qelio::DeviceHandle device, uint32_t code, const void* input,
                       uint32_t inputSize) override;
    void CloseDevice(qelio::DeviceHandle) override {}
    qelio::DriverServices* Drivers() override { return nullptr; }

private:
    bool Refuse(int error);

    PortKernel& kernel_;
    uint32_t error_ = 0;
};

} // namespace platform
