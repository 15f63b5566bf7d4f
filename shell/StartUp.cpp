#include "shell/StartUp.h"

#include "camera/Camera.h"
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

AppWindow* currentWindow = nullptr;
KeyTable* currentKeys = nullptr;
GLuint blurList = 0;
GLuint captureList = 0;

void ResetStartUpGlobalsForTests() {
    currentWindow = nullptr;
    currentKeys = nullptr;
    blurList = 0;
    captureList = 0;
}

bool StartUp(AppWindow* appWindow, KeyTable* keys, std::string* whyNot) {
    currentWindow = appWindow;
    currentKeys = keys;
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
    celShading.shadeTexture = CreateShadeTexture(ramp);

    celShading.lightDirection = Vec3(0.0f, 0.0f, 1.0f);
    celShading.lightDirection.Normalize();

    CreateScenes();
    // Aimed before the waypoints get their poses, so the first flight starts out towards the origin.
    mainCamera.SetTarget(&waypointBooth);
    sceneTexture = CreateEmptyTexture(sceneTextureSize, sceneTextureSize);
    AssignWaypointPoses();
    if (StartScene(kFirstScene)) {
        stats::RecordSceneStart(kFirstScene, stats::StartCause::StartUp);
    }

    // Without port access the button panel reads as idle, so a failure needs no handling here.
    platform::OpenPortSession(platform::GetCurrentProcessId());
    // One player serves every window: it makes itself the current one and lives to the end of the
    // process.
    if (soundInstance == nullptr) {
        new FMODSound();
    }

    blurList = BuildBlurList();
    captureList = BuildCaptureList();
    if (captureList == 0 && whyNot) {
        *whyNot = kNoCaptureList;
    }
    return captureList != 0;
}

void ShutDown() {
    glDeleteTextures(1, &celShading.shadeTexture);
    // The next window makes its own scenes; these would otherwise keep their movies open for good.
    DestroyScenes();
}
