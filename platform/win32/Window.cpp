#include "platform/Window.h"

#include "platform/GlGeneration.h"
#include "platform/WindowMessages.h"
#include "platform/win32/WindowInternals.h"

#include <cstdio>

namespace platform {
namespace {

// Reaches the system's window procedure through CreateWindowExA while the window is being made.
struct Creation {
    WindowObject* record;
    void* createParam;
};

// A window procedure's answer to WM_CREATE that cancels the creation.
constexpr LResult kCreateRefused = -1;
constexpr int kWantedSwapInterval = 1;

using SwapIntervalSetter = BOOL(WINAPI*)(int interval);
using SwapIntervalGetter = int(WINAPI*)();

void ReportSystemError(const char* what) {
    std::fprintf(stderr, "%s (system error %lu)\n", what, static_cast<unsigned long>(GetLastError()));
}

bool SetWindowPixelFormat(HDC hdc, const PixelFormat& format) {
    PIXELFORMATDESCRIPTOR wanted{};
    wanted.nSize = sizeof wanted;
    wanted.nVersion = 1;
    wanted.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (format.doubleBuffer ? PFD_DOUBLEBUFFER : 0);
    wanted.iPixelType = PFD_TYPE_RGBA;
    wanted.cColorBits = static_cast<BYTE>(format.colorBits);
    wanted.cDepthBits = static_cast<BYTE>(format.depthBits);
    wanted.cStencilBits = static_cast<BYTE>(format.stencilBits);
    wanted.iLayerType = PFD_MAIN_PLANE;
    const int index = ChoosePixelFormat(hdc, &wanted);
    if (index == 0) {
        ReportSystemError("no OpenGL pixel format fits the window");
        return false;
    }
    if (!SetPixelFormat(hdc, index, &wanted)) {
        ReportSystemError("cannot set the window's pixel format");
        return false;
    }
    return true;
}

// The system's procedure for every window of this layer: hands each message to the procedure of the
// window's class, with WM_CREATE's parameter as the program gave it to OpenWindow.
LRESULT CALLBACK SystemWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation =
            reinterpret_cast<const Creation*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        creation->record->hwnd = hwnd;
        creation->record->hdc = ::GetDC(hwnd);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->record));
    }
    auto* record = reinterpret_cast<WindowObject*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!record) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    LParam forwarded = lParam;
    if (message == platform::WM_CREATE) {
        forwarded = reinterpret_cast<LParam>(
            reinterpret_cast<const Creation*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams)
                ->createParam);
    }
    const LResult result = record->procedure(record, message, wParam, forwarded);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    }
    return result;
}

} // namespace

namespace internal {

WindowHandle WindowFromNative(HWND hwnd) {
    for (const auto& record : LiveWindowRecords()) {
        if (hwnd && record->hwnd == hwnd) {
            return record.get();
        }
    }
    return nullptr;
}

} // namespace internal

HWND NativeWindowHandle(WindowHandle window) {
    WindowObject* record = internal::LiveWindow(window);
    return record ? record->hwnd : nullptr;
}

InstanceHandle ProgramInstance() {
    return GetModuleHandleA(nullptr);
}

bool RegisterWindowClass(const WindowClass& windowClass) {
    if (!internal::ClassCanBeRegistered(windowClass)) {
        return false;
    }
    WNDCLASSEXA system{};
    system.cbSize = sizeof system;
    // An OpenGL window keeps its device context, and is redrawn whole when resized.
    system.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    system.lpfnWndProc = SystemWindowProcedure;
    system.hInstance = static_cast<HINSTANCE>(const_cast<void*>(windowClass.instance));
    system.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WINLOGO));
    system.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    system.lpszClassName = windowClass.className;
    if (!RegisterClassExA(&system)) {
        ReportSystemError("cannot register the window class");
        return false;
    }
    internal::AddClass(windowClass);
    return true;
}

bool UnregisterWindowClass(const char* className, InstanceHandle instance) {
    if (!internal::RemoveClass(className, instance)) {
        return false;
    }
    UnregisterClassA(className, static_cast<HINSTANCE>(const_cast<void*>(instance)));
    return true;
}

