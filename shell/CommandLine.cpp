#include "shell/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace {

constexpr const char* kProgramName = "standview";
constexpr const char* kDescription = "The booth presentation: a 3D walk through the exhibits, pictures, "
                                     "movies and music, steered by four buttons or the keys L, K, J and H.";
constexpr const char* kVersionText = "standview " STANDVIEW_VERSION;

void DeclareOptions(CLI::App& app, CommandLine& options) {
    CLI::Option* fullScreen = app.add_flag_callback(
        "--fullscreen", [&options] { options.startAnswer = StartAnswer::FullScreen; },
        "Start in full screen without asking");
    CLI::Option* windowed = app.add_flag_callback(
        "--windowed", [&options] { options.startAnswer = StartAnswer::Windowed; },
        "Start in a window without asking");
    fullScreen->excludes(windowed);
    app.add_option("--data", options.dataFolder, "Content folder (default: Data in the working directory)")
        ->check(CLI::ExistingDirectory)
        ->type_name("DIR");
    app.add_flag_callback(
        "--check", [&options] { options.action = ProgramAction::Check; },
        "Open every content file as the show would, print one line per file, and exit 0 when all are "
        "usable, 1 otherwise; needs no display");
    app.add_flag("--kiosk", options.kiosk,
                 "Unattended: messages go to the log instead of boxes, and a show that cannot start "
                 "exits non-zero");
}

// CLI11's messages may span lines; a usage error is reported on one.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

} // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine* options, int* exitCode,
                      std::ostream& out, std::ostream& err) {
    CLI::App app(kDescription, kProgramName);
    app.set_version_flag("--version", kVersionText);
    DeclareOptions(app, *options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            *exitCode = app.exit(error, out, err);
        } else {
            err << kProgramName << ": " << OneLine(error.what()) << " (see --help)\n";
            *exitCode = kUsageErrorExitCode;
        }
        return false;
    }
    return true;
}
