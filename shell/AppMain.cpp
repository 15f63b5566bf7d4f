#include "shell/AppMain.h"

#include "input/ButtonPanel.h"
#include "platform/Clock.h"
#include "platform/DisplayMode.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/ServiceNotify.h"
#include "render/Glow.h"
#include "scenes/Scene.h"
#include "shell/ContentCheck.h"
#include "shell/DrawFrame.h"
#include "shell/FramePacing.h"
#include "shell/ShowMonitor.h"
#include "shell/StartUp.h"
#include "shell/UpdateFrame.h"
#include "stats/VisitRecording.h"
#include "stats/VisitSummary.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr const char* kClassName = "OpenGL";
constexpr const char* kTitle = "Orvik Standview 2003";
constexpr int32_t kBitsPerPixel = 32;

constexpr const char* kErrorCaption = "Error";
constexpr const char* kFullScreenQuestion = "Would You Like To Run In Fullscreen Mode?";
constexpr const char* kFullScreenCaption = "Start FullScreen?";
constexpr const char* kRegisterFailedText = "Error Registering Window Class!";
constexpr const char* kCreateFailedText = "Error Creating OpenGL Window";

constexpr const char* kSceneStatusPrefix = "Showing ";
constexpr const char* kSceneStatusSeparator = ", ";
constexpr const char* kNoSceneStatus = "No scene running";
constexpr const char* kStuckButtonStatusPrefix = "; button ";
constexpr const char* kStuckButtonStatusSuffix = " stuck";
constexpr size_t kButtonNumberSize = 12;

constexpr int kRegisterFailedExitCode = -1;
// A kiosk run that cannot show anything ends with this, so that the service manager starts it again.
constexpr int kKioskFailedExitCode = 1;
constexpr const char* kKioskNoWindowLog = "standview: no window could be made; the show cannot run";
constexpr const char* kKioskStartUpLog = "standview: start-up failed; the show cannot run";

// Full screen or a window: as the command line says, or as the person at the screen answers.
bool FullScreenAtStart(StartAnswer answer) {
    if (answer != StartAnswer::Ask) {
        return answer == StartAnswer::FullScreen;
    }
    return platform::ShowMessageBox(kFullScreenQuestion, kFullScreenCaption,
                                    platform::MessageBoxStyle::QuestionYesNo) !=
           platform::MessageBoxAnswer::No;
}

// The status line as the loop asks for it every frame: `current` is written over in its own storage, and
// `shown` keeps the last text sent, so that a frame that changes nothing allocates nothing.
struct StatusLines {
    std::string current;
    std::string shown = kNoSceneStatus;
};

// Sends the status line whenever it changes.
void ReportStatus(const ButtonPanel& buttons, StatusLines* lines) {
    ShowStatus(buttons, &lines->current);
    if (lines->current != lines->shown) {
        lines->shown = lines->current;
        platform::NotifyStatus(lines->shown);
    }
}

void RunMessageLoop(AppWindow* appWindow, const FrameCallbacks& callbacks) {
    // Nothing is said until a scene runs or a button sticks.
    StatusLines status;
    const uint32_t minimumFrameMs =
        MinimumFrameMilliseconds(platform::SwapWaitsForDisplay(appWindow->deviceContext),
                                 platform::DisplayRefreshRate(appWindow->window));
    platform::Message message;
    for (;;) {
        if (platform::PeekMessage(&message, appWindow->window)) {
            if (message.message == platform::WM_QUIT) {
                return;
            }
            platform::DispatchMessage(message);
        } else if (appWindow->visible) {
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
            ReportStatus(*appWindow->buttons, &status);
        } else {
            platform::WaitMessage();
        }
    }
}

int RunShow(const CommandLine& options) {
    // Without its shading ramp the show would end at once; a kiosk says why before any window opens.
    if (options.kiosk) {
        float values[kShadeRampSize][3];
        const ContentReport ramp = CheckShadeRamp(values);
        if (ramp.unreadable) {
            std::fprintf(stderr, "standview: %s: %s; the show cannot start without it\n", ramp.path.c_str(),
                         ramp.problem.c_str());
            return kKioskFailedExitCode;
        }
    }
    ShowMonitor monitor(options);
    stats::StartRecording(options.statsDb);
    const int exitCode = AppMain(platform::GetModuleHandle(),
                                 ShellFrameCallbacks(monitor.Wanted() ? &monitor : nullptr), options);
    stats::StopRecording();
    monitor.Finish();
    return exitCode;
}

