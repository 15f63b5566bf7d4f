// The parallel port's registers behind QELIO's session, for running the program's port access in tests:
// a fresh QELIO library over the given system stands in for the process's own while it lives, and the
// port reads through it (a granted session must never reach the real port); no port session outlives it.
// The shared QELIO library hides its state, so a program using this links qelio_static.
#pragma once

#include "qelio/QelIoLibrary.h"

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

private:
    qelio::Library library_;
};

} // namespace testing_support
