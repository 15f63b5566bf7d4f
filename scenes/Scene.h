// The stages of the presentation and the registry that addresses them by name: find, start, stop, and the
// per-frame step and overlay drawing of every registered scene.
#pragma once

#include "camera/CameraRig.h"
#include "core/PerfTimer.h"
#include "core/View.h"
#include "media/Sound.h"
#include "scenes/PictureTextures.h"
#include "stats/VisitRecording.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class Scene;

// The start screen's tour, kept across its visits and windows.
struct StartScreenState {
    // The booth generator's state.
    uint32_t randomState = 1;
    // When the picture last changed, in whole seconds of the start screen's clock (restarted with the
    // clock on every entry), and the index (0 "Booth" .. 3 "Booth3") of the booth picked last.
    int32_t lastImageSwitch = 0;
    int32_t lastBoothPick = 0;
};

// Lower-case name -> scene, in byte-wise order of the names (the order of stepping and drawing). It never
// owns a scene: the program creates its scenes for each window and destroys them before the window goes,
// and each scene takes itself out when destroyed. Scenes switch one another on and off through it, and
// keep in it what outlives them.
class SceneRegistry {
public:
    SceneRegistry() = default;
    SceneRegistry(const SceneRegistry&) = delete;
    SceneRegistry& operator=(const SceneRegistry&) = delete;

    // The scene registered under the name, compared without regard to case; null when there is none.
    Scene* Find(std::string name) const;
    // True when the named scene was idle and has been started (clock at 0, OnEnter, Update).
    bool Start(std::string name);
    // True when the named scene was running and has been stopped (OnLeave).
    bool Stop(std::string name);

    // Step of every registered scene with bit 0 of its flags, in registry order; once per frame.
    void StepAll();
    // DrawIfActive of every registered scene with bit 0 of its flags, in registry order, after the 3D image.
    void DrawAll(const View& view);
    // DrawIntoCapture of every registered scene, in registry order, while the glow's small render is drawn.
    void DrawAllIntoCapture();

    const std::map<std::string, Scene*>& Entries() const { return entries; }

    // What the scenes share and keep from one window's set of scenes to the next.
    PictureTextures pictures;
    StartScreenState startScreen;
    // The show's camera and the waypoints the scenes fly it to.
    CameraRig rig;
    // New pictures the movies have put on the video cubes, in every window so far.
    uint64_t movieFramesShown = 0;
    // The music player: made by the first start-up and kept for the whole show, so that each window's
    // scenes play through the same one; null while there is none, and then the exhibits are silent.
    std::unique_ptr<FMODSound> soundInstance;
    // The visitors' choices, recorded while the show has a database; the scenes record their time-outs.
    stats::VisitRecording visits;

private:
    friend class Scene;
    std::map<std::string, Scene*> entries;
};

// A scene registers itself under its lower-case name when constructed, and must not outlive its registry.
class Scene {
public:
    // Registers under the lower-case name, with a number appended when the name is taken
    // ("horse", then "horse1", "horse2", ...).
    Scene(SceneRegistry& registry, std::string name, uint32_t flags);
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    virtual void DrawIfActive(const View& view);
    // Ends a pending stop: true when the scene was leaving and is idle now.
    virtual bool EndLeaving();
    // A held scene neither steps nor draws, and its clock stands still.
    virtual void Pause();
    virtual void Resume();
    // Asked every frame while idle: true starts the scene by itself.
    virtual bool ShouldStart() = 0;
    virtual void OnEnter();
    // Once per frame while running, and once right after OnEnter.
    virtual void Update();
    // The scene's 2D overlay over the finished 3D image.
    virtual void Draw(const View& view);
    // Asked every frame while running: true ends the run.
    virtual bool IsFinished() = 0;
    // Runs on every stop, possibly twice for one run: it must be harmless when repeated.
    virtual void OnLeave();
    // The scene's own button pressed again: true when the scene took the press while running, false
    // to have it started as usual.
    virtual bool PressedWhileRunning();
    // What the scene adds to the small render the glow is made from.
    virtual void DrawIntoCapture();

    // The per-frame driver: finishes a running scene or updates it, or starts an idle one that asks to.
    void Step();

    bool paused = false;
    std::string name;
    uint32_t flags = 0; // bit 0: stepped and drawn each frame; no other bit is read
    PerfTimer clock;    // running time since the last start, paused time excluded
    bool active = false;
    bool leaving = false;
    SceneRegistry& registry;

protected:
    // Not virtual: scenes are never destroyed through a Scene pointer. Removes the registry entry,
    // so that a destroyed scene leaves no dangling pointer behind.
    ~Scene();
};

// Bit 0 of Scene::flags.
constexpr uint32_t kSceneVisible = 1u;
