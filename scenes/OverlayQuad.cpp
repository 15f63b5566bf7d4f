#include "scenes/OverlayQuad.h"

namespace {

constexpr GLbitfield kOverlayAttribs =
    GL_DEPTH_BUFFER_BIT | GL_TRANSFORM_BIT | GL_ENABLE_BIT | GL_TEXTURE_BIT;
static_assert(kOverlayAttribs == 0x43100, "the attribute groups every overlay saves");

} // namespace

void DrawOverlayQuad(GLuint texture, float alpha, double left, double top, double right, double bottom,
                     const std::function<ScissorBox()>& scissor) {
    glPushAttrib(kOverlayAttribs);
    glDisable(GL_LIGHTING);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const GLint vw = viewport[2];
    const GLint vh = viewport[3];

    // Pixels of the viewport with the origin at its top-left corner.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, vw, vh, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslated(0, 0, 0);

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    if (scissor) {
        const ScissorBox box = scissor();
        glScissor(viewport[0] + box.x, viewport[1] + box.y, box.width, box.height);
        glEnable(GL_SCISSOR_TEST);
    }

    const float x0 = static_cast<float>(vw * left);
    const float x1 = static_cast<float>(vw * right);
    const float y0 = static_cast<float>(vh * top);
    const float y1 = static_cast<float>(vh * bottom);
    glBegin(GL_QUADS);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(x0, y0);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(x0, y1);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(x1, y1);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(x1, y0);
    glEnd();

    glDisable(GL_TEXTURE_2D);
    if (scissor) {
        glDisable(GL_SCISSOR_TEST);
    }

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}