int RunCheck(const CommandLine&) {
    return PrintContentCheck(std::cout);
}

int RunStats(const CommandLine& options) {
    return stats::PrintVisitSummary(
        {options.statsFiles, options.statsSince, options.statsUntil, options.statsCsv}, std::cout, std::cerr);
}

} // namespace

void ShowStatus(const ButtonPanel& buttons, std::string* status) {
    status->clear();
    for (const auto& entry : sceneRegistry) {
        if (entry.second->active) {
            status->append(status->empty() ? kSceneStatusPrefix : kSceneStatusSeparator)
                .append(entry.second->name);
        }
    }
    if (status->empty()) {
        status->assign(kNoSceneStatus);
    }
    for (int button = 1; button <= kButtonCount; ++button) {
        if (buttons.Stuck(button)) {
            char number[kButtonNumberSize];
            const std::to_chars_result written = std::to_chars(number, number + sizeof number, button);
            status->append(kStuckButtonStatusPrefix)
                .append(number, written.ptr)
                .append(kStuckButtonStatusSuffix);
        }
    }
}

FrameCallbacks ShellFrameCallbacks(ShowMonitor* monitor) {
    FrameCallbacks callbacks{StartUp, UpdateFrame, DrawFrame, ShutDown, nullptr};
    if (monitor != nullptr) {
        callbacks.frameDrawn = [monitor](uint32_t elapsedMs, const ButtonPanel& buttons) {
            monitor->FrameDrawn(elapsedMs, buttons);
        };
    }
    return callbacks;
}

int AppMain(platform::InstanceHandle instance, const FrameCallbacks& callbacks, const CommandLine& options) {
    AppClass appClass{instance, kClassName};
    KeyTable keys;
    std::memset(keys.keyDown, 0, sizeof keys.keyDown);
    ButtonPanel buttons;
    AppWindow appWindow{};
    appWindow.keys = &keys;
    appWindow.buttons = &buttons;
    appWindow.appClass = &appClass;
    appWindow.title = kTitle;
    appWindow.width = static_cast<int32_t>(viewWidth);
    appWindow.height = static_cast<int32_t>(viewHeight);
    appWindow.bitsPerPixel = kBitsPerPixel;
    appWindow.fullScreen = FullScreenAtStart(options.startAnswer);
    appWindow.nativeScreen = options.screen == ScreenChoice::Native;

    if (!RegisterAppClass(&appClass)) {
        platform::ShowMessageBox(kRegisterFailedText, kErrorCaption, platform::MessageBoxStyle::ErrorOk);
        return kRegisterFailedExitCode;
    }
    keepRunning = true;
    wantFullScreen = appWindow.fullScreen;
    const char* kioskFailure = nullptr;
    std::string whyNot;

    while (keepRunning) {
        appWindow.fullScreen = wantFullScreen;
        if (!CreateAppWindow(&appWindow)) {
            platform::ShowMessageBox(kCreateFailedText, kErrorCaption, platform::MessageBoxStyle::ErrorOk);
            kioskFailure = kKioskNoWindowLog;
            keepRunning = false;
            break;
        }
        if (callbacks.startUp(&appWindow, &keys, &whyNot)) {
            SetMainWindow(appWindow.window, appClass.instance);
            RunMessageLoop(&appWindow, callbacks);
        } else {
            kioskFailure = kKioskStartUpLog;
            RequestQuit(&appWindow);
        }
        callbacks.shutDown();
        DestroyAppWindow(&appWindow);
    }

    platform::UnregisterClass(kClassName, instance);
    if (options.kiosk && kioskFailure) {
        std::fprintf(stderr, "%s%s%s\n", kioskFailure, whyNot.empty() ? "" : ": ", whyNot.c_str());
        return kKioskFailedExitCode;
    }
    return 0;
}

int RunProgram(const CommandLine& options) {
    platform::SetDataFolder(options.dataFolder);
    platform::SetMessageBoxesUnattended(options.kiosk);
    SetGlowMode(options.glow);
    using Runner = int (*)(const CommandLine&);
    struct ActionEntry {
        ProgramAction action;
        Runner run;
    };
    static constexpr ActionEntry kActions[] = {
        {ProgramAction::Show, RunShow},
        {ProgramAction::Check, RunCheck},
        {ProgramAction::Stats, RunStats},
    };
    for (const ActionEntry& entry : kActions) {
        if (entry.action == options.action) {
            return entry.run(options);
        }
    }
    return kUsageErrorExitCode;
}
