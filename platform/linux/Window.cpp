#include "platform/Window.h"

#include "platform/GlGeneration.h"
#include "platform/WindowClassReports.h"
#include "platform/linux/FatalEnds.h"
#include "platform/linux/WindowInternals.h"
#include "platform/WindowMessages.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace platform {
namespace {

int cursorCount = 0;
const char moduleMarker = 0;

// A window procedure's answer to WM_CREATE that cancels the creation.
constexpr LResult kCreateRefused = -1;
constexpr int kMaxChannelBits = 8;

// These drivers render into memory that no display scans out: nothing paces their swaps and nobody sees
// their frames. They are used only when SDL_VIDEODRIVER names them.
constexpr const char* kDriversWithoutDisplay[] = {"offscreen", "dummy", "evdev"};
constexpr const char* kX11Driver = "x11";
constexpr int kDisplayAttempts = 10;
constexpr Uint32 kDisplayRetryMs = 200;

bool HasDisplay(const char* driver) {
    for (const char* name : kDriversWithoutDisplay) {
        if (driver && std::strcmp(driver, name) == 0) {
            return false;
        }
    }
    return true;
}

bool DriverHasDisplay() {
    return HasDisplay(SDL_GetCurrentVideoDriver());
}

// SDL's own order of drivers, less those without a display, as a list for SDL_VIDEODRIVER.
std::string DriversWithDisplay() {
    std::string list;
    for (int index = 0; index < SDL_GetNumVideoDrivers(); ++index) {
        const char* driver = SDL_GetVideoDriver(index);
        if (HasDisplay(driver)) {
            list += list.empty() ? "" : ",";
            list += driver;
        }
    }
    return list;
}

bool StartVideoWith(const char* drivers) {
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, drivers, SDL_HINT_OVERRIDE);
    const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    return started;
}

// SDL falls back to a driver without a display when no display opens; a booth would then draw for
// nobody while looking healthy. Without a display the caller fails instead, so that whoever started the
// program (a service manager) sees it and tries again. An X server refuses connections for a moment
// while it resets after its last client left, so the X server named is asked a few times first.
bool StartVideoDriver() {
    const char* chosen = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (chosen && *chosen) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            return true;
        }
        std::fprintf(stderr, "cannot start the video driver \"%s\": %s\n", chosen, SDL_GetError());
        return false;
    }
    bool started = StartVideoWith(DriversWithDisplay().c_str());
    const char* display = std::getenv("DISPLAY");
    for (int attempt = 1; !started && display && *display && attempt < kDisplayAttempts; ++attempt) {
        SDL_Delay(kDisplayRetryMs);
        started = StartVideoWith(kX11Driver);
    }
    if (!started) {
        std::fprintf(stderr, "cannot open a display (DISPLAY=%s): %s\n", display ? display : "unset",
                     SDL_GetError());
    }
    return started;
}

// A closed terminal ends the show as a session manager's SIGTERM does: SDL turns that into a quit event,
// which closes the window and lets the program clean up.
void EndAsTerminated(int) {
    std::raise(SIGTERM);
}

// Signals whose default would end the show, with nobody asking for it: a write to a log whose reader
// has gone (a closed pipe) fails instead, and the user signals, which tools send to ask a program for
// something, have nothing to ask of the show.
constexpr int kIgnoredSignals[] = {SIGPIPE, SIGUSR1, SIGUSR2};

void SetUpSignals() {
    for (int ignored : kIgnoredSignals) {
        std::signal(ignored, SIG_IGN);
    }
    struct sigaction current {};
    if (sigaction(SIGHUP, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
        return; // started with hang-ups ignored (nohup): they stay ignored
    }
    struct sigaction action {};
    action.sa_handler = EndAsTerminated;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, nullptr);
}

// Video and the OpenGL driver stay up from the first class to the end of the process. SDL would otherwise
// unload the driver whenever its last window goes, reloading it on every full-screen toggle; and a driver
// unloaded while its globals still point at memory makes that memory look leaked to leak checkers.
bool StartVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        return true;
    }
    // Closing the window is a message for the window procedure, not the end of the program.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // An unattended show keeps drawing when another window takes the focus; minimised it would draw
    // nothing, and the desktop's mode would come back.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    internal::ReportFatalEnds();
    if (!StartVideoDriver()) {
        return false;
    }
    SetUpSignals();
    // Without OpenGL no window can be made; that failure is reported when a window is created.
    if (SDL_GL_LoadLibrary(nullptr) != 0) {
        std::fprintf(stderr, "cannot load OpenGL: %s\n", SDL_GetError());
    }
    return true;
}

void RequestPixelFormat(const PixelFormat& format) {
    SDL_GL_ResetAttributes();
    // Windows counts colour bits without alpha; 32 means 8 per channel.
    const int channelBits = std::min(kMaxChannelBits, format.colorBits / 3);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.stencilBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, format.doubleBuffer ? 1 : 0);
}

} // namespace

