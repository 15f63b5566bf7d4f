// A Linux kernel below QELIO's Linux layer that lists a parallel port at its usual registers and grants
// this process port permissions, as few kernels here do; tests change its answers and read its log.
#pragma once

#include "qelio/linux/LinuxPortSystem.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace testing_support {

// A machine whose first parallel port is claimed by the kernel's parport driver.
constexpr const char* kIoPortsWithParallelPort = "0000-0cf7 : PCI Bus 0000:00\n"
                                                 "  0070-0071 : rtc_cmos\n"
                                                 "  0378-037a : parport0\n"
                                                 "  03f8-03ff : serial\n";

class FakePortKernel final : public platform::PortKernel {
public:
    uint32_t processId = platform::RealPortKernel().ProcessId();
    int permissionError = 0; // answer to every ioperm call
    int grantError = 0;      // answer to calls that grant, which alone need the privilege
    int ioportsError = 0;
    std::string ioports = kIoPortsWithParallelPort;
    int baseAddressError = 0;
    std::vector<std::string> baseAddresses = {"888\t0\n"};
    // (first port, count, allowed) of each ioperm call.
    std::vector<std::tuple<uint16_t, uint16_t, bool>> permissionCalls;
    bool granted = false;

    int Grants() const { return PermissionCalls(true); }
    int Revocations() const { return PermissionCalls(false); }

    int SetPortPermission(uint16_t firstPort, uint16_t count, bool allowed) override {
        permissionCalls.emplace_back(firstPort, count, allowed);
        int error = permissionError != 0 ? permissionError : allowed ? grantError : 0;
        if (error == 0) {
            granted = allowed;
        }
        return error;
    }
    uint32_t ProcessId() override { return processId; }
    int ReadIoPorts(std::string& text) override {
        text = ioports;
        return ioportsError;
    }
    int ReadParportBaseAddresses(std::vector<std::string>& texts) override {
        texts = baseAddresses;
        return baseAddressError;
    }

private:
    int PermissionCalls(bool allowed) const {
        return static_cast<int>(
            std::count_if(permissionCalls.begin(), permissionCalls.end(),
                          [allowed](const auto& call) { return std::get<2>(call) == allowed; }));
    }
};

} // namespace testing_support
