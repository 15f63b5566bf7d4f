#include "platform/qelio/LinuxPortSystem.h"

#include "platform/ParallelPort.h"
#include "portio/QelIoNames.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/io.h>
#include <unistd.h>

namespace platform {

namespace {

// There is no device to hold open: the permission itself is the session.
constexpr qelio::DeviceHandle kPortPermissionHandle = 1;

class SystemPortKernel : public PortKernel {
public:
    int SetPortPermission(uint16_t firstPort, uint16_t count, bool allowed) override {
        return ioperm(firstPort, count, allowed ? 1 : 0) == 0 ? 0 : errno;
    }
    uint32_t ProcessId() override { return static_cast<uint32_t>(getpid()); }
    int ReadIoPorts(std::string& text) override {
        std::ifstream file("/proc/ioports");
        if (!file) {
            return errno != 0 ? errno : ENOENT;
        }
        std::ostringstream contents;
        contents << file.rdbuf();
        text = contents.str();
        return 0;
    }
};

} // namespace

PortKernel& RealPortKernel() {
    static SystemPortKernel kernel;
    return kernel;
}

bool IoPortsListParallelPort(const std::string& ioports, uint16_t firstPort, uint16_t count) {
    const unsigned lastPort = firstPort + count - 1u;
    std::istringstream lines(ioports);
    std::string line;
    while (std::getline(lines, line)) {
        unsigned start = 0;
        unsigned end = 0;
        int nameAt = 0;
        if (std::sscanf(line.c_str(), " %x-%x : %n", &start, &end, &nameAt) != 2 || nameAt == 0) {
            continue;
        }
        if (line.compare(static_cast<size_t>(nameAt), 7, "parport") != 0) {
            continue;
        }
        bool hidden = start == 0 && end == 0;
        if (hidden || (start <= firstPort && end >= lastPort)) {
            return true;
        }
    }
    return false;
}

qelio::DeviceHandle LinuxPortSystem::OpenDevice(const char*) {
    // Withdrawing a permission needs no privilege, so this asks only whether the kernel has port
    // permissions at all (without them it answers ENOSYS).
    int error = kernel_.SetPortPermission(kParallelPortBase, kParallelPortRegisterCount, false);
    if (error != 0) {
        Refuse(error);
        return qelio::kInvalidDeviceHandle;
    }
    std::string ioports;
    error = kernel_.ReadIoPorts(ioports);
    if (error == 0 && !IoPortsListParallelPort(ioports, kParallelPortBase, kParallelPortRegisterCount)) {
        error = ENODEV;
    }
    if (error != 0) {
        Refuse(error);
        return qelio::kInvalidDeviceHandle;
    }
    return kPortPermissionHandle;
}

bool LinuxPortSystem::DeviceControl(qelio::DeviceHandle device, uint32_t code, const void* input,
                                    uint32_t inputSize) {
    if (device != kPortPermissionHandle) {
        return Refuse(EBADF);
    }
    if ((code != qelio::kOpenSessionCode && code != qelio::kCloseSessionCode) || !input ||
        inputSize != sizeof(uint32_t)) {
        return Refuse(EINVAL);
    }
    uint32_t processId = 0;
    std::memcpy(&processId, input, sizeof processId);
    // The kernel grants ports only to the process that asks.
    if (processId != kernel_.ProcessId()) {
        return Refuse(EPERM);
    }
    int error = kernel_.SetPortPermission(kParallelPortBase, kParallelPortRegisterCount,
                                          code == qelio::kOpenSessionCode);
    if (error != 0) {
        return Refuse(error);
    }
    return true;
}

bool LinuxPortSystem::Refuse(int error) {
    error_ = static_cast<uint32_t>(error);
    return false;
}

} // namespace platform

qelio::System& qelio::PlatformSystem() {
    static platform::LinuxPortSystem system(platform::RealPortKernel());
    return system;
}
