#include "scenes/MainScreenScene.h"

#include "camera/Camera.h"
#include "camera/Waypoints.h"
#include "scenes/ContentPaths.h"
#include "scenes/OverlayQuad.h"
#include "scenes/PictureTextures.h"

int32_t lastImageSwitch = 0;
int32_t lastBoothPick = 0;

namespace {

constexpr uint32_t kRandomStart = 1;
constexpr uint32_t kRandomMultiplier = 214013;
constexpr uint32_t kRandomIncrement = 2531011;
uint32_t randomState = kRandomStart;

constexpr double kPictureInterval = 5.0;     // seconds a picture stays
constexpr int32_t kBoothChangeInterval = 10; // seconds between booth changes after the first
constexpr int kBoothCount = 4;
constexpr float kPictureAlpha = 0.85f;
constexpr double kPictureBottom = 0.45; // of the viewport's height

SceneNode* BoothWaypoint(int index) {
    SceneNode* const booths[kBoothCount] = {&waypointBooth, &waypointBooth1, &waypointBooth2,
                                            &waypointBooth3};
    return booths[index];
}

void FlyCameraTo(SceneNode* waypoint) {
    mainCamera.SetTarget(waypoint);
    mainCamera.SetMode(FlyTo);
}

} // namespace

int32_t NextBoothRandom() {
    randomState = randomState * kRandomMultiplier + kRandomIncrement;
    return static_cast<int32_t>((randomState >> 16) & 0x7FFF);
}

void ResetStartScreenStateForTests() {
    randomState = kRandomStart;
    lastImageSwitch = 0;
    lastBoothPick = 0;
}

MainScreenScene::MainScreenScene(SceneRegistry& scenes) : Scene(scenes, "MainScreen", kSceneVisible) {
    for (int i = 0; i < 3; ++i) {
        LoadPicture(&startScreenTextures[i], kStartScreenPicturePaths[i]);
    }
}

void MainScreenScene::OnEnter() {
    registry.Stop("Parthenon");
    registry.Stop("Horse");
    registry.Stop("Mountain");
    registry.Stop("Cubes");
    FlyCameraTo(&waypointBooth);
    nextCameraChange = kFirstBoothChange;
    lastImageSwitch = 0;
}

void MainScreenScene::Update() {
    if (clock.Elapsed() - lastImageSwitch > kPictureInterval) {
        imageIndex = (imageIndex + 1) % imageCount;
        lastImageSwitch = static_cast<int32_t>(clock.Elapsed());
    }
    if (clock.Elapsed() > nextCameraChange) {
        nextCameraChange += kBoothChangeInterval;
        int pick = NextBoothRandom() % kBoothCount;
        while (pick == lastBoothPick) {
            pick = NextBoothRandom() % kBoothCount;
        }
        lastBoothPick = pick;
        FlyCameraTo(BoothWaypoint(pick));
    }
}

void MainScreenScene::Draw() {
    const int shown = imageIndex == 0 ? 0 : imageIndex == 1 ? 1 : 2;
    DrawOverlayQuad(startScreenTextures[shown], kPictureAlpha, 0.0, 0.0, 1.0, kPictureBottom);
}
