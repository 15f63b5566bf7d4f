// Test fixture for QELIO's algorithm: a fresh library on a simulated Windows machine per test.
#pragma once

#include "qelio/tests/FakeQelIoSystem.h"

#include "qelio/QelIoLibrary.h"

#include <gtest/gtest.h>

class QelIoTest : public ::testing::Test {
protected:
    static constexpr const char* kCopiedDriver = "C:\\WINDOWS\\System32\\Drivers\\QelIo.sys";
    static constexpr uint32_t kProcessId = 4242;

    void TearDown() override {
        // Every service and device handle the library took must be given back, whatever happened.
        EXPECT_EQ(machine.openServiceHandles, 0);
        EXPECT_EQ(machine.openDeviceHandles, library.device == qelio::kInvalidDeviceHandle ? 0 : 1);
    }

    testing_support::FakeQelIoSystem machine;
    qelio::Library library{machine};
};
