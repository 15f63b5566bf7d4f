#include "render/ScreenEffects.h"

#include "core/View.h"

#include <cstddef>
#include <vector>

namespace {

constexpr int kRgbaBytes = 4;

} // namespace

GLuint CreateEmptyTexture(int width, int height) {
    const size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    const size_t h = height > 0 ? static_cast<size_t>(height) : 0;
    const std::vector<GLubyte> zeros(w * h * kRgbaBytes, 0);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, kRgbaBytes, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return name;
}

void OrthoView(const View& view) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, view.width, view.height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void PerspectiveView() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

GLuint BuildBlurList(const View& view, GLuint sceneTexture) {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, sceneTexture);
    OrthoView(view);
    glBegin(GL_QUADS);
    float inset = 0.0f;
    float alpha = kBlurFirstAlpha;
    for (int layer = 0; layer < kBlurLayers; ++layer) {
        glColor4f(1.0f, 1.0f, 1.0f, alpha);
        glTexCoord2f(inset, 1.0f - inset);
        glVertex2f(0.0f, 0.0f);
        glTexCoord2f(inset, inset);
        glVertex2f(0.0f, view.height);
        glTexCoord2f(1.0f - inset, inset);
        glVertex2f(view.width, view.height);
        glTexCoord2f(1.0f - inset, 1.0f - inset);
        glVertex2f(view.width, 0.0f);
        inset += kBlurInsetStep;
        alpha -= kBlurAlphaStep;
    }
    glEnd();
    PerspectiveView();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEndList();
    return list;
}
