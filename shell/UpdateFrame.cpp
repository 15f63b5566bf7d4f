#include "shell/UpdateFrame.h"

#include "camera/Camera.h"
#include "input/ButtonPanel.h"
#include "input/InputAggregation.h"
#include "platform/DebugOutput.h"
#include "platform/ParallelPort.h"
#include "platform/Process.h"
#include "platform/VirtualKeys.h"
#include "render/CelShading.h"
#include "scenes/Scene.h"
#include "shell/DrawFrame.h"
#include "shell/StartUp.h"
#include "stats/VisitRecording.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

// Operator keys (virtual-key codes; letters and digits are their ASCII capitals).
constexpr uint32_t kQuitKey = platform::VK_ESCAPE;
constexpr uint32_t kToggleFullScreenKey = platform::VK_F1;
constexpr uint32_t kToggleOutlinesKey = '1';
constexpr uint32_t kToggleOutlineSmoothingKey = '2';
constexpr uint32_t kToggleCaptureOutlinesKey = '3';
constexpr uint32_t kWiderOutlineKey = platform::VK_UP;
constexpr uint32_t kNarrowerOutlineKey = platform::VK_DOWN;
constexpr uint32_t kPrintPoseKey = 'C';
constexpr uint32_t kFreeCameraKey = 'F';

// A scene change asked for by an operator key or by a visitor's button.
struct SceneLine {
    uint32_t key;
    int button;
    const char* scene;
};
constexpr SceneLine kSceneLines[] = {
    {'L', 3, "Horse"},
    {'K', 2, "Mountain"},
    {'J', 1, "Parthenon"},
    {'H', 4, "Cubes"},
};

constexpr const char* kPoseFormat = "pos: %f %f %f rot: %f %f %f %f\n";
// Seven floats in %f take at most 47 characters each.
constexpr size_t kPoseLineSize = 512;

// The key table exists only once start-up has run; before that every key reads as up.
bool KeyDown(uint32_t key) {
    return currentKeys != nullptr && (*currentKeys)[key];
}

void ClearKey(uint32_t key) {
    if (currentKeys != nullptr) {
        (*currentKeys)[key] = false;
    }
}

// True when the key was down; the key then reads as up until it is pressed (or repeats) again.
bool TakeKey(uint32_t key) {
    if (!KeyDown(key)) {
        return false;
    }
    ClearKey(key);
    return true;
}

void PrintCameraPose() {
    const Vec3& p = mainCamera.position;
    const Quaternion& r = mainCamera.rotation;
    char line[kPoseLineSize];
    std::snprintf(line, sizeof line, kPoseFormat, p.x, p.y, p.z, r.x, r.y, r.z, r.w);
    platform::OutputDebugString(line);
}

void HandleOperatorKeys() {
    if (KeyDown(kQuitKey)) {
        const uint32_t processId = platform::GetCurrentProcessId();
        platform::ClosePortSession(processId);
        RequestQuit(currentWindow);
    }
    if (KeyDown(kToggleFullScreenKey)) {
        RequestToggleFullScreen(currentWindow);
    }
    if (TakeKey(kToggleOutlinesKey)) {
        ToggleOutlines();
    }
    if (TakeKey(kToggleOutlineSmoothingKey)) {
        ToggleOutlineSmoothing();
    }
    if (TakeKey(kToggleCaptureOutlinesKey)) {
        captureOutlines = !captureOutlines;
    }
    if (TakeKey(kWiderOutlineKey)) {
        WidenOutline();
    }
    if (TakeKey(kNarrowerOutlineKey)) {
        NarrowOutline();
    }
    if (TakeKey(kPrintPoseKey)) {
        PrintCameraPose();
    }
}

// Whether each line asked for its scene in the previous frame: a held button is one press.
bool lineAsked[std::size(kSceneLines)] = {};

void SwitchTo(const SceneLine& line, stats::StartCause cause, bool newPress) {
    Scene* scene = FindScene(line.scene);
    if (scene != nullptr && scene->PressedWhileRunning()) {
        if (newPress) {
            stats::RecordPressWhileRunning(line.scene, cause);
        }
        return;
    }
    if (StartScene(line.scene)) {
        stats::RecordSceneStart(line.scene, cause);
    }
}

// Before start-up there is no window and so no panel: no button is held.
int ReadButtons() {
    return currentWindow != nullptr && currentWindow->buttons != nullptr ? currentWindow->buttons->Read() : 0;
}

void HandleSceneLines() {
    for (size_t i = 0; i < std::size(kSceneLines); ++i) {
        const SceneLine& line = kSceneLines[i];
        // The port is read only for a line whose key is up.
        const bool byKey = KeyDown(line.key);
        const bool asked = byKey || ReadButtons() == line.button;
        if (asked) {
            ClearKey(line.key);
            SwitchTo(line, byKey ? stats::StartCause::Key : stats::ButtonCause(line.button), !lineAsked[i]);
        }
        lineAsked[i] = asked;
    }
}

} // namespace

float frameMilliseconds = 0.0f;
bool captureOutlines = true;

void ResetUpdateFrameGlobalsForTests() {
    frameMilliseconds = 0.0f;
    captureOutlines = true;
    std::fill(std::begin(lineAsked), std::end(lineAsked), false);
}

void UpdateFrame(uint32_t elapsedMs) {
    frameMilliseconds = static_cast<float>(elapsedMs);
    HandleOperatorKeys();
    HandleSceneLines();
    // Held, not cleared: hand steering is asked for again every frame.
    if (KeyDown(kFreeCameraKey)) {
        mainCamera.SetMode(Free);
    }
    PollInputDevices();
    StepScenes();
    MoveBob(frameMilliseconds);
}
