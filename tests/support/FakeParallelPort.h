// The parallel port's registers behind QELIO's session, for running the program's port access in tests:
// installs the given system as QELIO's and itself as the port's reader (a granted session must never
// reach the real port), with QELIO's state and the port session cleared while it lives and after.
// The shared QELIO library hides its state, so a program using this links qelio_static.
#pragma once

#include "qelio/QelIoSystem.h"

#include <cstdint>
#include <vector>

namespace testing_support {

class FakeParallelPort {
public:
    explicit FakeParallelPort(qelio::System& system);
    ~FakeParallelPort();
    FakeParallelPort(const FakeParallelPort&) = delete;
    FakeParallelPort& operator=(const FakeParallelPort&) = delete;

    // What every register reads: no button held until the test says otherwise.
    uint8_t status = 0x7F;
    // Each register read, oldest first.
    std::vector<uint16_t> reads;
    // The program reads the status register alone; a read of another one fails the test.
    bool statusOnly = true;
};

} // namespace testing_support
