// The glow over each frame, drawn one of two ways. The exact way replays the recorded list of twenty
// window-sized additive layers (BuildBlurList). The fast way computes the same zoom blur of sceneTexture
// in one shader pass into a target a third of the view's size (of 800 by 600 at most, so a larger view
// costs no more blur) and adds that over the frame once: on a software rasterizer it costs a few
// milliseconds instead of tens.
#pragma once

#include "platform/OpenGl.h"

#include <cstdint>

enum class GlowMode { Exact, Fast, Auto };

// What one context holds for the glow; the names die with their context, so a new context starts afresh.
struct GlowContext {
    bool prepared = false;
    uint32_t generation = 0;
    GlowMode resolvedFor = GlowMode::Auto;
    bool fast = false;
    // The fast way's objects exist in this context...
    bool built = false;
    // ...or cannot, which has been logged once.
    bool unavailable = false;
    GLuint blurProgram = 0;
    GLuint addProgram = 0;
    GLuint target = 0;
    GLuint framebuffer = 0;
    GLsizei targetWidth = 0;
    GLsizei targetHeight = 0;
    // The current colour that the exact list leaves: its last layer's.
    GLfloat lastLayerAlpha = 0.0f;
};

// A show's glow.
struct Glow {
    // Auto takes the fast way on a software rasterizer and the exact way elsewhere. A change takes effect
    // with the next glow drawn.
    GlowMode mode = GlowMode::Auto;
    // True when the glow most recently drawn took the fast way.
    bool lastDrawnFast = false;
    GlowContext context;
    // Receives the small render of every frame; 0 until start-up creates it.
    GLuint sceneTexture = 0;
};
// "exact", "fast" or "auto"; false, leaving *mode alone, for anything else.
bool GlowModeFromName(const char* name, GlowMode* mode);

// True for Mesa's software rasterizers, going by the GL_RENDERER string.
bool IsSoftwareRenderer(const char* renderer);

// Draws the glow over the frame with the projection and modelview of the caller, in the current
// viewport: exactList replayed, or the fast way when the mode asks for it and this context has what it
// needs (otherwise one line is logged and the exact list drawn). Nothing when exactList is 0. Leaves the
// state that the exact list leaves.
void DrawGlow(Glow& glow, GLuint exactList);
