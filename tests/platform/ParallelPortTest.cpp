#include "platform/ParallelPort.h"
#include "support/FakeParallelPort.h"
#include "qelio/tests/FakeQelIoSystem.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint32_t kProcessId = 5150;

class ParallelPortTest : public ::testing::Test {
protected:
    void SetUp() override { port.statusOnly = false; }

    testing_support::FakeQelIoSystem machine;
    testing_support::FakeParallelPort port{machine};
    std::vector<uint16_t>& readPorts = port.reads;
};

TEST_F(ParallelPortTest, NoReadWithoutASession) {
    EXPECT_FALSE(platform::PortSessionOpen());
    EXPECT_EQ(platform::ReadPortByte(platform::kParallelStatusPort), std::nullopt);
    EXPECT_TRUE(readPorts.empty());
}

TEST_F(ParallelPortTest, OpenSessionReadsThroughTheReader) {
    EXPECT_EQ(platform::OpenPortSession(kProcessId), 0);
    EXPECT_TRUE(platform::PortSessionOpen());
    EXPECT_EQ(machine.sessions, std::set<uint32_t>{kProcessId}) << "the session comes from QELIO";

    EXPECT_EQ(platform::ReadPortByte(platform::kParallelStatusPort), uint8_t{0x7F});
    EXPECT_EQ(readPorts, std::vector<uint16_t>{0x379});
}

TEST_F(ParallelPortTest, FailedOpenLeavesThePortUnread) {
    machine.files.clear();
    EXPECT_EQ(platform::OpenPortSession(kProcessId), 8);
    EXPECT_FALSE(platform::PortSessionOpen());
    EXPECT_EQ(platform::ReadPortByte(platform::kParallelStatusPort), std::nullopt);
    EXPECT_TRUE(readPorts.empty());
}

TEST_F(ParallelPortTest, ClosedAfterClosePortSessionEvenWhenTheDriverRefuses) {
    ASSERT_EQ(platform::OpenPortSession(kProcessId), 0);
    machine.failures["CloseSession"] = testing_support::kErrorAccessDenied;

    EXPECT_EQ(platform::ClosePortSession(kProcessId), 11);
    EXPECT_FALSE(platform::PortSessionOpen());
    EXPECT_EQ(platform::ReadPortByte(platform::kParallelStatusPort), std::nullopt);

    machine.failures.clear();
    EXPECT_EQ(platform::ClosePortSession(kProcessId), 0);
    EXPECT_TRUE(machine.sessions.empty());
    EXPECT_EQ(platform::OpenPortSession(kProcessId), 0);
    EXPECT_EQ(platform::ReadPortByte(platform::kParallelStatusPort), uint8_t{0x7F});
}

TEST_F(ParallelPortTest, PortsOutsideTheSessionAreNeverRead) {
    ASSERT_EQ(platform::OpenPortSession(kProcessId), 0);
    EXPECT_EQ(platform::ReadPortByte(0x377), std::nullopt);
    EXPECT_EQ(platform::ReadPortByte(0x37B), std::nullopt);
    EXPECT_EQ(platform::ReadPortByte(0x378), uint8_t{0x7F});
    EXPECT_EQ(platform::ReadPortByte(0x37A), uint8_t{0x7F});
    EXPECT_EQ(readPorts, (std::vector<uint16_t>{0x378, 0x37A}));
}

} // namespace
