#include "scenes/ExhibitScene.h"

#include "camera/CameraRig.h"
#include "media/Sound.h"
#include "scenes/ContentPaths.h"
#include "scenes/OverlayQuad.h"
#include "scenes/PictureTextures.h"
#include "core/View.h"
#include "stats/VisitRecording.h"

namespace {

// clang-format off
const ExhibitSetup kHorse = {
    "Horse",
    kHorseScrollPath,
    &PictureTextures::scrollTextureHorse,
    &CameraRig::waypointHorse,
    kHorseTrackPath,
    {"MainScreen", "Parthenon", "Mountain", "Cubes"},
};
const ExhibitSetup kMountain = {
    "Mountain",
    kMountainScrollPath,
    &PictureTextures::scrollTextureMountain,
    &CameraRig::waypointMountain,
    kMountainTrackPath,
    {"MainScreen", "Parthenon", "Horse", "Cubes"},
};
const ExhibitSetup kParthenon = {
    "Parthenon",
    kParthenonScrollPath,
    &PictureTextures::scrollTextureParthenon,
    &CameraRig::waypointParthenon,
    kParthenonTrackPath,
    {"MainScreen", "Horse", "Mountain", "Cubes"},
};
// clang-format on

constexpr float kTrackStart = 0.0f; // seconds into the track
constexpr double kRevealSeconds = 3.0;
// Of the window's height per second, in single precision as the reveal has always been timed.
constexpr double kRevealRate = static_cast<float>(1.0 / kRevealSeconds);
constexpr float kScrollAlpha = 0.9f;
// The picture spans the viewport's width and its height but for a margin above and below.
constexpr double kScrollTop = 0.025;
constexpr double kScrollBottom = 0.975;
// The reveal's box starts one column in, so column 0 of the window is never drawn.
constexpr GLint kRevealLeft = 1;

} // namespace

ExhibitScene::ExhibitScene(SceneRegistry& scenes, const ExhibitSetup& exhibit)
    : Scene(scenes, exhibit.name, kSceneVisible), setup(exhibit) {
    LoadPicture(registry.pictures, &(registry.pictures.*setup.scrollTexture), setup.scrollPath);
}

HorseScene::HorseScene(SceneRegistry& scenes) : ExhibitScene(scenes, kHorse) {}
MountainScene::MountainScene(SceneRegistry& scenes) : ExhibitScene(scenes, kMountain) {}
ParthenonScene::ParthenonScene(SceneRegistry& scenes) : ExhibitScene(scenes, kParthenon) {}

void ExhibitScene::OnEnter() {
    for (const char* other : setup.othersToStop) {
        registry.Stop(other);
    }
    CameraRig& rig = registry.rig;
    rig.mainCamera.SetTarget(&(rig.*setup.waypoint));
    rig.mainCamera.SetMode(FlyTo);
    revealRunning = false;
    revealPending = true;
    // No player (start-up makes it after the first scenes start) means no music, nothing else.
    if (registry.soundInstance) {
        registry.soundInstance->PlayTrack(setup.track, kTrackStart);
    }
}

bool ExhibitScene::IsFinished() {
    if (clock.Elapsed() > sceneTimeout) {
        if (registry.Start("MainScreen")) {
            registry.visits.RecordSceneStart("MainScreen", stats::StartCause::TimeOut);
        }
        return true;
    }
    return false;
}

void ExhibitScene::OnLeave() {
    if (registry.soundInstance) {
        registry.soundInstance->StopTrack();
    }
    leaving = false;
}

float ExhibitScene::RevealHeight(const View& view) {
    if (revealClock.Elapsed() > kRevealSeconds) {
        revealRunning = false;
    }
    if (revealRunning) {
        return static_cast<float>(view.height * (revealClock.Elapsed() * kRevealRate));
    }
    return view.height;
}

void ExhibitScene::Draw(const View& view) {
    if (registry.rig.mainCamera.inFlight) {
        return;
    }
    if (revealPending) {
        revealRunning = true;
        revealClock.Reset();
    }
    revealPending = false;
    // In window coordinates the box reaches from viewHeight - h up past the top edge, so only the
    // top h rows are drawn.
    DrawOverlayQuad(registry.pictures.*setup.scrollTexture, kScrollAlpha, 0.0, kScrollTop, 1.0, kScrollBottom,
                    [this, &view] {
                        ScissorBox box;
                        box.x = kRevealLeft;
                        box.y = static_cast<GLint>(view.height - RevealHeight(view));
                        box.width = static_cast<GLsizei>(view.width);
                        box.height = static_cast<GLsizei>(view.height);
                        return box;
                    });
}
