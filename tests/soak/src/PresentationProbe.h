// Looks at the running presentation after each frame: checks what must hold in every frame (a camera of
// finite numbers, at most one scene running) and counts what happened (flights that arrived, scrolls that
// unrolled, movie frames shown, carousel slides, tracks started, returns to the start screen).
#pragma once

#include <map>
#include <string>
#include <vector>

class Scene;
class SceneRegistry;

namespace soak {

struct PresentationEvents {
    int frames = 0;
    int flightsArrived = 0;
    int revealsStarted = 0;
    int scrollsUnrolled = 0;
    int movieFramesShown = 0;
    int slides = 0;
    int tracksStarted = 0;
    int tracksWithoutStream = 0; // a new track that the player could not open
    int startScreenReturns = 0;
    std::map<std::string, int> sceneStarts; // by registry key
    std::vector<std::string> startOrder;    // the registry key of every start, in order
};

class PresentationProbe {
public:
    // Looks at these scenes, which must outlive the probe.
    explicit PresentationProbe(const SceneRegistry& scenes) : scenes(scenes) {}

    // After each drawn frame. Returns a description of the first broken rule, or an empty string.
    std::string AfterFrame();
    // Start-up made new scenes and a new player; forget what was seen of the old window.
    void AfterStartUp();

    const PresentationEvents& Events() const { return events; }

private:
    void CountSceneStarts();
    void CountFlight();
    void CountReveals();
    void CountMovies();
    void CountTracks();

    const SceneRegistry& scenes;
    PresentationEvents events;
    std::map<const Scene*, bool> wasActive;
    std::map<const Scene*, bool> revealWasRunning;
    bool wasInFlight = false;
    bool startUpSeen = false; // the start screen's first run after a start-up is not a return
    int lastCentreClip = -1;
    int lastMovieFrame = -1;
    int lastCarouselState = 0;
    const void* lastPlayer = nullptr;
    std::string lastTrack;
};

} // namespace soak
