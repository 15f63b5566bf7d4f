#include "support/FakeParallelPort.h"

#include "platform/ParallelPort.h"
#include "qelio/QelIoState.h"

#include <gtest/gtest.h>

namespace testing_support {

FakeParallelPort::FakeParallelPort(qelio::System& system) {
    ResetQelIoStateForTests();
    platform::ResetPortSessionForTests();
    qelio::InstallSystem(&system);
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
    ResetQelIoStateForTests();
}

} // namespace testing_support
