// The visitors' four push buttons, wired to the status lines of the first parallel port.
#pragma once

#include <cstdint>

constexpr int kButtonCount = 4;

// A button held this long without a break is taken for a shorted or stuck line (an emulated port with
// nothing attached reads BUSY as held), not for a visitor.
constexpr uint32_t kStuckButtonMs = 60000;

// Which button the status register shows held: 1 to 4, 0 for none; with several held, the lowest wins.
int DecodeButtonPanel(uint8_t status);

// The panel as the show sees it across frames: how long each button has been held, and which ones are
// stuck. A stuck button is ignored, so that it neither starts scenes nor hides the buttons above it,
// until a read finds it released.
class ButtonPanel {
public:
    // Reads the status register anew on every call; the lowest held button that is not stuck, or 0.
    // Without an open port session the port is not touched and every button reads as released.
    int Read();
    // button: 1 to 4.
    bool Stuck(int button) const;

private:
    struct Hold {
        bool held = false;
        bool stuck = false;
        uint32_t sinceTick = 0; // the tick count of the first read that found it held
    };

    void Follow(int button, bool held, uint32_t now);

    Hold holds[kButtonCount];
};
