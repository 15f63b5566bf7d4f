#include "PresentationProbe.h"

#include "camera/CameraRig.h"
#include "media/Sound.h"
#include "media/VideoCarousel.h"
#include "scenes/CubesScene.h"
#include "scenes/ExhibitScene.h"
#include "scenes/Scene.h"

#include <cmath>

namespace soak {

namespace {

constexpr const char* kStartScreenKey = "mainscreen";
constexpr const char* kCubesName = "Cubes";

std::string NonFiniteCameraValue(const Camera& camera) {
    const Vec3& p = camera.position;
    const Quaternion& r = camera.rotation;
    const float pose[] = {p.x, p.y, p.z, r.x, r.y, r.z, r.w};
    for (float value : pose) {
        if (!std::isfinite(value)) {
            return "the camera's pose holds a non-finite value";
        }
    }
    for (float value : camera.matrix.m) {
        if (!std::isfinite(value)) {
            return "the camera's matrix holds a non-finite value";
        }
    }
    return {};
}

std::string TwoScenesRunning(const SceneRegistry& scenes) {
    std::string running;
    int count = 0;
    for (const auto& [key, scene] : scenes.Entries()) {
        if (scene->active) {
            running += (count++ ? ", " : "") + key;
        }
    }
    return count > 1 ? "several scenes run at once: " + running : std::string();
}

} // namespace

void PresentationProbe::AfterStartUp() {
    startUpSeen = true;
    // Shut-down destroyed the previous window's scenes; a new scene may sit where an old one was.
    wasActive.clear();
    revealWasRunning.clear();
}

std::string PresentationProbe::AfterFrame() {
    ++events.frames;
    std::string broken = NonFiniteCameraValue(scenes.rig.mainCamera);
    if (broken.empty()) {
        broken = TwoScenesRunning(scenes);
    }
    // Reveals first: they compare with the scenes' running state of the previous frame.
    CountReveals();
    CountSceneStarts();
    CountFlight();
    CountMovies();
    CountTracks();
    startUpSeen = false;
    return broken;
}

void PresentationProbe::CountSceneStarts() {
    for (const auto& [key, scene] : scenes.Entries()) {
        bool& was = wasActive[scene];
        if (scene->active && !was) {
            ++events.sceneStarts[key];
            events.startOrder.push_back(key);
            if (key == kStartScreenKey && !startUpSeen) {
                ++events.startScreenReturns;
            }
        }
        was = scene->active;
    }
}

void PresentationProbe::CountFlight() {
    const Camera& camera = scenes.rig.mainCamera;
    if (wasInFlight && !camera.inFlight && camera.mode == FlyTo) {
        ++events.flightsArrived;
    }
    wasInFlight = camera.inFlight;
}

void PresentationProbe::CountReveals() {
    for (const auto& [key, scene] : scenes.Entries()) {
        auto* exhibit = dynamic_cast<ExhibitScene*>(scene);
        if (exhibit == nullptr) {
            continue;
        }
        bool& was = revealWasRunning[scene];
        // Only within one run: a new run's OnEnter disarms a reveal that an earlier run left unfinished.
        const bool sameRun = exhibit->active && wasActive[scene];
        if (exhibit->revealRunning && !was) {
            ++events.revealsStarted;
        } else if (!exhibit->revealRunning && was && sameRun) {
            ++events.scrollsUnrolled;
        }
        was = exhibit->revealRunning;
    }
}

void PresentationProbe::CountMovies() {
    auto* cubes = dynamic_cast<CubesScene*>(scenes.Find(kCubesName));
    if (cubes == nullptr || cubes->carousel == nullptr) {
        return;
    }
    const VideoCarousel& carousel = *cubes->carousel;
    if (carousel.state == VideoCarousel::kSliding && lastCarouselState != VideoCarousel::kSliding) {
        ++events.slides;
    }
    lastCarouselState = carousel.state;
    if (!cubes->active || carousel.centre < 0 || carousel.centre >= static_cast<int>(carousel.clips.size())) {
        return;
    }
    const int frame = carousel.clips[static_cast<size_t>(carousel.centre)].frame;
    if (carousel.centre != lastCentreClip || frame != lastMovieFrame) {
        ++events.movieFramesShown;
    }
    lastCentreClip = carousel.centre;
    lastMovieFrame = frame;
}

void PresentationProbe::CountTracks() {
    const FMODSound* const soundInstance = scenes.soundInstance.get();
    if (soundInstance == nullptr) {
        return;
    }
    if (soundInstance != lastPlayer) {
        lastPlayer = soundInstance;
        lastTrack = soundInstance->currentTrack;
        return;
    }
    if (soundInstance->currentTrack != lastTrack) {
        lastTrack = soundInstance->currentTrack;
        ++events.tracksStarted;
        if (!soundInstance->stream) {
            ++events.tracksWithoutStream;
        }
    }
}

} // namespace soak
