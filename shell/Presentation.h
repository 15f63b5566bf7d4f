// What one show keeps across its frames and windows, besides the music player: the scenes with the camera,
// the window being shown and its key table, the models' shading, the glow's display lists, and the frame's
// time and capture setting. The program makes one per run; a test makes its own.
#pragma once

#include "input/InputAggregation.h"
#include "render/CelShading.h"
#include "render/Glow.h"
#include "scenes/Scene.h"
#include "shell/AppWindow.h"
#include "shell/ServiceStatus.h"

#include "platform/OpenGl.h"

#include <cstddef>

// The operator keys and visitors' buttons that each start a scene.
constexpr size_t kSceneLineCount = 4;

struct Presentation {
    SceneRegistry scenes;
    InputDevices input;
    // The window being started and its key table, for the per-frame update's quit and toggle requests;
    // null until the first start-up.
    AppWindow* currentWindow = nullptr;
    KeyTable* currentKeys = nullptr;
    // The glow layers over the frame, and the small render copied into the scene texture; both replayed
    // by every frame and recorded anew by each start-up on its own context.
    GLuint blurList = 0;
    GLuint captureList = 0;
    Glow glow;
    CelShadingState celShading;
    // Elapsed time of the current frame in milliseconds, for the drawing that follows the update.
    float frameMilliseconds = 0.0f;
    // Whether the small render for the glow carries outlines; read when the capture list is recorded, so
    // a change shows after the next start-up.
    bool captureOutlines = true;
    // Whether each scene line asked for its scene in the previous frame: a held button is one press.
    bool lineAsked[kSceneLineCount] = {};
    StatusReporter status;
};
