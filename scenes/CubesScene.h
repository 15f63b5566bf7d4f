// The video stage: the movie carousel under a title picture, kept alive by its button.
#pragma once

#include "scenes/Scene.h"

class VideoCarousel;

class CubesScene final : public Scene {
public:
    // Registers as "Cubes", loads the title picture and opens the four movies (the last one is
    // opened but kept out of the ring). Needs a current OpenGL context.
    explicit CubesScene(SceneRegistry& registry);
    // Closes the movies; their textures go with the window's OpenGL context.
    ~CubesScene();

    bool ShouldStart() override { return false; }
    // Stops the other scenes, flies to "Cubes", puts the first movie in front, stops the music and
    // sets the time-out.
    void OnEnter() override;
    void Update() override {}
    // Nothing during a flight; then the carousel and the title over the top of the screen.
    void Draw(const View& view) override;
    // Past the time-out: starts the start screen and ends.
    bool IsFinished() override;
    void OnLeave() override { leaving = false; }
    // While running: the next movie to the front, and more time.
    bool PressedWhileRunning() override;
    // The carousel, once the camera has arrived.
    void DrawIntoCapture() override;

    // The run now ends 35 s from this moment of the scene clock.
    void KeepAlive();

    float timeout = 0.0f;    // seconds of scene clock; set by OnEnter before it is read
    VideoCarousel* carousel; // owned

private:
    // Draws the carousel and adds the movie pictures it put up to the registry's count.
    void DrawCarousel();
};
