// The soak run's script of a booth day: after every frame it says which keys go down or up before the
// next one, what the button panel's status register reads, and how much longer than an ordinary frame
// the next one takes. Random with a fixed seed; depends only on the C++ library.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace soak {

// The status register with no button down, and with each of the four buttons down (ACK, BUSY,
// PAPER END, SELECT; BUSY reads inverted).
constexpr uint8_t kNoButton = 0x7F;
constexpr uint8_t kButtonBytes[4] = {0x3F, 0xFF, 0x5F, 0x6F};

struct Turn {
    std::vector<uint32_t> keysDown; // virtual-key codes
    std::vector<uint32_t> keysUp;
    uint8_t portByte = kNoButton;
    // Added to the clock after the frame; 0 leaves the next frame to the loop's own pacing.
    uint32_t extraMs = 0;
    bool toggle = false; // keysDown holds F1
    bool quit = false;   // keysDown holds Escape
};

struct ScheduleTally {
    int buttonPresses = 0;
    int sceneKeys = 0;
    int operatorKeys = 0;
    int toggles = 0;
    int idleStretches = 0; // gaps of minutes with nobody at the booth
};

class VisitorSchedule {
public:
    // Toggles are asked for at the first action after each of the given simulated hours; Escape at the
    // first moment after dayMs.
    VisitorSchedule(uint32_t seed, uint64_t dayMs, std::vector<uint64_t> toggleAtMs);

    // Called after each frame with the simulated milliseconds since the run began.
    Turn Next(uint64_t nowMs);

    const ScheduleTally& Tally() const { return tally; }

private:
    uint32_t Uniform(uint32_t low, uint32_t high);
    uint32_t PickGapMs();
    void StartAction(uint64_t atMs, Turn& turn);
    void PressKey(uint32_t key, Turn& turn);

    std::mt19937 random;
    uint64_t dayMs;
    std::vector<uint64_t> toggleAtMs;
    size_t togglesDone = 0;

    std::vector<uint32_t> keysHeld;
    int keyFramesLeft = 0;
    uint8_t portByte = kNoButton;
    int buttonFramesLeft = 0;
    int ordinaryFramesLeft = 0;
    int slowFramesLeft = 0;
    int outlineSteps = 0; // Up presses minus Down presses, kept within a range an operator would use
    bool quitting = false;
    ScheduleTally tally;
};

} // namespace soak
