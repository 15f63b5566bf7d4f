// The one textured, blended picture that every scene lays over the finished 3D image.
#pragma once

#include "platform/OpenGl.h"

#include <functional>

// In the viewport's pixels: origin at its bottom-left corner, as glScissor takes them once moved by the
// viewport's own corner.
struct ScissorBox {
    GLint x = 0;
    GLint y = 0;
    GLsizei width = 0;
    GLsizei height = 0;
};

// Draws the texture over the rectangle given as fractions of the current viewport (left and right
// of its width, top and bottom of its height, y counted downward from the top edge), tinted white
// at the alpha. The scissor box, when given, is asked for after the texture is bound, so a box that
// grows with time is read at the moment of drawing. Restores the matrices and the depth, transform,
// enable and texture state; the blend function and the current colour stay as drawn.
void DrawOverlayQuad(GLuint texture, float alpha, double left, double top, double right, double bottom,
                     const std::function<ScissorBox()>& scissor = nullptr);
