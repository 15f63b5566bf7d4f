#include "platform/OffscreenContext.h"

#include "platform/GlGeneration.h"
#include "platform/win32/WinApi.h"

#include "platform/OpenGl.h"

#include <cstdio>

namespace platform {
namespace {

constexpr const char* kClassName = "StandviewOffscreen";
constexpr BYTE kColorBits = 32;
constexpr BYTE kAlphaBits = 8;
constexpr BYTE kDepthBits = 16;

bool RegisterOffscreenClass(HINSTANCE instance) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kClassName;
        registered = RegisterClassExA(&windowClass) != 0;
    }
    return registered;
}

} // namespace

// A window that is never shown: its back buffer is drawn into and read back before any swap (its front
// buffer, never shown, holds nothing to read).
OffscreenContext::OffscreenContext(int width, int height) : width(width), height(height) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!RegisterOffscreenClass(instance)) {
        std::fprintf(stderr, "OffscreenContext: cannot register the window class\n");
        return;
    }
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, WS_POPUP, FALSE, 0);
    HWND window = CreateWindowExA(0, kClassName, kClassName, WS_POPUP, 0, 0, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) {
        std::fprintf(stderr, "OffscreenContext: cannot create the hidden window\n");
        return;
    }
    display = window;
    HDC deviceContext = GetDC(window);
    surface = deviceContext;
    PIXELFORMATDESCRIPTOR wanted{};
    wanted.nSize = sizeof wanted;
    wanted.nVersion = 1;
    wanted.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    wanted.iPixelType = PFD_TYPE_RGBA;
    wanted.cColorBits = kColorBits;
    wanted.cAlphaBits = kAlphaBits;
    wanted.cDepthBits = kDepthBits;
    wanted.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(deviceContext, &wanted);
    if (format == 0 || !SetPixelFormat(deviceContext, format, &wanted)) {
        std::fprintf(stderr, "OffscreenContext: no RGBA pixel format\n");
        return;
    }
    HGLRC glContext = wglCreateContext(deviceContext);
    if (!glContext) {
        std::fprintf(stderr, "OffscreenContext: context creation failed\n");
        return;
    }
    context = glContext;
    if (!wglMakeCurrent(deviceContext, glContext)) {
        std::fprintf(stderr, "OffscreenContext: cannot make the context current\n");
        return;
    }
    glViewport(0, 0, width, height);
    NoteNewGlContext();
    ok = true;
}

OffscreenContext::~OffscreenContext() {
    if (context) {
        if (wglGetCurrentContext() == static_cast<HGLRC>(context)) {
            wglMakeCurrent(nullptr, nullptr);
        }
        wglDeleteContext(static_cast<HGLRC>(context));
    }
    if (display) {
        DestroyWindow(static_cast<HWND>(display));
    }
}

std::vector<uint8_t> OffscreenContext::ReadPixels(int x, int y, int w, int h) const {
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

} // namespace platform
