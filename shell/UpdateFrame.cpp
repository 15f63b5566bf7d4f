#include "shell/UpdateFrame.h"

#include "camera/CameraRig.h"
#include "input/ButtonPanel.h"
#include "input/InputAggregation.h"
#include "platform/DebugOutput.h"
#include "platform/ParallelPort.h"
#include "platform/Process.h"
#include "platform/VirtualKeys.h"
#include "render/CelShading.h"
#include "scenes/Scene.h"
#include "stats/VisitRecording.h"

#include <cstdio>

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
constexpr SceneLine kSceneLines[kSceneLineCount] = {
    {'L', 3, "Horse"},
    {'K', 2, "Mountain"},
    {'J', 1, "Parthenon"},
    {'H', 4, "Cubes"},
};

constexpr const char* kPoseFormat = "pos: %f %f %f rot: %f %f %f %f\n";
// Seven floats in %f take at most 47 characters each.
constexpr size_t kPoseLineSize = 512;

// The key table exists only once start-up has run; before that every key reads as up.
bool KeyDown(const Presentation& show, uint32_t key) {
    return show.currentKeys != nullptr && (*show.currentKeys)[key];
}

void ClearKey(Presentation& show, uint32_t key) {
    if (show.currentKeys != nullptr) {
        (*show.currentKeys)[key] = false;
    }
}

// True when the key was down; the key then reads as up until it is pressed (or repeats) again.
bool TakeKey(Presentation& show, uint32_t key) {
    if (!KeyDown(show, key)) {
        return false;
    }
    ClearKey(show, key);
    return true;
}

void PrintCameraPose(const Camera& camera) {
    const Vec3& p = camera.position;
    const Quaternion& r = camera.rotation;
    char line[kPoseLineSize];
    std::snprintf(line, sizeof line, kPoseFormat, p.x, p.y, p.z, r.x, r.y, r.z, r.w);
    platform::WriteDebugLine(line);
}

void HandleOperatorKeys(Presentation& show) {
    if (KeyDown(show, kQuitKey)) {
        const uint32_t processId = platform::GetCurrentProcessId();
        platform::ClosePortSession(processId);
        RequestQuit(show.currentWindow);
    }
    if (KeyDown(show, kToggleFullScreenKey)) {
        RequestToggleFullScreen(show.currentWindow);
    }
    if (TakeKey(show, kToggleOutlinesKey)) {
        ToggleOutlines(show.celShading);
    }
    if (TakeKey(show, kToggleOutlineSmoothingKey)) {
        ToggleOutlineSmoothing(show.celShading);
    }
    if (TakeKey(show, kToggleCaptureOutlinesKey)) {
        show.captureOutlines = !show.captureOutlines;
    }
    if (TakeKey(show, kWiderOutlineKey)) {
        WidenOutline(show.celShading);
    }
    if (TakeKey(show, kNarrowerOutlineKey)) {
        NarrowOutline(show.celShading);
    }
    if (TakeKey(show, kPrintPoseKey)) {
        PrintCameraPose(show.scenes.rig.mainCamera);
    }
}

void SwitchTo(SceneRegistry& scenes, const SceneLine& line, stats::StartCause cause, bool newPress) {
    Scene* scene = scenes.Find(line.scene);
    if (scene != nullptr && scene->PressedWhileRunning()) {
        if (newPress) {
            scenes.visits.RecordPressWhileRunning(line.scene, cause);
        }
        return;
    }
    if (scenes.Start(line.scene)) {
        scenes.visits.RecordSceneStart(line.scene, cause);
    }
}

// Before start-up there is no window and so no panel: no button is held.
int ReadButtons(const Presentation& show) {
    const AppWindow* window = show.currentWindow;
    return window != nullptr && window->buttons != nullptr ? window->buttons->Read() : 0;
}

void HandleSceneLines(Presentation& show) {
    for (size_t i = 0; i < kSceneLineCount; ++i) {
        const SceneLine& line = kSceneLines[i];
        // The port is read only for a line whose key is up.
        const bool byKey = KeyDown(show, line.key);
        const bool asked = byKey || ReadButtons(show) == line.button;
        if (asked) {
            ClearKey(show, line.key);
            SwitchTo(show.scenes, line, byKey ? stats::StartCause::Key : stats::ButtonCause(line.button),
                     !show.lineAsked[i]);
        }
        show.lineAsked[i] = asked;
    }
}

} // namespace

void UpdateFrame(Presentation& show, uint32_t elapsedMs) {
    show.frameMilliseconds = static_cast<float>(elapsedMs);
    HandleOperatorKeys(show);
    HandleSceneLines(show);
    // Held, not cleared: hand steering is asked for again every frame.
    if (KeyDown(show, kFreeCameraKey)) {
        show.scenes.rig.mainCamera.SetMode(Free);
    }
    PollInputDevices(show.input, show.scenes.rig.mainCamera);
    show.scenes.StepAll();
    MoveBob(show.celShading, show.frameMilliseconds);
}