namespace internal {

bool StartVideoSystem() {
    return StartVideo();
}

WindowHandle WindowFromSdlId(uint32_t sdlWindowId) {
    for (const auto& record : LiveWindowRecords()) {
        if (SDL_GetWindowID(record->sdlWindow) == sdlWindowId) {
            return record.get();
        }
    }
    return nullptr;
}

WindowHandle NewestWindow() {
    const auto& windows = LiveWindowRecords();
    return windows.empty() ? nullptr : windows.back().get();
}

std::vector<WindowHandle> LiveWindows() {
    std::vector<WindowHandle> handles;
    for (const auto& record : LiveWindowRecords()) {
        handles.push_back(record.get());
    }
    return handles;
}

} // namespace internal

InstanceHandle ProgramInstance() {
    return &moduleMarker;
}

bool RegisterWindowClass(const WindowClass& windowClass) {
    if (!internal::ClassCanBeRegistered(windowClass) || !StartVideo()) {
        return false;
    }
    internal::AddClass(windowClass);
    return true;
}

bool UnregisterWindowClass(const char* className, InstanceHandle instance) {
    return internal::RemoveClass(className, instance);
}

WindowHandle OpenWindow(const WindowCreation& creation) {
    const internal::ClassRecord* windowClass = internal::FindClass(creation.className);
    if (!windowClass) {
        internal::ReportUnknownClass(creation.className);
        return nullptr;
    }
    RequestPixelFormat(creation.pixelFormat);

    SDL_DisplayMode fullScreenMode{};
    const bool fullScreen =
        creation.style == WindowStyle::Popup && internal::PendingFullScreenMode(&fullScreenMode);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (creation.style == WindowStyle::Overlapped) {
        flags |= SDL_WINDOW_RESIZABLE;
    } else if (creation.style == WindowStyle::DesktopFullScreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    } else {
        flags |= fullScreen ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_BORDERLESS;
    }
    if (creation.topMost) {
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    }
    SDL_Window* sdlWindow =
        SDL_CreateWindow(creation.title, creation.x, creation.y, creation.width, creation.height, flags);
    if (!sdlWindow) {
        std::fprintf(stderr, "cannot create the window: %s\n", SDL_GetError());
        return nullptr;
    }
    if (fullScreen && SDL_SetWindowDisplayMode(sdlWindow, &fullScreenMode) != 0) {
        std::fprintf(stderr, "cannot give the window its full-screen mode: %s\n", SDL_GetError());
        SDL_DestroyWindow(sdlWindow);
        return nullptr;
    }

    WindowObject* record = internal::AddWindow(*windowClass);
    record->sdlWindow = sdlWindow;
    WindowHandle window = record;

    if (CallWindowProcedure(window, WM_CREATE, 0, reinterpret_cast<LParam>(creation.createParam)) ==
        kCreateRefused) {
        DestroyWindow(window);
        return nullptr;
    }
    SDL_DisableScreenSaver();
    CallWindowProcedure(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    return window;
}

bool DestroyWindow(WindowHandle window) {
    const std::unique_ptr<WindowObject> record = internal::TakeWindow(window);
    if (!record) {
        return false;
    }
    internal::DropQueuedMessages(window);
    SDL_DestroyWindow(record->sdlWindow);
    return true;
}

bool ShowWindow(WindowHandle window) {
    WindowObject* record = internal::LiveWindow(window);
    if (!record) {
        return false;
    }
    SDL_ShowWindow(record->sdlWindow);
    // A window shown in its normal state is also activated, so it takes the keyboard.
    SDL_RaiseWindow(record->sdlWindow);
    return true;
}

GlContext CreateGlContext(DeviceContext deviceContext) {
    WindowObject* record = deviceContext ? internal::LiveWindow(deviceContext->window) : nullptr;
    if (!record) {
        return nullptr;
    }
    SDL_GLContext context = SDL_GL_CreateContext(record->sdlWindow);
    if (!context) {
        std::fprintf(stderr, "cannot create the OpenGL context: %s\n", SDL_GetError());
        return nullptr;
    }
    NoteNewGlContext();
    const bool intervalTaken = SDL_GL_SetSwapInterval(1) == 0 && SDL_GL_GetSwapInterval() == 1;
    record->swapWaitsForDisplay = intervalTaken && DriverHasDisplay();
    return static_cast<GlContext>(context);
}

bool DeleteGlContext(GlContext context) {
    if (!context) {
        return false;
    }
    SDL_GL_DeleteContext(context);
    return true;
}

bool MakeCurrent(DeviceContext deviceContext, GlContext context) {
    SDL_Window* sdlWindow = nullptr;
    if (deviceContext) {
        WindowObject* record = internal::LiveWindow(deviceContext->window);
        if (!record) {
            return false;
        }
        sdlWindow = record->sdlWindow;
    }
    if (SDL_GL_MakeCurrent(sdlWindow, context) != 0) {
        std::fprintf(stderr, "cannot make the OpenGL context current: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

bool SwapBuffers(DeviceContext deviceContext) {
    WindowObject* record = deviceContext ? internal::LiveWindow(deviceContext->window) : nullptr;
    if (!record) {
        return false;
    }
    SDL_GL_SwapWindow(record->sdlWindow);
    return true;
}

int ShowCursor(bool show) {
    cursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    }
    return cursorCount;
}

} // namespace platform
