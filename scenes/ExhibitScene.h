// The three exhibits: a flight to the exhibit's waypoint, its music and its unrolling scroll picture.
#pragma once

#include "scenes/Scene.h"

#include "platform/OpenGl.h"

// Seconds an exhibit (and the video stage) runs before the start screen returns.
constexpr float sceneTimeout = 35.0f;

// What sets one exhibit apart from the others.
struct ExhibitSetup {
    const char* name;
    const char* scrollPath;
    GLuint PictureTextures::*scrollTexture;
    SceneNode CameraRig::*waypoint;
    const char* track;
    const char* othersToStop[4]; // in the order their OnEnter stops them
};

class ExhibitScene : public Scene {
public:
    bool ShouldStart() override { return false; }
    // Stops the other scenes, flies to the waypoint, arms the reveal and starts the track from 0 s.
    void OnEnter() override;
    void Update() override {}
    // Nothing during a flight; then the scroll picture, unrolled over 3 s after the first arrival.
    void Draw(const View& view) override;
    // Past the time-out: starts the start screen and ends.
    bool IsFinished() override;
    // Stopping the track twice is harmless, as this runs twice when the time is up.
    void OnLeave() override;

    // Rows from the top of the window that the reveal lets through now; ends the reveal after 3 s.
    float RevealHeight(const View& view);

    // Both are armed by OnEnter before they are first read; false until then.
    bool revealRunning = false;
    bool revealPending = false;
    PerfTimer revealClock;

protected:
    // Registers under the setup's name and loads its scroll picture; needs a current OpenGL context.
    ExhibitScene(SceneRegistry& registry, const ExhibitSetup& setup);
    ~ExhibitScene() = default;

private:
    const ExhibitSetup& setup;
};

class HorseScene final : public ExhibitScene {
public:
    explicit HorseScene(SceneRegistry& registry);
};

class MountainScene final : public ExhibitScene {
public:
    explicit MountainScene(SceneRegistry& registry);
};

class ParthenonScene final : public ExhibitScene {
public:
    explicit ParthenonScene(SceneRegistry& registry);
};
