#include "render/CelShading.h"

#include "render/OutlineEdges.h"

#include <cmath>

namespace {

constexpr GLclampd kFarDepth = 1.0;
constexpr float kOutlineWidthStep = 1.0f;
constexpr GLfloat kOutlineColour[3] = {0.0f, 0.0f, 0.0f};
// The small render of the glow keeps the composition's outline width whatever the view's size.
constexpr float kCaptureOutlineScale = 1.0f;

// The landscape is modelled with z up; this stands it upright in the scene.
constexpr GLfloat kLandscapeTurnDegrees = 270.0f;
// The temple stands on the landscape's plate.
constexpr GLfloat kTempleScale = 0.63f;
constexpr GLfloat kTempleOffset[3] = {-0.34f, 0.14f, -0.225f};
// The cloud floats over the mountain.
constexpr GLfloat kFloatingScale = 0.3f;
constexpr GLfloat kFloatingOffset[3] = {0.75f, 0.75f, 1.25f};

// The models' edges, found from their tables once per process as the tables themselves exist once, with
// the room each frame's choice of edges needs.
struct ModelOutlines {
    OutlineEdges landscape{landscapeModel};
    OutlineEdges temple{templeModel};
    OutlineEdges floating{floatingModel};
};

ModelOutlines* FrameOutlines() {
    static ModelOutlines outlines;
    return &outlines;
}

// Only back faces survive the front-face culling, and they are drawn as lines whose near halves pass the
// GL_LEQUAL depth test along the silhouette. Recorded into a display list, where the choice of edges would
// stay that of the moment of recording, GL culls the faces itself, drawing shared edges twice; otherwise
// (edges given) each edge of a back face is drawn once.
void DrawOutline(const CelShadingState& shading, float outlineScale, const EmbeddedMesh& mesh,
                 OutlineEdges* edges) {
    if (shading.outlineSmooth) {
        glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
        glEnable(GL_LINE_SMOOTH);
    } else {
        glDisable(GL_LINE_SMOOTH);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(shading.outlineWidth * outlineScale);
    glDepthFunc(GL_LEQUAL);
    glColor3fv(kOutlineColour);
    if (edges != nullptr) {
        edges->DrawBackEdges();
    } else {
        glPolygonMode(GL_BACK, GL_LINE);
        glCullFace(GL_FRONT);
        glBegin(GL_TRIANGLES);
        for (int face = 0; face < mesh.FaceCount(); ++face) {
            for (int corner = 0; corner < 3; ++corner) {
                glVertex3fv(mesh.CornerPosition(face, corner));
            }
        }
        glEnd();
        glCullFace(GL_BACK);
        glPolygonMode(GL_BACK, GL_FILL);
    }
    glDepthFunc(GL_LESS);
    glDisable(GL_BLEND);
}

void DrawShadedAndOutlined(const CelShadingState& shading, float outlineScale, const EmbeddedMesh& mesh,
                           OutlineEdges* edges) {
    DrawCelMesh(shading, mesh);
    if (shading.outlineEnabled) {
        DrawOutline(shading, outlineScale, mesh, edges);
    }
}

// With outlines null, as recorded into a display list.
void DrawLandscape(const CelShadingState& shading, float outlineScale, ModelOutlines* outlines) {
    glRotatef(kLandscapeTurnDegrees, 1.0f, 0.0f, 0.0f);
    DrawShadedAndOutlined(shading, outlineScale, landscapeModel,
                          outlines != nullptr ? &outlines->landscape : nullptr);
    glPushMatrix();
    glScalef(kTempleScale, kTempleScale, kTempleScale);
    glTranslatef(kTempleOffset[0], kTempleOffset[1], kTempleOffset[2]);
    DrawShadedAndOutlined(shading, outlineScale, templeModel,
                          outlines != nullptr ? &outlines->temple : nullptr);
    glPopMatrix();
}

void DrawFloating(const CelShadingState& shading, float outlineScale, ModelOutlines* outlines) {
    glTranslatef(0.0f, 0.0f, shading.bobOffset);
    glScalef(kFloatingScale, kFloatingScale, kFloatingScale);
    glTranslatef(kFloatingOffset[0], kFloatingOffset[1], kFloatingOffset[2]);
    DrawShadedAndOutlined(shading, outlineScale, floatingModel,
                          outlines != nullptr ? &outlines->floating : nullptr);
}

constexpr float kBobRate = 0.025f * 0.001f; // per millisecond: 2 s from one end to the other
constexpr double kBobBound = 0.025;
constexpr double kBobTurnMargin = 0.0001;
constexpr float kBobTurnOffset = static_cast<float>(kBobBound - kBobTurnMargin);

} // namespace

void DrawCelMesh(const CelShadingState& shading, const EmbeddedMesh& mesh) {
    const Vec3& light = shading.lightDirection;
    glEnable(GL_TEXTURE_1D);
    glBindTexture(GL_TEXTURE_1D, shading.shadeTexture);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glDisable(GL_LIGHTING);
    glBegin(GL_TRIANGLES);
    for (int face = 0; face < mesh.FaceCount(); ++face) {
        glColor3fv(mesh.FaceDiffuse(face));
        for (int corner = 0; corner < 3; ++corner) {
            const float* n = mesh.CornerNormal(face, corner);
            // Only rotations and uniform scales reach the models, so turning the normal by the
            // matrix and normalising it is enough (no inverse-transpose).
            float turned[3];
            for (int r = 0; r < 3; ++r) {
                turned[r] = m[r] * n[0] + m[r + 4] * n[1] + m[r + 8] * n[2];
            }
            const float length =
                std::sqrt(turned[0] * turned[0] + turned[1] * turned[1] + turned[2] * turned[2]);
            if (length > 0.0f) {
                for (float& component : turned) {
                    component /= length;
                }
            }
            float s = turned[0] * light.x + turned[1] * light.y + turned[2] * light.z;
            if (s < 0.0f) {
                s = 0.0f;
            }
            glTexCoord1f(s);
            glVertex3fv(mesh.CornerPosition(face, corner));
        }
    }
    glEnd();
    glDisable(GL_TEXTURE_1D);
}

void SetModelGlState() {
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glClearDepth(kFarDepth);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_LINE_SMOOTH);
    glEnable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
}

