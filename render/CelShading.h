// Draws the embedded models in the cartoon style (material colour times a grey ramp looked up per corner,
// then black outlines).
#pragma once

#include "core/Math.h"
#include "render/Models.h"

#include "platform/OpenGl.h"

#include <cstdint>

// What the cartoon style draws with, and the operator's outline settings. The show keeps one; a test
// makes its own.
struct CelShadingState {
    // The 1D ramp texture (see render/ShadeRamp.h); 0 until start-up creates it.
    GLuint shadeTexture = 0;
    // In eye coordinates; (0, 0, 1) points from the scene towards the viewer.
    Vec3 lightDirection{0.0f, 0.0f, 1.0f};
    bool outlineEnabled = true;
    bool outlineSmooth = true;
    // Line width of the outline in pixels of the 800 by 600 composition, passed to glLineWidth unchecked
    // once scaled by the view's outlineScale.
    float outlineWidth = 3.0f;
    // Vertical offset of the floating model, and the way it moves (+1 or -1).
    float bobOffset = 0.0f;
    int32_t bobDirection = 1;
};

// A new context's state for the models below, set once per context: depth cleared to the far plane and
// tested with GL_LESS, back faces culled, smooth shading at the nicest perspective, no lighting and no line
// smoothing. The clear colour is left to the caller.
void SetModelGlState();

// Both expect face culling of GL_BACK, depth test GL_LESS and GL_FILL polygons, and leave exactly
// that state, with lighting and 1D texturing disabled.
// Both draw outlines outlineScale times as wide as the setting (see View::outlineScale).
// Turns the modelview upright for the landscape (left on the stack), draws it, then the temple on it.
void DrawLandscapeModel(const CelShadingState& shading, float outlineScale);
// Places the floating model (transforms left on the stack) and draws it.
void DrawFloatingModel(const CelShadingState& shading, float outlineScale);
// Moves the floating model up or down by the frame's share, turning at either end.
void MoveBob(CelShadingState& shading, float frameMilliseconds);

// The operator's outline settings.
void ToggleOutlines(CelShadingState& shading);
void ToggleOutlineSmoothing(CelShadingState& shading);
// One step thicker or thinner; the width is not limited, as glLineWidth clamps it.
void WidenOutline(CelShadingState& shading);
void NarrowOutline(CelShadingState& shading);
// Both models, with their outlines only when withOutlines and the outline setting allow them, as wide as
// the setting, in a way fit for recording into a display list: GL itself picks the back faces when the
// list is replayed.
void DrawModels(const CelShadingState& shading, bool withOutlines);

// One cel-shaded pass of a model: the ramp coordinate of every corner comes from its normal turned
// by the current modelview matrix, read once at the start.
void DrawCelMesh(const CelShadingState& shading, const EmbeddedMesh& mesh);
