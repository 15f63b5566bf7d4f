// A kernel that grants port permissions and lists a parallel port at its usual registers, for running the
// presentation's port session through QELIO's Linux layer where the real kernel refuses.
#pragma once

#include "platform/Process.h"
#include "platform/qelio/LinuxPortSystem.h"

#include <cerrno>
#include <string>
#include <vector>

namespace soak {

class FakePortKernel final : public platform::PortKernel {
public:
    int SetPortPermission(uint16_t firstPort, uint16_t count, bool allowed) override {
        (allowed ? grants : revocations) += 1;
        lastFirstPort = firstPort;
        lastCount = count;
        return 0;
    }
    uint32_t ProcessId() override { return platform::GetCurrentProcessId(); }
    int ReadIoPorts(std::string& text) override {
        text = "0378-037a : parport0\n";
        return 0;
    }
    // Not asked: the port's range above is shown.
    int ReadParportBaseAddresses(std::vector<std::string>&) override { return ENOENT; }

    int grants = 0;
    int revocations = 0;
    uint16_t lastFirstPort = 0;
    uint16_t lastCount = 0;
};

} // namespace soak
