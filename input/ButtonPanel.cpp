#include "input/ButtonPanel.h"

#include "platform/ParallelPort.h"

#include <optional>

namespace {

// The buttons pull their lines to ground, so a held button clears its bit, except on BUSY, which the
// port inverts.
constexpr uint8_t kButton1AckBit = 0x40;
constexpr uint8_t kButton2BusyBit = 0x80;
constexpr uint8_t kButton3PaperEndBit = 0x20;
constexpr uint8_t kButton4SelectBit = 0x10;

} // namespace

int DecodeButtonPanel(uint8_t status) {
    if ((status & kButton1AckBit) == 0) {
        return 1;
    }
    if ((status & kButton2BusyBit) != 0) {
        return 2;
    }
    if ((status & kButton3PaperEndBit) == 0) {
        return 3;
    }
    if ((status & kButton4SelectBit) == 0) {
        return 4;
    }
    return 0;
}

int ReadButtonPanel() {
    // Reading the port without the session's permission would fault, so then no button is held.
    const std::optional<uint8_t> status = platform::ReadPortByte(platform::kParallelStatusPort);
    return status ? DecodeButtonPanel(*status) : 0;
}
