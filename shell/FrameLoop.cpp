#include "shell/FrameLoop.h"

#include "platform/Clock.h"
#include "platform/DisplayMode.h"
#include "platform/ServiceNotify.h"
#include "shell/FramePacing.h"

namespace {

void RunFrame(AppWindow* appWindow, const FrameCallbacks& callbacks, uint32_t minimumFrameMs) {
    WaitForFrameSlot(appWindow->lastTickCount, minimumFrameMs);
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
    if (callbacks.frameSwapped) {
        callbacks.frameSwapped(*appWindow->buttons);
    }
}

} // namespace

void RunFrameLoop(AppWindow* appWindow, const FrameCallbacks& callbacks) {
    const uint32_t minimumFrameMs =
        MinimumFrameMilliseconds(platform::SwapWaitsForDisplay(appWindow->deviceContext),
                                 platform::DisplayRefreshRate(appWindow->window));
    platform::Message message;
    for (;;) {
        if (platform::PollMessage(&message, appWindow->window)) {
            if (message.message == platform::WM_QUIT) {
                return;
            }
            platform::DeliverMessage(message);
        } else if (appWindow->visible) {
            RunFrame(appWindow, callbacks, minimumFrameMs);
        } else {
            platform::WaitMessage();
        }
    }
}
