#include "platform/OffscreenContext.h"

#include "platform/GlGeneration.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstdio>

namespace platform {

OffscreenContext::OffscreenContext(int width, int height) : width(width), height(height) {
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        std::fprintf(stderr, "OffscreenContext: eglGetPlatformDisplayEXT is missing\n");
        return;
    }
    EGLDisplay eglDisplay = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (eglDisplay == EGL_NO_DISPLAY || !eglInitialize(eglDisplay, nullptr, nullptr)) {
        std::fprintf(stderr, "OffscreenContext: no surfaceless EGL display\n");
        return;
    }
    display = eglDisplay;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_ALPHA_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       16,
                                       EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(eglDisplay, configAttributes, &config, 1, &count) || count < 1) {
        std::fprintf(stderr, "OffscreenContext: no RGBA pbuffer configuration\n");
        return;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface eglSurface = eglCreatePbufferSurface(eglDisplay, config, surfaceAttributes);
    if (eglSurface == EGL_NO_SURFACE) {
        std::fprintf(stderr, "OffscreenContext: pbuffer creation failed\n");
        return;
    }
    surface = eglSurface;
    eglBindAPI(EGL_OPENGL_API);
    // A compatibility profile: the program draws with OpenGL 1.1 immediate mode and display lists.
    EGLContext eglContext = eglCreateContext(eglDisplay, config, EGL_NO_CONTEXT, nullptr);
    if (eglContext == EGL_NO_CONTEXT) {
        std::fprintf(stderr, "OffscreenContext: context creation failed\n");
        return;
    }
    context = eglContext;
    if (!eglMakeCurrent(eglDisplay, eglSurface, eglSurface, eglContext)) {
        std::fprintf(stderr, "OffscreenContext: cannot make the context current\n");
        return;
    }
    glViewport(0, 0, width, height);
    NoteNewGlContext();
    ok = true;
}

OffscreenContext::~OffscreenContext() {
    if (!display) {
        return;
    }
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context) {
        eglDestroyContext(display, context);
    }
    if (surface) {
        eglDestroySurface(display, surface);
    }
    // The display is left initialised: Mesa shares it between contexts of one process.
}

std::vector<uint8_t> OffscreenContext::ReadPixels(int x, int y, int w, int h) const {
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

} // namespace platform
