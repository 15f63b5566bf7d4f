#include "scenes/MainScreenScene.h"

#include "camera/CameraRig.h"
#include "scenes/ContentPaths.h"
#include "scenes/OverlayQuad.h"
#include "scenes/PictureTextures.h"

namespace {

constexpr uint32_t kRandomMultiplier = 214013;
constexpr uint32_t kRandomIncrement = 2531011;

constexpr double kPictureInterval = 5.0;     // seconds a picture stays
constexpr int32_t kBoothChangeInterval = 10; // seconds between booth changes after the first
constexpr int kBoothCount = 4;
constexpr float kPictureAlpha = 0.85f;
constexpr double kPictureBottom = 0.45; // of the viewport's height

SceneNode* BoothWaypoint(CameraRig& rig, int index) {
    SceneNode* const booths[kBoothCount] = {&rig.waypointBooth, &rig.waypointBooth1, &rig.waypointBooth2,
                                            &rig.waypointBooth3};
    return booths[index];
}

void FlyCameraTo(CameraRig& rig, SceneNode* waypoint) {
    rig.mainCamera.SetTarget(waypoint);
    rig.mainCamera.SetMode(FlyTo);
}

} // namespace

int32_t NextBoothRandom(StartScreenState& startScreen) {
    uint32_t& state = startScreen.randomState;
    state = state * kRandomMultiplier + kRandomIncrement;
    return static_cast<int32_t>((state >> 16) & 0x7FFF);
}

MainScreenScene::MainScreenScene(SceneRegistry& scenes) : Scene(scenes, "MainScreen", kSceneVisible) {
    for (int i = 0; i < 3; ++i) {
        LoadPicture(registry.pictures, &registry.pictures.startScreenTextures[i],
                    kStartScreenPicturePaths[i]);
    }
}

void MainScreenScene::OnEnter() {
    registry.Stop("Parthenon");
    registry.Stop("Horse");
    registry.Stop("Mountain");
    registry.Stop("Cubes");
    FlyCameraTo(registry.rig, &registry.rig.waypointBooth);
    nextCameraChange = kFirstBoothChange;
    registry.startScreen.lastImageSwitch = 0;
}

void MainScreenScene::Update() {
    StartScreenState& state = registry.startScreen;
    if (clock.Elapsed() - state.lastImageSwitch > kPictureInterval) {
        imageIndex = (imageIndex + 1) % imageCount;
        state.lastImageSwitch = static_cast<int32_t>(clock.Elapsed());
    }
    if (clock.Elapsed() > nextCameraChange) {
        nextCameraChange += kBoothChangeInterval;
        int pick = NextBoothRandom(state) % kBoothCount;
        while (pick == state.lastBoothPick) {
            pick = NextBoothRandom(state) % kBoothCount;
        }
        state.lastBoothPick = pick;
        FlyCameraTo(registry.rig, BoothWaypoint(registry.rig, pick));
    }
}

void MainScreenScene::Draw(const View&) {
    const int shown = imageIndex == 0 ? 0 : imageIndex == 1 ? 1 : 2;
    DrawOverlayQuad(registry.pictures.startScreenTextures[shown], kPictureAlpha, 0.0, 0.0, 1.0,
                    kPictureBottom);
}
