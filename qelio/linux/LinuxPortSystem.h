// QELIO's system layer on Linux: there is no driver to install, and a session is the kernel's port permission
// (ioperm) for the calling process on the parallel port's registers.
#pragma once

#include "qelio/QelIoSystem.h"

#include <cstdint>
#include <string>
#include <vector>

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
    // The text of each parallel port's /proc/sys/dev/parport/*/base-addr ("888\t0\n": the base and the
    // second base, in decimal): 0, or the errno when none can be read.
    virtual int ReadParportBaseAddresses(std::vector<std::string>& texts) = 0;
};

PortKernel& RealPortKernel();

enum class IoPortsAnswer {
    Listed,          // a parallel port covers the registers
    NotListed,       // no parallel port does
    AddressesHidden, // parallel ports are listed, but their ranges read 0000-0000
};

// What /proc/ioports says about a parallel port over the given registers. To readers without
// CAP_SYS_ADMIN the kernel shows every range as 0000-0000.
IoPortsAnswer FindParallelPortInIoPorts(const std::string& ioports, uint16_t firstPort, uint16_t count);

// Whether one of the base-addr texts names the base register.
bool ParportBaseAddressesInclude(const std::vector<std::string>& texts, uint16_t base);

class LinuxPortSystem : public qelio::System {
public:
    explicit LinuxPortSystem(PortKernel& kernel) : kernel_(kernel) {}

    bool IsWindows9xFamily() override { return false; }
    uint32_t SystemError() override { return error_; }
    // Succeeds when the kernel supports port permissions and a parallel port is at its usual place,
    // as /proc/ioports says, or the parport driver's own records where /proc/ioports hides addresses.
    qelio::DeviceHandle OpenDevice(const char* path) override;
    // The session codes with the caller's own process id; the permission is the calling thread's and
    // passes to threads it creates later, so the frame loop's thread must make the request.
    bool DeviceControl(qelio::DeviceHandle device, uint32_t code, const void* input,
                       uint32_t inputSize) override;
    void CloseDevice(qelio::DeviceHandle) override {}
    qelio::DriverServices* Drivers() override { return nullptr; }

private:
    // 0 when a parallel port is at the usual place, otherwise the errno that says why not.
    int FindParallelPort(const std::string& ioports);
    bool Refuse(int error);

    PortKernel& kernel_;
    uint32_t error_ = 0;
};

} // namespace platform
