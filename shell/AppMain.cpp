#include "shell/AppMain.h"

#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "render/Glow.h"
#include "shell/ContentCheck.h"
#include "shell/DrawFrame.h"
#include "shell/Presentation.h"
#include "shell/ShowMonitor.h"
#include "shell/ShowSession.h"
#include "shell/StartUp.h"
#include "shell/UpdateFrame.h"
#include "stats/VisitRecording.h"
#include "stats/VisitSummary.h"

#include <cstdio>
#include <iostream>

namespace {

constexpr const char* kClassName = "OpenGL";

constexpr const char* kFullScreenQuestion = "Would You Like To Run In Fullscreen Mode?";
constexpr const char* kFullScreenCaption = "Start FullScreen?";
constexpr const char* kRegisterFailedText = "Error Registering Window Class!";

constexpr int kRegisterFailedExitCode = -1;
// A kiosk run that cannot show anything ends with this, so that the service manager starts it again.
constexpr int kKioskFailedExitCode = 1;

// Full screen or a window: as the command line says, or as the person at the screen answers.
bool FullScreenAtStart(StartAnswer answer) {
    if (answer != StartAnswer::Ask) {
        return answer == StartAnswer::FullScreen;
    }
    return platform::ShowMessageBox(kFullScreenQuestion, kFullScreenCaption,
                                    platform::MessageBoxStyle::QuestionYesNo) !=
           platform::MessageBoxAnswer::No;
}

// Without its shading ramp the show would end at once; a kiosk says why before any window opens.
bool ShadeRampReadable() {
    float values[kShadeRampSize][3];
    const ContentReport ramp = CheckShadeRamp(values);
    if (ramp.unreadable) {
        std::fprintf(stderr, "standview: %s: %s; the show cannot start without it\n", ramp.path.c_str(),
                     ramp.problem.c_str());
        return false;
    }
    return true;
}

int RunShow(const CommandLine& options) {
    if (options.kiosk && !ShadeRampReadable()) {
        return kKioskFailedExitCode;
    }
    Presentation show;
    show.glow.mode = options.glow;
    ShowMonitor monitor(options, show);
    show.scenes.visits.Start(options.statsDb);
    const int exitCode = AppMain(platform::ProgramInstance(),
                                 ShellFrameCallbacks(show, monitor.Wanted() ? &monitor : nullptr), options);
    show.scenes.visits.Stop();
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

FrameCallbacks ShellFrameCallbacks(Presentation& show, ShowMonitor* monitor) {
    FrameCallbacks callbacks{
        [&show](AppWindow* window, KeyTable* keys, std::string* whyNot) {
            return StartUp(show, window, keys, whyNot);
        },
        [&show](uint32_t elapsedMs) { UpdateFrame(show, elapsedMs); },
        [&show] { DrawFrame(show); },
        [&show] { ShutDown(show); },
        nullptr,
        [&show](const ButtonPanel& buttons) { show.status.Report(show.scenes, buttons); },
    };
    if (monitor != nullptr) {
        callbacks.frameDrawn = [monitor](uint32_t elapsedMs, const ButtonPanel& buttons) {
            monitor->FrameDrawn(elapsedMs, buttons);
        };
    }
    return callbacks;
}

int AppMain(platform::InstanceHandle instance, const FrameCallbacks& callbacks, const CommandLine& options) {
    AppClass appClass{instance, kClassName};
    const bool fullScreen = FullScreenAtStart(options.startAnswer);
    if (!RegisterAppClass(&appClass)) {
        platform::ShowMessageBox(kRegisterFailedText, kErrorCaption, platform::MessageBoxStyle::ErrorOk);
        return kRegisterFailedExitCode;
    }
    const ShowSessionEnd end =
        RunShowSession(&appClass, fullScreen, options.screen == ScreenChoice::Native, callbacks);
    platform::UnregisterWindowClass(kClassName, instance);
    if (options.kiosk && end.failure) {
        std::fprintf(stderr, "%s%s%s\n", end.failure, end.whyNot.empty() ? "" : ": ", end.whyNot.c_str());
        return kKioskFailedExitCode;
    }
    return 0;
}

int RunProgram(const CommandLine& options) {
    platform::SetDataFolder(options.dataFolder);
    platform::SetMessageBoxesUnattended(options.kiosk);
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
