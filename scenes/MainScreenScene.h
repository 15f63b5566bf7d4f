// The start screen: cycles three pictures over the top of the screen while the camera tours the four booth
// waypoints in a fixed pseudo-random order.
#pragma once

#include "scenes/Scene.h"

#include <cstdint>

// The booth tour's generator, never seeded, so every run tours in the same order: a 32-bit linear
// congruential state starting at 1; each draw yields a number from 0 to 32767.
int32_t NextBoothRandom(StartScreenState& startScreen);

class MainScreenScene final : public Scene {
public:
    // Registers as "MainScreen" and loads the three pictures; needs a current OpenGL context.
    explicit MainScreenScene(SceneRegistry& registry);

    bool ShouldStart() override { return false; }
    // Stops the other scenes (not the music: a stopped exhibit silences itself), flies to "Booth" and
    // restarts the picture and booth timings.
    void OnEnter() override;
    // Changes the picture every 5 s and, after 15 s and every 10 s after that, flies to another booth.
    void Update() override;
    // The current picture over the top 45 % of the viewport; drawn during flights too.
    void Draw(const View& view) override;
    bool IsFinished() override { return false; }
    void OnLeave() override { leaving = false; }

    // Seconds of scene clock before the first booth change of a visit.
    static constexpr int32_t kFirstBoothChange = 15;

    int32_t imageIndex = 0; // kept across visits
    int32_t imageCount = 3;
    int32_t nextCameraChange = kFirstBoothChange; // seconds of scene clock
};
