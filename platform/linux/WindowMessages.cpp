#include "platform/WindowMessages.h"

#include "platform/VirtualKeys.h"
#include "platform/linux/WindowInternals.h"

#include <algorithm>
#include <deque>

namespace platform {
namespace {

std::deque<Message> queue;
std::function<void()> waitMessageHook;

void Queue(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    queue.push_back({window, message, wParam, lParam});
}

LParam ClientSize(WindowHandle window) {
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window->sdlWindow, &width, &height);
    return MakeLParam(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
    WindowHandle window = internal::WindowFromSdlId(event.windowID);
    if (!window) {
        return;
    }
    const Uint32 flags = SDL_GetWindowFlags(window->sdlWindow);
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        Queue(window, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        Queue(window, WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        Queue(window, WM_SIZE, SIZE_MAXIMIZED, ClientSize(window));
        break;
    case SDL_WINDOWEVENT_RESTORED:
        Queue(window, WM_SIZE, SIZE_RESTORED, ClientSize(window));
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        // A minimised window keeps reporting as minimised until it is restored.
        if ((flags & SDL_WINDOW_MINIMIZED) == 0) {
            Queue(window, WM_SIZE, (flags & SDL_WINDOW_MAXIMIZED) ? SIZE_MAXIMIZED : SIZE_RESTORED,
                  ClientSize(window));
        }
        break;
    default:
        break;
    }
}

void TranslateKeyEvent(const SDL_KeyboardEvent& event) {
    const KeyTranslation key = TranslateSdlKey(event.keysym.sym, event.keysym.mod);
    if (key.virtualKey == 0) {
        return;
    }
    WindowHandle window = internal::WindowFromSdlId(event.windowID);
    if (!window) {
        window = internal::NewestWindow();
    }
    if (!window) {
        return;
    }
    const bool down = event.type == SDL_KEYDOWN;
    const uint32_t message =
        key.systemKey ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    Queue(window, message, key.virtualKey, 0);
}

void TranslateEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT: // SIGTERM or SIGINT: every window is asked to close
        for (WindowHandle window : internal::LiveWindows()) {
            Queue(window, WM_CLOSE, 0, 0);
        }
        break;
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKeyEvent(event.key);
        break;
    default:
        break;
    }
}

void PumpEvents() {
    if (!SDL_WasInit(SDL_INIT_EVENTS)) {
        return;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        TranslateEvent(event);
    }
}

} // namespace

namespace internal {

void DropQueuedMessages(WindowHandle window) {
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [&](const Message& message) { return message.window == window; }),
                queue.end());
}

} // namespace internal

bool PollMessage(Message* message, WindowHandle filter) {
    PumpEvents();
    const auto found = std::find_if(queue.begin(), queue.end(), [&](const Message& queued) {
        return filter == nullptr || queued.window == filter;
    });
    if (found == queue.end()) {
        return false;
    }
    *message = *found;
    queue.erase(found);
    return true;
}

LResult DeliverMessage(const Message& message) {
    return CallWindowProcedure(message.window, message.message, message.wParam, message.lParam);
}

LResult CallWindowProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    WindowObject* record = internal::LiveWindow(window);
    if (!record) {
        return 0;
    }
    return record->procedure(window, message, wParam, lParam);
}

bool QueueMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    if (window && !internal::LiveWindow(window)) {
        return false;
    }
    Queue(window, message, wParam, lParam);
    return true;
}

void WaitMessage() {
    if (waitMessageHook) {
        waitMessageHook();
        return;
    }
    if (!queue.empty() || !SDL_WasInit(SDL_INIT_EVENTS)) {
        return;
    }
    SDL_WaitEvent(nullptr);
}

LResult DefaultWindowProcedure(WindowHandle, uint32_t message, WParam wParam, LParam) {
    if (message == WM_SYSCOMMAND && wParam == SC_SCREENSAVE && SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_EnableScreenSaver();
    }
    return 0;
}

void SetWaitMessageHookForTests(std::function<void()> hook) {
    waitMessageHook = std::move(hook);
}

} // namespace platform
