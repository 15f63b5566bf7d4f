#include "input/ButtonPanel.h"

#include "platform/Clock.h"
#include "platform/ParallelPort.h"

#include <cstdio>
#include <optional>

namespace {

struct ButtonLine {
    uint8_t bit;
    bool heldWhenSet;
};

// Button 1 first. The buttons pull their lines to ground, so a held button clears its bit, except on
// BUSY, which the port inverts.
constexpr ButtonLine kButtonLines[kButtonCount] = {
    {0x40, false}, // ACK
    {0x80, true},  // BUSY
    {0x20, false}, // PAPER END
    {0x10, false}, // SELECT
};

constexpr uint32_t kMillisecondsPerSecond = 1000;
constexpr const char* kStuckLogFormat =
    "standview: button %d held for %u s without a break; ignored as stuck until it is released\n";

bool LineHeld(uint8_t status, const ButtonLine& line) {
    return ((status & line.bit) != 0) == line.heldWhenSet;
}

} // namespace

int DecodeButtonPanel(uint8_t status) {
    for (int i = 0; i < kButtonCount; ++i) {
        if (LineHeld(status, kButtonLines[i])) {
            return i + 1;
        }
    }
    return 0;
}

int ButtonPanel::Read() {
    // Reading the port without the session's permission would fault, so then no button is held.
    const std::optional<uint8_t> status = platform::ReadPortByte(platform::kParallelStatusPort);
    const uint32_t now = platform::GetTickCount();
    int chosen = 0;
    for (int i = 0; i < kButtonCount; ++i) {
        const int button = i + 1;
        Follow(button, status && LineHeld(*status, kButtonLines[i]), now);
        if (chosen == 0 && holds[i].held && !holds[i].stuck) {
            chosen = button;
        }
    }
    return chosen;
}

bool ButtonPanel::Stuck(int button) const {
    return holds[button - 1].stuck;
}

void ButtonPanel::Follow(int button, bool held, uint32_t now) {
    Hold& hold = holds[button - 1];
    if (!held) {
        hold = Hold();
        return;
    }
    if (!hold.held) {
        hold.held = true;
        hold.sinceTick = now;
    }
    // Unsigned, so the time held is right across the tick count's wrap.
    const uint32_t heldMs = now - hold.sinceTick;
    if (!hold.stuck && heldMs >= kStuckButtonMs) {
        hold.stuck = true;
        std::fprintf(stderr, kStuckLogFormat, button, heldMs / kMillisecondsPerSecond);
    }
}
