// Mesa's libGL exports the entry points of every OpenGL version it implements; whether the current
// context offers them is checked before the first call.
#define GL_GLEXT_PROTOTYPES
#include "render/Glow.h"

#include "core/View.h"
#include "platform/DebugOutput.h"
#include "platform/GlFeatures.h"
#include "platform/GlGeneration.h"
#include "render/ScreenEffects.h"

#include <GL/glext.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct ModeName {
    const char* name;
    GlowMode mode;
};
constexpr ModeName kModeNames[] = {
    {"exact", GlowMode::Exact}, {"fast", GlowMode::Fast}, {"auto", GlowMode::Auto}};

constexpr const char* kSoftwareRenderers[] = {"llvmpipe", "softpipe", "swrast"};

// Window pixels per pixel of the fast way's target, each way. The blur is smooth except near the
// window's centre, where a third keeps the difference from the exact layers far below what is seen,
// and the cost is then mostly the one window-sized addition.
constexpr int kTargetDivisor = 3;
// A view larger than the composition's gets the same target, scaled up with it: the blur is as smooth
// there, and its cost stays that of 800 by 600.
constexpr GLint kLargestTargetViewWidth = kComposedWidth;
constexpr GLint kLargestTargetViewHeight = kComposedHeight;

// GLSL 1.10 needs OpenGL 2.0; framebuffer objects come with 3.0 or the extension.
constexpr int kShaderMajorVersion = 2;
constexpr int kFramebufferMajorVersion = 3;
constexpr const char* kFramebufferExtension = "GL_ARB_framebuffer_object";

// A quad given in clip coordinates covers the viewport whatever the matrices; fromCentre runs from
// -0.5 to 0.5 across it, so that 0.5 + fromCentre is the exact list's texture coordinate of its first
// layer.
constexpr const char* kVertexShader = "varying vec2 fromCentre;\n"
                                      "void main() {\n"
                                      "    gl_Position = gl_Vertex;\n"
                                      "    fromCentre = gl_Vertex.xy * 0.5;\n"
                                      "}\n";
constexpr const char* kAddShader = "uniform sampler2D glow;\n"
                                   "varying vec2 fromCentre;\n"
                                   "void main() {\n"
                                   "    gl_FragColor = texture2D(glow, 0.5 + fromCentre);\n"
                                   "}\n";
// Each layer adds its texel's colour times its alpha times the layer's alpha, as the list's
// GL_SRC_ALPHA, GL_ONE blending does, and the same product to alpha.
constexpr const char* kBlurShaderStart = "uniform sampler2D scene;\n"
                                         "varying vec2 fromCentre;\n"
                                         "void main() {\n"
                                         "    vec4 sum = vec4(0.0);\n"
                                         "    vec4 texel;\n"
                                         "    float weight;\n";
constexpr const char* kBlurShaderTap = "    texel = texture2D(scene, 0.5 + fromCentre * %.9f);\n"
                                       "    weight = %.9f * texel.a;\n"
                                       "    sum += weight * vec4(texel.rgb, weight);\n";
constexpr const char* kBlurShaderEnd = "    gl_FragColor = sum;\n"
                                       "}\n";
constexpr size_t kTapTextSize = 256;
constexpr size_t kLogLineSize = 256;

constexpr const char* kLogMissingGl =
    "Glow: the fast way needs OpenGL 2.0 and framebuffer objects; drawing the exact layers\n";
constexpr const char* kLogShaderFailed =
    "Glow: the fast way's shaders did not build; drawing the exact layers\n";
constexpr const char* kLogTargetFailed =
    "Glow: the fast way's %dx%d target cannot be drawn to; drawing the exact layers\n";

void Log(const char* line) {
    platform::WriteDebugLine(line);
}

bool ContextOffersFastGlow() {
    return platform::GlOffers(kShaderMajorVersion, 0) &&
           platform::GlOffers(kFramebufferMajorVersion, 0, kFramebufferExtension);
}

bool WantsFast(GlowMode wanted) {
    if (wanted == GlowMode::Auto) {
        return IsSoftwareRenderer(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    }
    return wanted == GlowMode::Fast;
}

GLuint CompileShader(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// The program keeps its shaders alive; 0 when either does not compile or they do not link.
GLuint LinkProgram(GLuint vertexShader, const char* fragmentSource, const char* samplerName) {
    if (vertexShader == 0) {
        return 0;
    }
    const GLuint fragmentShader = CompileShader(GL_FRAGMENT_SHADER, fragmentSource);
    if (fragmentShader == 0) {
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
    glDeleteShader(fragmentShader);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        glDeleteProgram(program);
        return 0;
    }
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, samplerName), 0);
    glUseProgram(0);
    return program;
}

