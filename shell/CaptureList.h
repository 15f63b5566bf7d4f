// The display list that renders the models small, copies them into sceneTexture for the glow and clears them
// away under the visible frame's orange background.
#pragma once

#include "core/View.h"
#include "platform/OpenGl.h"

struct Presentation;

// The visible frame's background, under the glow.
inline constexpr GLfloat kBackgroundRed = 229.0f / 255.0f;
inline constexpr GLfloat kBackgroundGreen = 121.0f / 255.0f;
inline constexpr GLfloat kBackgroundBlue = 34.0f / 255.0f;

// Records the list once, now: everything computed on the processor meanwhile (shading, the floating
// model's offset, outline settings, the window size) stays fixed in it. Includes what the scenes draw
// into the capture at that moment; the show's captureOutlines says whether the models carry theirs, and
// its glow's sceneTexture receives the copy. 0 when no list name could be had.
GLuint BuildCaptureList(Presentation& show, const View& view);
