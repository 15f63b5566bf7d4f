#include "platform/Window.h"

#include "platform/GlGeneration.h"
#include "platform/WindowClassReports.h"
#include "platform/WindowMessages.h"
#include "platform/win32/WindowInternals.h"

#include <cstdio>
#include <memory>

namespace platform {
namespace {

// Reaches the system's window procedure through CreateWindowExA while the window is being made. The
// record is the window's from WM_NCCREATE on, and goes with it at WM_NCDESTROY.
struct Creation {
    std::unique_ptr<WindowRecord> record;
    void* createParam;
};

constexpr int kWantedSwapInterval = 1;
// Where in its class's extra bytes the class keeps the program's window procedure.
constexpr int kClassProcedureOffset = 0;
constexpr int kClassExtraBytes = sizeof(LONG_PTR);

using SwapIntervalSetter = BOOL(WINAPI*)(int interval);
using SwapIntervalGetter = int(WINAPI*)();

void ReportSystemError(const char* what) {
    std::fprintf(stderr, "%s (system error %lu)\n", what, static_cast<unsigned long>(GetLastError()));
}

HINSTANCE SystemInstance(InstanceHandle instance) {
    return static_cast<HINSTANCE>(const_cast<void*>(instance));
}

WindowHandle HandleOf(HWND hwnd) {
    return reinterpret_cast<WindowHandle>(hwnd);
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

WindowRecord* RecordOfNative(HWND hwnd) {
    return reinterpret_cast<WindowRecord*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// The system's procedure for every window of this layer: hands each message to the procedure its class
// carries, with WM_CREATE's parameter as the program gave it to OpenWindow. A window made without a
// Creation (the one that hands a new class its procedure) is left to the system.
LRESULT CALLBACK SystemWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* creation =
        message == WM_NCCREATE || message == platform::WM_CREATE
            ? static_cast<Creation*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams)
            : nullptr;
    if (message == WM_NCCREATE && creation) {
        creation->record->procedure =
            reinterpret_cast<WindowProc>(GetClassLongPtrA(hwnd, kClassProcedureOffset));
        creation->record->hdc = ::GetDC(hwnd);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->record.release()));
    }
    WindowRecord* record = RecordOfNative(hwnd);
    if (!record) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    const LParam forwarded =
        message == platform::WM_CREATE && creation ? reinterpret_cast<LParam>(creation->createParam) : lParam;
    const LResult result = record->procedure(HandleOf(hwnd), message, wParam, forwarded);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        delete record;
    }
    return result;
}

// The record of a live window of this layer; null for any other handle.
WindowRecord* RecordOf(WindowHandle window) {
    HWND hwnd = NativeWindowHandle(window);
    return hwnd ? RecordOfNative(hwnd) : nullptr;
}

// A window's device context is the system's own, which names its window.
WindowRecord* RecordOf(DeviceContext deviceContext) {
    return deviceContext ? RecordOf(HandleOf(WindowFromDC(reinterpret_cast<HDC>(deviceContext)))) : nullptr;
}

// The system lets a class's extra bytes be written only through one of its windows: a message-only
// window is made for the purpose and goes at once.
bool GiveClassItsProcedure(const WindowClass& windowClass) {
    HWND carrier = CreateWindowExA(0, windowClass.className, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   SystemInstance(windowClass.instance), nullptr);
    if (!carrier) {
        return false;
    }
    const auto procedure = reinterpret_cast<LONG_PTR>(windowClass.procedure);
    SetClassLongPtrA(carrier, kClassProcedureOffset, procedure);
    const bool given = GetClassLongPtrA(carrier, kClassProcedureOffset) == static_cast<ULONG_PTR>(procedure);
    ::DestroyWindow(carrier);
    return given;
}

} // namespace

namespace internal {

// A window whose procedure is this layer's carries a record until its last message. The system answers
// for a window that is gone, or another process's, as for no window.
WindowHandle WindowFromNative(HWND hwnd) {
    const bool ours =
        hwnd && GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(SystemWindowProcedure) &&
        RecordOfNative(hwnd);
    return ours ? HandleOf(hwnd) : nullptr;
}

} // namespace internal

