#include "support/FakeParallelPort.h"

#include "platform/ParallelPort.h"

#include <gtest/gtest.h>

namespace testing_support {

FakeParallelPort::FakeParallelPort(qelio::System& system) : library_(system) {
    platform::ResetPortSessionForTests();
    qelio::InstallLibrary(&library_);
    platform::SetPortByteReader([this](uint16_t port) {
        if (statusOnly) {
            EXPECT_EQ(port, platform::kParallelStatusPort) << "only the status register is read";
        }
        reads.push_back(port);
        return status;
    });
}

FakeParallelPort::~FakeParallelPort() {
    platform::ResetPortSessionForTests();
    qelio::InstallLibrary(nullptr);
}

} // namespace testing_support
