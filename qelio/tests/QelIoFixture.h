// Test fixture for QELIO's algorithm: a fresh library state on a simulated Windows machine per test.
#pragma once

#include "qelio/tests/FakeQelIoSystem.h"

#include "qelio/QelIo.h"
#include "qelio/QelIoState.h"

#include <gtest/gtest.h>

class QelIoTest : public ::testing::Test {
protected:
    static constexpr const char* kCopiedDriver = "C:\\WINDOWS\\System32\\Drivers\\QelIo.sys";
    static constexpr uint32_t kProcessId = 4242;

    void SetUp() override {
        ResetQelIoStateForTests();
        qelio::InstallSystem(&machine);
    }
    void TearDown() override {
        // Every service and device handle the library took must be given back, whatever happened.
        EXPECT_EQ(machine.openServiceHandles, 0);
        EXPECT_EQ(machine.openDeviceHandles, qelIoDevice == qelio::kInvalidDeviceHandle ? 0 : 1);
        ResetQelIoStateForTests();
    }

    testing_support::FakeQelIoSystem machine;
};
