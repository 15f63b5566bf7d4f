#include "shell/FrameLoop.h"

#include "platform/Clock.h"
#include "platform/DisplayMode.h"
#include "platform/ServiceNotify.h"
#include "shell/FramePacing.h"
#include "shell/ServiceStatus.h"

namespace {

// What the loop keeps from one frame to the next, besides the window's own tick count.
struct FrameLoopState {
    uint32_t minimumFrameMs;
    StatusReporter status;
};

void RunFrame(AppWindow* appWindow, const FrameCallbacks& callbacks, FrameLoopState* state) {
    WaitForFrameSlot(appWindow->lastTickCount, state->minimumFrameMs);
    const uint32_t now = platform::GetTickCount();
    // Unsigned, so the difference is right across the tick count's wrap.
    const uint32_t elapsedMs = now - appWindow->lastTickCount;
    callbacks.updateFrame(elapsedMs);
    appWindow->lastTickCount = now;
    callbacks.drawFrame();
    if (callbacks.frameDrawn) {
        callbacks.frameDrawn(elapsedMs, *appWindow->buttons);
    }
    platform::SwapBuffers(appWindow->deviceContext);
    platform::NotifyFrameSwapped();
    state->status.Report(*appWindow->buttons);
}

} // namespace

void RunFrameLoop(AppWindow* appWindow, const FrameCallbacks& callbacks) {
    FrameLoopState state{MinimumFrameMilliseconds(platform::SwapWaitsForDisplay(appWindow->deviceContext),
                                                  platform::DisplayRefreshRate(appWindow->window)),
                         {}};
    platform::Message message;
    for (;;) {
        if (platform::PeekMessage(&message, appWindow->window)) {
            if (message.message == platform::WM_QUIT) {
                return;
            }
            platform::DispatchMessage(message);
        } else if (appWindow->visible) {
            RunFrame(appWindow, callbacks, &state);
        } else {
            platform::WaitMessage();
        }
    }
}
