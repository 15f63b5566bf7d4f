#include "scenes/CubesScene.h"

#include "camera/CameraRig.h"
#include "media/Sound.h"
#include "media/VideoCarousel.h"
#include "scenes/ContentPaths.h"
#include "scenes/ExhibitScene.h"
#include "scenes/OverlayQuad.h"
#include "scenes/PictureTextures.h"
#include "stats/VisitRecording.h"

namespace {

constexpr float kTitleAlpha = 0.85f;
// Fractions of the viewport: the middle half of the width, from 2.5 % to 25 % of the height.
constexpr double kTitleLeft = 0.25;
constexpr double kTitleTop = 0.025;
constexpr double kTitleRight = 0.75;
constexpr double kTitleBottom = 0.25;

} // namespace

CubesScene::CubesScene(SceneRegistry& scenes)
    : Scene(scenes, "Cubes", kSceneVisible), carousel(new VideoCarousel) {
    LoadPicture(registry.pictures, &registry.pictures.cubesTexture, kCubesTitlePath);
    for (const char* path : kBoothMoviePaths) {
        carousel->AddClip(path);
    }
    carousel->Open();
}

CubesScene::~CubesScene() {
    delete carousel;
}

void CubesScene::OnEnter() {
    registry.Stop("MainScreen");
    registry.Stop("Horse");
    registry.Stop("Mountain");
    registry.Stop("Parthenon");
    registry.rig.mainCamera.SetTarget(&registry.rig.waypointCubes);
    registry.rig.mainCamera.SetMode(FlyTo);
    carousel->Rewind();
    if (registry.soundInstance) {
        registry.soundInstance->StopTrack();
    }
    timeout = sceneTimeout;
}

bool CubesScene::IsFinished() {
    if (clock.Elapsed() > timeout) {
        if (registry.Start("MainScreen")) {
            registry.visits.RecordSceneStart("MainScreen", stats::StartCause::TimeOut);
        }
        return true;
    }
    return false;
}

void CubesScene::Draw(const View&) {
    if (registry.rig.mainCamera.inFlight) {
        return;
    }
    DrawCarousel();
    DrawOverlayQuad(registry.pictures.cubesTexture, kTitleAlpha, kTitleLeft, kTitleTop, kTitleRight,
                    kTitleBottom);
}

bool CubesScene::PressedWhileRunning() {
    if (!active) {
        return false;
    }
    carousel->Next();
    KeepAlive();
    return true;
}

void CubesScene::DrawIntoCapture() {
    if (active && !registry.rig.mainCamera.inFlight) {
        DrawCarousel();
    }
}

void CubesScene::DrawCarousel() {
    const uint64_t before = carousel->shared.framesShown;
    carousel->Draw();
    registry.movieFramesShown += carousel->shared.framesShown - before;
}

void CubesScene::KeepAlive() {
    timeout = static_cast<float>(clock.Elapsed() + sceneTimeout);
}
