#include "support/FakeParallelPort.h"

#include "platform/ParallelPort.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

namespace testing_support {

namespace {

// Ends the process's port session, if one is open, through the program's own call. Outside a fake
// port's life the process's own library answers it: it holds no device in tests, so nothing is sent.
void EndPortSession() {
    platform::ClosePortSession(platform::GetCurrentProcessId());
}

} // namespace

FakeParallelPort::FakeParallelPort(qelio::System& system) : library_(system) {
    // A session an earlier test left open must not let this one read the port before it opens its own.
    EndPortSession();
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
    // What the test's system calls back may already be gone, so it is told nothing: the session ends with
    // the test's library, unannounced, and the port's with the process's own library.
    qelio::InstallLibrary(nullptr);
    EndPortSession();
    platform::SetPortByteReader(nullptr);
}

} // namespace testing_support
