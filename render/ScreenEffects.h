// The glow over each frame: the texture that takes a small render, a window-pixel 2D projection and the
// display list that lays the texture over the frame.
#pragma once

#include "core/View.h"
#include "platform/OpenGl.h"

// Side of the glow's sceneTexture and of the small viewport it is copied from.
inline constexpr int sceneTextureSize = 512;

// The glow's layers: each shows a window into sceneTexture smaller by kBlurInsetStep on every side
// than the one before and adds itself more faintly: alphas 0.06, 0.057, ..., 0.003, summing to 0.63.
inline constexpr int kBlurLayers = 20;
inline constexpr float kBlurInsetStep = 0.007f;
inline constexpr float kBlurFirstAlpha = 0.06f;
inline constexpr float kBlurAlphaStep = 0.003f;

// A zero-filled RGBA texture with linear filters and no mipmaps; left bound to GL_TEXTURE_2D.
GLuint CreateEmptyTexture(int width, int height);

// Pushes a projection in the view's pixels (origin top-left, y down) and an identity modelview.
// Leaves the modelview matrix current. Always paired with PerspectiveView.
void OrthoView(const View& view);
// Pops what OrthoView pushed on both stacks; leaves the modelview matrix current.
void PerspectiveView();

// Records the twenty enlarging, fading layers of sceneTexture over the view. Its size and the texture
// name are taken now. Leaves depth testing on, blending and texturing off and texture 0 bound when
// replayed.
GLuint BuildBlurList(const View& view, GLuint sceneTexture);
