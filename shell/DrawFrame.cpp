#include "shell/DrawFrame.h"

#include "camera/Camera.h"
#include "render/CelShading.h"
#include "scenes/Scene.h"
#include "shell/StartUp.h"

#include <GL/gl.h>

namespace {

// White lies under the small render of the models; the capture list clears it to the visible
// background once the small render is copied.
constexpr GLfloat kClearWhite = 1.0f;
constexpr GLfloat kClearAlpha = 0.5f;

} // namespace

float frameMilliseconds = 0.0f;

void ResetDrawFrameGlobalsForTests() {
    frameMilliseconds = 0.0f;
}

void DrawFrame() {
    glClearColor(kClearWhite, kClearWhite, kClearWhite, kClearAlpha);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    mainCamera.Update(frameMilliseconds);

    // The list's own matrix operations act on the camera's view, so the small render follows it.
    glPushMatrix();
    glCallList(captureList);
    glPopMatrix();

    glPushMatrix();
    DrawLandscapeModel();
    // In the landscape's frame, which DrawLandscapeModel leaves on the stack.
    DrawFloatingModel();
    glCallList(blurList);
    glPopMatrix();

    DrawScenes();
}
