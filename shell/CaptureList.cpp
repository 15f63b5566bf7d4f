#include "shell/CaptureList.h"

#include "render/CelShading.h"
#include "render/ScreenEffects.h"
#include "scenes/Scene.h"
#include "shell/AppWindow.h"
#include "shell/Presentation.h"

namespace {

constexpr GLfloat kBackgroundAlpha = 0.5f;

} // namespace

GLuint BuildCaptureList(Presentation& show, const View& view) {
    const GLuint list = glGenLists(1);
    if (list == 0) {
        return 0;
    }
    glNewList(list, GL_COMPILE);
    glViewport(0, 0, sceneTextureSize, sceneTextureSize);
    DrawModels(show.celShading, show.captureOutlines);
    show.scenes.DrawAllIntoCapture();
    glBindTexture(GL_TEXTURE_2D, show.glow.sceneTexture);
    // Into the storage that start-up gave the texture: redefining it every frame costs the driver a new
    // megabyte each time for the same picture.
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, sceneTextureSize, sceneTextureSize);
    glClearColor(kBackgroundRed, kBackgroundGreen, kBackgroundBlue, kBackgroundAlpha);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(view.x, view.y, static_cast<GLsizei>(view.width), static_cast<GLsizei>(view.height));
    glEndList();
    return list;
}