WindowHandle OpenWindow(const WindowCreation& creation) {
    const internal::ClassRecord* windowClass = internal::FindClass(creation.className);
    if (!windowClass) {
        std::fprintf(stderr, "window class \"%s\" is not registered\n",
                     creation.className ? creation.className : "");
        return nullptr;
    }
    DWORD style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    DWORD extendedStyle = WS_EX_APPWINDOW;
    if (creation.style == WindowStyle::Overlapped) {
        style |= WS_OVERLAPPEDWINDOW;
        extendedStyle |= WS_EX_WINDOWEDGE;
    } else {
        style |= WS_POPUP;
    }
    if (creation.topMost) {
        extendedStyle |= WS_EX_TOPMOST;
    }
    // The size asked for is the client area's; the frame comes on top of it.
    RECT frame{creation.x, creation.y, creation.x + creation.width, creation.y + creation.height};
    AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);

    WindowObject* record = internal::AddWindow(*windowClass);

    Creation pending{record, creation.createParam};
    HWND hwnd =
        CreateWindowExA(extendedStyle, creation.className, creation.title, style, frame.left, frame.top,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                        static_cast<HINSTANCE>(const_cast<void*>(creation.instance)), &pending);
    const bool made = hwnd && SetWindowPixelFormat(record->hdc, creation.pixelFormat);
    if (!made) {
        if (!hwnd) {
            ReportSystemError("cannot create the window");
        } else {
            ::DestroyWindow(hwnd);
        }
        internal::TakeWindow(record);
        return nullptr;
    }
    return record;
}

bool DestroyWindow(WindowHandle window) {
    WindowObject* record = internal::LiveWindow(window);
    if (!record) {
        return false;
    }
    // The window's procedure still sees a live window while the system sends it its last messages.
    ::DestroyWindow(record->hwnd);
    internal::TakeWindow(window);
    return true;
}

bool ShowWindow(WindowHandle window) {
    WindowObject* record = internal::LiveWindow(window);
    if (!record) {
        return false;
    }
    ::ShowWindow(record->hwnd, SW_SHOW);
    // A window shown in its normal state is also activated, so it takes the keyboard.
    SetForegroundWindow(record->hwnd);
    SetFocus(record->hwnd);
    return true;
}

GlContext CreateGlContext(DeviceContext deviceContext) {
    WindowObject* record = deviceContext ? internal::LiveWindow(deviceContext->window) : nullptr;
    if (!record) {
        return nullptr;
    }
    HGLRC context = wglCreateContext(record->hdc);
    if (!context) {
        ReportSystemError("cannot create the OpenGL context");
        return nullptr;
    }
    NoteNewGlContext();
    // The swap interval belongs to the current context, so the new one is made current, as the
    // program is about to do anyway.
    bool intervalTaken = false;
    if (wglMakeCurrent(record->hdc, context)) {
        const auto setInterval = reinterpret_cast<SwapIntervalSetter>(
            reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")));
        const auto getInterval = reinterpret_cast<SwapIntervalGetter>(
            reinterpret_cast<void*>(wglGetProcAddress("wglGetSwapIntervalEXT")));
        intervalTaken = setInterval && getInterval && setInterval(kWantedSwapInterval) &&
                        getInterval() == kWantedSwapInterval;
    }
    record->swapWaitsForDisplay = intervalTaken;
    return reinterpret_cast<GlContext>(context);
}

bool DeleteGlContext(GlContext context) {
    return context && wglDeleteContext(reinterpret_cast<HGLRC>(context));
}

bool MakeCurrent(DeviceContext deviceContext, GlContext context) {
    HDC hdc = nullptr;
    if (deviceContext) {
        WindowObject* record = internal::LiveWindow(deviceContext->window);
        if (!record) {
            return false;
        }
        hdc = record->hdc;
    }
    if (!wglMakeCurrent(hdc, reinterpret_cast<HGLRC>(context))) {
        ReportSystemError("cannot make the OpenGL context current");
        return false;
    }
    return true;
}

bool SwapBuffers(DeviceContext deviceContext) {
    WindowObject* record = deviceContext ? internal::LiveWindow(deviceContext->window) : nullptr;
    return record && ::SwapBuffers(record->hdc);
}

int ShowCursor(bool show) {
    return ::ShowCursor(show ? TRUE : FALSE);
}

} // namespace platform