HWND NativeWindowHandle(WindowHandle window) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    return internal::WindowFromNative(hwnd) ? hwnd : nullptr;
}

InstanceHandle ProgramInstance() {
    return GetModuleHandleA(nullptr);
}

bool RegisterWindowClass(const WindowClass& windowClass) {
    if (!internal::ClassIsComplete(windowClass)) {
        return false;
    }
    WNDCLASSEXA system{};
    system.cbSize = sizeof system;
    // An OpenGL window keeps its device context, and is redrawn whole when resized.
    system.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    system.lpfnWndProc = SystemWindowProcedure;
    system.cbClsExtra = kClassExtraBytes;
    system.hInstance = SystemInstance(windowClass.instance);
    system.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WINLOGO));
    system.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    system.lpszClassName = windowClass.className;
    const bool registered = RegisterClassExA(&system) != 0;
    if (!registered && GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        internal::ReportClassTaken(windowClass.className);
        return false;
    }
    if (registered && GiveClassItsProcedure(windowClass)) {
        return true;
    }
    ReportSystemError("cannot register the window class");
    if (registered) {
        UnregisterClassA(windowClass.className, system.hInstance);
    }
    return false;
}

bool UnregisterWindowClass(const char* className, InstanceHandle instance) {
    return className && UnregisterClassA(className, SystemInstance(instance));
}

WindowHandle OpenWindow(const WindowCreation& creation) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!creation.className ||
        !GetClassInfoExA(SystemInstance(creation.instance), creation.className, &windowClass) ||
        windowClass.lpfnWndProc != SystemWindowProcedure) {
        internal::ReportUnknownClass(creation.className);
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

    Creation pending{std::make_unique<WindowRecord>(), creation.createParam};
    HWND hwnd = CreateWindowExA(extendedStyle, creation.className, creation.title, style, frame.left,
                                frame.top, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, SystemInstance(creation.instance), &pending);
    if (!hwnd) {
        ReportSystemError("cannot create the window");
        return nullptr;
    }
    if (!SetWindowPixelFormat(RecordOfNative(hwnd)->hdc, creation.pixelFormat)) {
        ::DestroyWindow(hwnd);
        return nullptr;
    }
    return HandleOf(hwnd);
}

bool DestroyWindow(WindowHandle window) {
    HWND hwnd = NativeWindowHandle(window);
    // The window's procedure still sees a live window while the system sends it its last messages.
    return hwnd && ::DestroyWindow(hwnd);
}

bool ShowWindow(WindowHandle window) {
    HWND hwnd = NativeWindowHandle(window);
    if (!hwnd) {
        return false;
    }
    ::ShowWindow(hwnd, SW_SHOW);
    // A window shown in its normal state is also activated, so it takes the keyboard.
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
    return true;
}

void SetWindowUserData(WindowHandle window, void* data) {
    if (WindowRecord* record = RecordOf(window)) {
        record->userData = data;
    }
}

void* GetWindowUserData(WindowHandle window) {
    WindowRecord* record = RecordOf(window);
    return record ? record->userData : nullptr;
}

DeviceContext GetDC(WindowHandle window) {
    WindowRecord* record = RecordOf(window);
    return record ? reinterpret_cast<DeviceContext>(record->hdc) : nullptr;
}

bool ReleaseDC(WindowHandle window, DeviceContext deviceContext) {
    WindowRecord* record = RecordOf(window);
    return record && deviceContext == reinterpret_cast<DeviceContext>(record->hdc);
}

GlContext CreateGlContext(DeviceContext deviceContext) {
    WindowRecord* record = RecordOf(deviceContext);
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
        WindowRecord* record = RecordOf(deviceContext);
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
    WindowRecord* record = RecordOf(deviceContext);
    return record && ::SwapBuffers(record->hdc);
}

bool SwapWaitsForDisplay(DeviceContext deviceContext) {
    WindowRecord* record = RecordOf(deviceContext);
    return record && record->swapWaitsForDisplay;
}

int ShowCursor(bool show) {
    return ::ShowCursor(show ? TRUE : FALSE);
}

} // namespace platform