void DrawLandscapeModel(const CelShadingState& shading, float outlineScale) {
    DrawLandscape(shading, outlineScale, FrameOutlines());
}

void DrawFloatingModel(const CelShadingState& shading, float outlineScale) {
    DrawFloating(shading, outlineScale, FrameOutlines());
}

void MoveBob(CelShadingState& shading, float frameMilliseconds) {
    shading.bobOffset += static_cast<float>(shading.bobDirection) * frameMilliseconds * kBobRate;
    if (shading.bobOffset >= kBobBound) {
        shading.bobDirection = -shading.bobDirection;
        shading.bobOffset = kBobTurnOffset;
    } else if (shading.bobOffset <= -kBobBound) {
        shading.bobDirection = -shading.bobDirection;
        shading.bobOffset = -kBobTurnOffset;
    }
}

void ToggleOutlines(CelShadingState& shading) {
    shading.outlineEnabled = !shading.outlineEnabled;
}

void ToggleOutlineSmoothing(CelShadingState& shading) {
    shading.outlineSmooth = !shading.outlineSmooth;
}

void WidenOutline(CelShadingState& shading) {
    shading.outlineWidth += kOutlineWidthStep;
}

void NarrowOutline(CelShadingState& shading) {
    shading.outlineWidth -= kOutlineWidthStep;
}

void DrawModels(const CelShadingState& shading, bool withOutlines) {
    CelShadingState capture = shading;
    capture.outlineEnabled = shading.outlineEnabled && withOutlines;
    DrawLandscape(capture, kCaptureOutlineScale, nullptr);
    DrawFloating(capture, kCaptureOutlineScale, nullptr);
}
