#include "VisitorSchedule.h"

#include "platform/VirtualKeys.h"

#include <utility>

namespace soak {

namespace {

// After a visitor's action: ordinary frames (a flight takes up to about 40 of them), then slower
// frames that let a scroll unroll (3 s) and movies play without drawing every 17 ms of them. Drawing a
// frame costs tens of milliseconds here, so a day has to make do with a few thousand frames.
constexpr uint32_t kMinOrdinaryFrames = 15;
constexpr uint32_t kMaxOrdinaryFrames = 45;
constexpr uint32_t kMinSlowFrames = 2;
constexpr uint32_t kMaxSlowFrames = 8;
constexpr uint32_t kMinSlowFrameMs = 300;
constexpr uint32_t kMaxSlowFrameMs = 800;
// An operator's key shows its effect in the next frame or two.
constexpr uint32_t kMaxOperatorFrames = 3;

// The time between actions, in percent of cases: a visitor's next press a few seconds later, a pause
// long enough for a scene's 35 s to run out, or minutes with nobody at the booth.
constexpr uint32_t kSoonPercent = 40;
constexpr uint32_t kPausePercent = 30;
constexpr uint32_t kMinSoonMs = 500;
constexpr uint32_t kMaxSoonMs = 4000;
constexpr uint32_t kMinPauseMs = 5000;
constexpr uint32_t kMaxPauseMs = 40000;
constexpr uint32_t kMinIdleMs = 10 * 60 * 1000;
constexpr uint32_t kMaxIdleMs = 60 * 60 * 1000;

// The kinds of action, in percent: a button, a scene key, an operator key.
constexpr uint32_t kButtonPercent = 60;
constexpr uint32_t kSceneKeyPercent = 25;
// A button is held for this many frames; held long, the video stage's button moves its ring every frame.
constexpr uint32_t kMinButtonFrames = 1;
constexpr uint32_t kMaxButtonFrames = 20;
// Key F is held for a few frames (it acts every frame while down); other keys for one.
constexpr uint32_t kMaxFreeCameraFrames = 10;
constexpr int kOutlineStepsLimit = 3;

constexpr uint32_t kSceneKeys[] = {'L', 'K', 'J', 'H'};
constexpr uint32_t kOutlineToggleKeys[] = {'1', '2', '3'};
constexpr uint32_t kPrintPoseKey = 'C';
constexpr uint32_t kFreeCameraKey = 'F';

} // namespace

VisitorSchedule::VisitorSchedule(uint32_t seed, uint64_t dayMs, std::vector<uint64_t> toggleAtMs)
    : random(seed), dayMs(dayMs), toggleAtMs(std::move(toggleAtMs)) {}

uint32_t VisitorSchedule::Uniform(uint32_t low, uint32_t high) {
    return std::uniform_int_distribution<uint32_t>(low, high)(random);
}

uint32_t VisitorSchedule::PickGapMs() {
    const uint32_t kind = Uniform(0, 99);
    if (kind < kSoonPercent) {
        return Uniform(kMinSoonMs, kMaxSoonMs);
    }
    if (kind < kSoonPercent + kPausePercent) {
        return Uniform(kMinPauseMs, kMaxPauseMs);
    }
    ++tally.idleStretches;
    return Uniform(kMinIdleMs, kMaxIdleMs);
}

void VisitorSchedule::PressKey(uint32_t key, Turn& turn) {
    turn.keysDown.push_back(key);
    keysHeld.push_back(key);
}

void VisitorSchedule::StartAction(uint64_t atMs, Turn& turn) {
    ordinaryFramesLeft = static_cast<int>(Uniform(kMinOrdinaryFrames, kMaxOrdinaryFrames));
    slowFramesLeft = static_cast<int>(Uniform(kMinSlowFrames, kMaxSlowFrames));
    keyFramesLeft = 1;

    if (togglesDone < toggleAtMs.size() && atMs >= toggleAtMs[togglesDone]) {
        ++togglesDone;
        ++tally.toggles;
        turn.toggle = true;
        PressKey(platform::VK_F1, turn);
        return;
    }

    const uint32_t kind = Uniform(0, 99);
    if (kind < kButtonPercent) {
        ++tally.buttonPresses;
        portByte = kButtonBytes[Uniform(0, 3)];
        buttonFramesLeft = static_cast<int>(Uniform(kMinButtonFrames, kMaxButtonFrames));
        turn.portByte = portByte;
        return;
    }
    if (kind < kButtonPercent + kSceneKeyPercent) {
        ++tally.sceneKeys;
        PressKey(kSceneKeys[Uniform(0, 3)], turn);
        return;
    }
    ++tally.operatorKeys;
    ordinaryFramesLeft = static_cast<int>(Uniform(1, kMaxOperatorFrames));
    slowFramesLeft = 0;
    switch (Uniform(0, 6)) {
    case 0:
    case 1:
    case 2:
        PressKey(kOutlineToggleKeys[Uniform(0, 2)], turn);
        break;
    case 3:
        // Wider or narrower at random, as far as an operator trying the look would go.
        if (outlineSteps < kOutlineStepsLimit &&
            (outlineSteps <= -kOutlineStepsLimit || Uniform(0, 1) == 0)) {
            ++outlineSteps;
            PressKey(platform::VK_UP, turn);
        } else {
            --outlineSteps;
            PressKey(platform::VK_DOWN, turn);
        }
        break;
    case 4:
        PressKey(kPrintPoseKey, turn);
        break;
    default:
        PressKey(kFreeCameraKey, turn);
        keyFramesLeft = static_cast<int>(Uniform(1, kMaxFreeCameraFrames));
        ordinaryFramesLeft = keyFramesLeft + 1;
        break;
    }
}

Turn VisitorSchedule::Next(uint64_t nowMs) {
    Turn turn;
    if (quitting) {
        // Escape stays down; the loop ends at the next frame.
        return turn;
    }
    if (!keysHeld.empty() && --keyFramesLeft <= 0) {
        turn.keysUp = std::move(keysHeld);
        keysHeld.clear();
    }
    if (buttonFramesLeft > 0 && --buttonFramesLeft == 0) {
        portByte = kNoButton;
    }
    turn.portByte = portByte;

    if (ordinaryFramesLeft > 0) {
        --ordinaryFramesLeft;
        return turn;
    }
    if (slowFramesLeft > 0) {
        --slowFramesLeft;
        turn.extraMs = Uniform(kMinSlowFrameMs, kMaxSlowFrameMs);
        return turn;
    }
    if (nowMs >= dayMs) {
        quitting = true;
        turn.quit = true;
        turn.keysDown.push_back(platform::VK_ESCAPE);
        return turn;
    }
    turn.extraMs = PickGapMs();
    StartAction(nowMs + turn.extraMs, turn);
    return turn;
}

} // namespace soak
