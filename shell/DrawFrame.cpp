#include "shell/DrawFrame.h"

#include "camera/CameraRig.h"
#include "core/View.h"
#include "render/CelShading.h"
#include "render/Glow.h"
#include "render/ScreenEffects.h"
#include "scenes/Scene.h"
#include "shell/CaptureList.h"
#include "shell/Presentation.h"

#include "platform/OpenGl.h"

namespace {

// White lies under the small render of the models; the capture list clears it to the visible
// background once the small render is copied.
constexpr GLfloat kClearWhite = 1.0f;
constexpr GLfloat kClearAlpha = 0.5f;

// Where nothing covers the background, the glow's layers together add this much of the small render's
// white.
constexpr GLfloat kGlowWhite = kBlurLayers * kBlurFirstAlpha -
                               kBlurAlphaStep * static_cast<GLfloat>(kBlurLayers * (kBlurLayers - 1) / 2);
constexpr GLfloat kSideAlpha = 1.0f;

// Only the square that the small render draws and copies is cleared here: the capture list clears the whole
// window afterwards, so white anywhere else would cost a window-sized fill for nothing.
void DrawSmallRender(Presentation& show) {
    glClearColor(kClearWhite, kClearWhite, kClearWhite, kClearAlpha);
    glScissor(0, 0, sceneTextureSize, sceneTextureSize);
    glEnable(GL_SCISSOR_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    show.scenes.rig.mainCamera.Update(show.frameMilliseconds);

    // The list's own matrix operations act on the camera's view, so the small render follows it.
    glPushMatrix();
    glCallList(show.captureList);
    glPopMatrix();
}

// Leaves the models' frame on the stack for the glow to pop.
void DrawModels(Presentation& show) {
    const float outlineScale = show.currentWindow->view.outlineScale;
    glPushMatrix();
    DrawLandscapeModel(show.celShading, outlineScale);
    // In the landscape's frame, which DrawLandscapeModel leaves on the stack.
    DrawFloatingModel(show.celShading, outlineScale);
}

void DrawGlowOverModels(Presentation& show) {
    DrawGlow(show.glow, show.blurList);
    glPopMatrix();
}

// The view is centred, so the window reaches as far past its far edges as its origin lies before it.
void FillSides(Presentation& show) {
    const View& view = show.currentWindow->view;
    if (view.x == 0 && view.y == 0) {
        return;
    }
    const GLint right = view.x + static_cast<GLint>(view.width);
    const GLint top = view.y + static_cast<GLint>(view.height);
    const GLsizei windowWidth = right + view.x + 1;
    const GLsizei windowHeight = top + view.y + 1;
    const GLint strips[][4] = {
        {0, 0, view.x, windowHeight},
        {right, 0, windowWidth - right, windowHeight},
        {0, 0, windowWidth, view.y},
        {0, top, windowWidth, windowHeight - top},
    };
    // The open background as the glow leaves it, so that the booth goes on beside the view rather than
    // ending at bars. The white is added in proportion to the small render's alpha: its clear alpha
    // where the frame keeps alpha (as most Windows pixel formats do), else all of it.
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    const GLfloat white = kGlowWhite * (alphaBits > 0 ? kClearAlpha : 1.0f);
    glClearColor(kBackgroundRed + white, kBackgroundGreen + white, kBackgroundBlue + white, kSideAlpha);
    glEnable(GL_SCISSOR_TEST);
    for (const auto& strip : strips) {
        glScissor(strip[0], strip[1], strip[2], strip[3]);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
}

void DrawSceneOverlays(Presentation& show) {
    show.scenes.DrawAll(show.currentWindow->view);
}

} // namespace

const FramePhase kFramePhases[] = {
    {"small render and copy", DrawSmallRender},
    {"models with outlines", DrawModels},
    {"glow", DrawGlowOverModels},
    {"scene overlays", DrawSceneOverlays},
    {"sides beside the view", FillSides},
};
const int kFramePhaseCount = static_cast<int>(sizeof kFramePhases / sizeof kFramePhases[0]);

void DrawFrame(Presentation& show) {
    for (const FramePhase& phase : kFramePhases) {
        phase.draw(show);
    }
}
