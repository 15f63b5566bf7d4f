// A port-I/O device that grants every session, for running the program's port access through QELIO in tests,
// with a log of the session requests and a hook run at each, and a status register that the test sets and
// whose reads it counts.
#pragma once

#include "portio/QelIoSystem.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace testing_support {

class FakePortDriver : public qelio::System {
public:
    struct Request {
        uint32_t code; // qelio::kOpenSessionCode or qelio::kCloseSessionCode
        uint32_t processId;
    };

    // Installs itself as QELIO's system and as the port's reader (a granted session must never reach the
    // real port), with QELIO's state and the port session cleared.
    FakePortDriver();
    ~FakePortDriver() override;
    FakePortDriver(const FakePortDriver&) = delete;
    FakePortDriver& operator=(const FakePortDriver&) = delete;

    std::vector<Request> requests;
    // The parallel port's status register: no button held until the test says otherwise.
    uint8_t status = 0x7F;
    int statusReads = 0;
    // Runs when a request arrives, before it is logged.
    std::function<void(const Request&)> onRequest;

    bool IsWindows9xFamily() override { return false; }
    uint32_t SystemError() override { return 0; }
    qelio::DeviceHandle OpenDevice(const char* path) override;
    bool DeviceControl(qelio::DeviceHandle device, uint32_t code, const void* input,
                       uint32_t inputSize) override;
    void CloseDevice(qelio::DeviceHandle) override {}
    qelio::DriverServices* Drivers() override { return nullptr; }
};

} // namespace testing_support
