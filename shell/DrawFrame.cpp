#include "shell/DrawFrame.h"

#include "camera/Camera.h"
#include "render/CelShading.h"
#include "render/Glow.h"
#include "scenes/Scene.h"
#include "shell/StartUp.h"
#include "shell/UpdateFrame.h"

#include <GL/gl.h>

namespace {

// White lies under the small render of the models; the capture list clears it to the visible
// background once the small render is copied.
constexpr GLfloat kClearWhite = 1.0f;
constexpr GLfloat kClearAlpha = 0.5f;

void DrawSmallRender() {
    glClearColor(kClearWhite, kClearWhite, kClearWhite, kClearAlpha);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    mainCamera.Update(frameMilliseconds);

    // The list's own matrix operations act on the camera's view, so the small render follows it.
    glPushMatrix();
    glCallList(captureList);
    glPopMatrix();
}

// Leaves the models' frame on the stack for the glow to pop.
void DrawModels() {
    glPushMatrix();
    DrawLandscapeModel();
    // In the landscape's frame, which DrawLandscapeModel leaves on the stack.
    DrawFloatingModel();
}

void DrawGlowOverModels() {
    DrawGlow(blurList);
    glPopMatrix();
}

} // namespace

const FramePhase kFramePhases[] = {
    {"small render and copy", DrawSmallRender},
    {"models with outlines", DrawModels},
    {"glow", DrawGlowOverModels},
    {"scene overlays", DrawScenes},
};
const int kFramePhaseCount = static_cast<int>(sizeof kFramePhases / sizeof kFramePhases[0]);

void DrawFrame() {
    for (const FramePhase& phase : kFramePhases) {
        phase.draw();
    }
}
