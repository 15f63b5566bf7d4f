#include "qelio/linux/LinuxPortSystem.h"

#include "qelio/QelIo.h"
#include "qelio/QelIoNames.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <glob.h>
#include <sstream>
#include <sys/io.h>
#include <unistd.h>

namespace platform {

namespace {

// There is no device to hold open: the permission itself is the session.
constexpr qelio::DeviceHandle kPortPermissionHandle = 1;

constexpr const char* kParportBaseAddressFiles = "/proc/sys/dev/parport/*/base-addr";
constexpr const char* kParportName = "parport";

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
    int ReadParportBaseAddresses(std::vector<std::string>& texts) override {
        glob_t found{};
        const int result = glob(kParportBaseAddressFiles, 0, nullptr, &found);
        if (result != 0) {
            globfree(&found);
            return result == GLOB_NOMATCH ? ENOENT : EIO;
        }
        int error = ENOENT;
        for (size_t i = 0; i < found.gl_pathc; ++i) {
            std::ifstream file(found.gl_pathv[i]);
            std::ostringstream contents;
            if (file && contents << file.rdbuf()) {
                texts.push_back(contents.str());
            } else {
                error = errno != 0 ? errno : EIO;
            }
        }
        globfree(&found);
        return texts.empty() ? error : 0;
    }
};

} // namespace

PortKernel& RealPortKernel() {
    static SystemPortKernel kernel;
    return kernel;
}

IoPortsAnswer FindParallelPortInIoPorts(const std::string& ioports, uint16_t firstPort, uint16_t count) {
    const unsigned lastPort = firstPort + count - 1u;
    const size_t nameLength = std::strlen(kParportName);
    IoPortsAnswer answer = IoPortsAnswer::NotListed;
    std::istringstream lines(ioports);
    std::string line;
    while (std::getline(lines, line)) {
        unsigned start = 0;
        unsigned end = 0;
        int nameAt = 0;
        if (std::sscanf(line.c_str(), " %x-%x : %n", &start, &end, &nameAt) != 2 || nameAt == 0) {
            continue;
        }
        if (line.compare(static_cast<size_t>(nameAt), nameLength, kParportName) != 0) {
            continue;
        }
        if (start == 0 && end == 0) {
            answer = IoPortsAnswer::AddressesHidden;
        } else if (start <= firstPort && end >= lastPort) {
            return IoPortsAnswer::Listed;
        }
    }
    return answer;
}

bool ParportBaseAddressesInclude(const std::vector<std::string>& texts, uint16_t base) {
    for (const std::string& text : texts) {
        char* end = nullptr;
        errno = 0;
        const unsigned long value = std::strtoul(text.c_str(), &end, 10);
        if (end != text.c_str() && errno == 0 && value == base) {
            return true;
        }
    }
    return false;
}

qelio::DeviceHandle LinuxPortSystem::OpenDevice(const char*) {
    // Withdrawing a permission needs no privilege, so this asks only whether the kernel has port
    // permissions at all (without them it answers ENOSYS).
    int error = kernel_.SetPortPermission(kQelIoPortBase, kQelIoPortCount, false);
    if (error != 0) {
        Refuse(error);
        return qelio::kInvalidDeviceHandle;
    }
    std::string ioports;
    error = kernel_.ReadIoPorts(ioports);
    if (error == 0) {
        error = FindParallelPort(ioports);
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
    int error = kernel_.SetPortPermission(kQelIoPortBase, kQelIoPortCount, code == qelio::kOpenSessionCode);
    if (error != 0) {
        return Refuse(error);
    }
    return true;
}

int LinuxPortSystem::FindParallelPort(const std::string& ioports) {
    switch (FindParallelPortInIoPorts(ioports, kQelIoPortBase, kQelIoPortCount)) {
    case IoPortsAnswer::Listed:
        return 0;
    case IoPortsAnswer::NotListed:
        return ENODEV;
    case IoPortsAnswer::AddressesHidden:
        break;
    }
    // A card at another address answers nothing at the usual one: the driver's records must name it.
    std::vector<std::string> bases;
    const int error = kernel_.ReadParportBaseAddresses(bases);
    if (error != 0) {
        return error;
    }
    return ParportBaseAddressesInclude(bases, kQelIoPortBase) ? 0 : ENODEV;
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
