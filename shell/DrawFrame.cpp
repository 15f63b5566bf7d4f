#include "shell/DrawFrame.h"

#include "camera/Camera.h"

#include <GL/gl.h>

namespace {

// White lies under the small render of the models; the visible background is cleared later.
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
    glLoadIdentity();
    mainCamera.Update(frameMilliseconds);
}
