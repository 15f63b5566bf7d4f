#include "shell/StartUp.h"

#include "camera/CameraRig.h"
#include "camera/Waypoints.h"
#include "core/ContentLoads.h"
#include "media/Sound.h"
#include "platform/ParallelPort.h"
#include "platform/Process.h"
#include "render/CelShading.h"
#include "render/ScreenEffects.h"
#include "render/ShadeRamp.h"
#include "scenes/Scene.h"
#include "scenes/Scenes.h"
#include "shell/CaptureList.h"
#include "shell/ContentCheck.h"
#include "stats/VisitRecording.h"

namespace {

constexpr GLfloat kClearGrey = 0.7f;
constexpr GLfloat kClearAlpha = 0.0f;
constexpr const char* kFirstScene = "MainScreen";
constexpr const char* kNoCaptureList = "OpenGL gave no display list for the capture of the small render";

} // namespace

bool StartUp(Presentation& show, AppWindow* appWindow, KeyTable* keys, std::string* whyNot) {
    show.currentWindow = appWindow;
    show.currentKeys = keys;
    // A new window's loop says its status afresh, as it did before the window changed.
    show.status = StatusReporter();
    SetModelGlState();
    glClearColor(kClearGrey, kClearGrey, kClearGrey, kClearAlpha);

    float ramp[kShadeRampSize][3];
    const ContentReport rampReport = CheckShadeRamp(ramp);
    ReportContentLoad(rampReport.path, rampReport.problem.empty());
    if (rampReport.unreadable) {
        if (whyNot) {
            *whyNot = rampReport.path + ": " + rampReport.problem;
        }
        return false;
    }
    CelShadingState& shading = show.celShading;
    shading.shadeTexture = CreateShadeTexture(ramp);

    shading.lightDirection = Vec3(0.0f, 0.0f, 1.0f);
    shading.lightDirection.Normalize();

    CreateScenes(show.scenes);
    // Aimed before the waypoints get their poses, so the first flight starts out towards the origin.
    CameraRig& rig = show.scenes.rig;
    rig.mainCamera.SetTarget(&rig.waypointBooth);
    show.glow.sceneTexture = CreateEmptyTexture(sceneTextureSize, sceneTextureSize);
    AssignWaypointPoses(rig);
    if (show.scenes.Start(kFirstScene)) {
        show.scenes.visits.RecordSceneStart(kFirstScene, stats::StartCause::StartUp);
    }

    // Without port access the button panel reads as idle, so a failure needs no handling here.
    platform::OpenPortSession(platform::GetCurrentProcessId());
    // One player serves every window, so that a toggle neither cuts the music nor opens the output twice.
    if (!show.scenes.soundInstance) {
        show.scenes.soundInstance = std::make_unique<FMODSound>();
    }

    show.blurList = BuildBlurList(appWindow->view, show.glow.sceneTexture);
    show.captureList = BuildCaptureList(show, appWindow->view);
    if (show.captureList == 0) {
        if (whyNot) {
            *whyNot = kNoCaptureList;
        }
        return false;
    }
    // Only a window that runs is handed to the input devices.
    show.input.window = appWindow->window;
    show.input.instance = appWindow->appClass != nullptr ? appWindow->appClass->instance : nullptr;
    return true;
}

void ShutDown(Presentation& show) {
    glDeleteTextures(1, &show.celShading.shadeTexture);
    // The next window makes its own scenes; these would otherwise keep their movies open for good.
    DestroyScenes(show.scenes);
}