// The layers as BuildBlurList steps through them, written out as one shader's taps.
std::string BlurShaderSource(GLfloat* lastLayerAlpha) {
    std::string source = kBlurShaderStart;
    float inset = 0.0f;
    float alpha = kBlurFirstAlpha;
    for (int layer = 0; layer < kBlurLayers; ++layer) {
        char tap[kTapTextSize];
        std::snprintf(tap, sizeof tap, kBlurShaderTap, 1.0f - 2.0f * inset, alpha);
        source += tap;
        *lastLayerAlpha = alpha;
        inset += kBlurInsetStep;
        alpha -= kBlurAlphaStep;
    }
    return source + kBlurShaderEnd;
}

bool BuildPrograms(GlowContext& state) {
    const GLuint vertexShader = CompileShader(GL_VERTEX_SHADER, kVertexShader);
    state.blurProgram = LinkProgram(vertexShader, BlurShaderSource(&state.lastLayerAlpha).c_str(), "scene");
    state.addProgram = LinkProgram(vertexShader, kAddShader, "glow");
    if (vertexShader != 0) {
        glDeleteShader(vertexShader);
    }
    return state.blurProgram != 0 && state.addProgram != 0;
}

bool Build(GlowContext& state) {
    if (!ContextOffersFastGlow()) {
        Log(kLogMissingGl);
        return false;
    }
    if (!BuildPrograms(state)) {
        glDeleteProgram(state.blurProgram);
        glDeleteProgram(state.addProgram);
        Log(kLogShaderFailed);
        return false;
    }
    glGenTextures(1, &state.target);
    glGenFramebuffers(1, &state.framebuffer);
    return true;
}

// Decides the way for the current mode in the current context, building the fast way's objects once.
void Resolve(GlowContext& state, GlowMode mode) {
    const uint32_t generation = platform::GlContextGeneration();
    if (!state.prepared || state.generation != generation) {
        state = GlowContext{};
        state.prepared = true;
        state.generation = generation;
    }
    state.resolvedFor = mode;
    state.fast = false;
    if (!WantsFast(mode) || state.unavailable) {
        return;
    }
    if (!state.built) {
        state.built = Build(state);
        state.unavailable = !state.built;
    }
    state.fast = state.built;
}

// Sizes the target to the viewport; false when the target cannot be drawn to.
bool FitTarget(GlowContext& state, GLint viewportWidth, GLint viewportHeight) {
    const GLint drawnWidth = std::min(viewportWidth, kLargestTargetViewWidth);
    const GLint drawnHeight = std::min(viewportHeight, kLargestTargetViewHeight);
    const GLsizei width = (drawnWidth + kTargetDivisor - 1) / kTargetDivisor;
    const GLsizei height = (drawnHeight + kTargetDivisor - 1) / kTargetDivisor;
    if (width == state.targetWidth && height == state.targetHeight) {
        return true;
    }
    GLint drawnFramebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawnFramebuffer);
    glBindTexture(GL_TEXTURE_2D, state.target);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, state.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, state.target, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(drawnFramebuffer));
    if (!complete) {
        char line[kLogLineSize];
        std::snprintf(line, sizeof line, kLogTargetFailed, width, height);
        Log(line);
        return false;
    }
    state.targetWidth = width;
    state.targetHeight = height;
    return true;
}

void DrawViewportQuad() {
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
}

void DrawFast(const GlowContext& state, GLuint sceneTexture, const GLint viewport[4]) {
    GLint drawnFramebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawnFramebuffer);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);

    // Every target pixel is written, so it needs no clearing.
    glBindFramebuffer(GL_FRAMEBUFFER, state.framebuffer);
    glViewport(0, 0, state.targetWidth, state.targetHeight);
    glBindTexture(GL_TEXTURE_2D, sceneTexture);
    glUseProgram(state.blurProgram);
    DrawViewportQuad();

    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(drawnFramebuffer));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, state.target);
    glUseProgram(state.addProgram);
    DrawViewportQuad();
    glUseProgram(0);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, state.lastLayerAlpha);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
}

} // namespace

bool GlowModeFromName(const char* name, GlowMode* result) {
    for (const ModeName& entry : kModeNames) {
        if (name != nullptr && std::strcmp(name, entry.name) == 0) {
            *result = entry.mode;
            return true;
        }
    }
    return false;
}

bool IsSoftwareRenderer(const char* renderer) {
    for (const char* software : kSoftwareRenderers) {
        if (renderer != nullptr && std::strstr(renderer, software) != nullptr) {
            return true;
        }
    }
    return false;
}

void DrawGlow(Glow& glow, GLuint exactList) {
    if (exactList == 0) {
        return;
    }
    GlowContext& state = glow.context;
    if (!state.prepared || state.generation != platform::GlContextGeneration() ||
        state.resolvedFor != glow.mode) {
        Resolve(state, glow.mode);
    }
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (state.fast && !FitTarget(state, viewport[2], viewport[3])) {
        state.fast = false;
        state.unavailable = true;
    }
    glow.lastDrawnFast = state.fast;
    if (state.fast) {
        DrawFast(state, glow.sceneTexture, viewport);
    } else {
        glCallList(exactList);
    }
}
