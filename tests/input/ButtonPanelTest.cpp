#include "input/ButtonPanel.h"
#include "platform/ParallelPort.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

TEST(ButtonPanel, StatusRegisterDecodesToTheLowestHeldButton) {
    const std::pair<uint8_t, int> table[] = {
        {0x7F, 0}, // BUSY low and every other line high: nothing held
        {0xFF, 2}, {0x3F, 1}, {0xBF, 1}, {0x5F, 3}, {0x6F, 4}, {0x4F, 3}, // 3 and 4 together
        {0xEF, 2},                                                        // 2 and 4 together
        {0x00, 1},                                                        // every line grounded
        {0x78, 0},                                                        // the low bits are not button lines
    };
    for (const auto& [status, button] : table) {
        EXPECT_EQ(DecodeButtonPanel(status), button) << "status 0x" << std::hex << int(status);
    }
}

TEST(ButtonPanel, WithoutAPortSessionThePortIsNotReadAndNoButtonIsHeld) {
    platform::ClosePortSession(platform::GetCurrentProcessId());
    int reads = 0;
    platform::SetPortByteReader([&](uint16_t) {
        ++reads;
        return uint8_t{0x3F}; // button 1 held, were the port read
    });
    ASSERT_FALSE(platform::PortSessionOpen());
    ButtonPanel panel;
    EXPECT_EQ(panel.Read(), 0);
    EXPECT_EQ(reads, 0);
    platform::SetPortByteReader(nullptr);
}
