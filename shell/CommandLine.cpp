#include "shell/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

constexpr const char* kProgramName = "standview";
constexpr const char* kDescription = "The booth presentation: a 3D walk through the exhibits, pictures, "
                                     "movies and music, steered by four buttons or the keys L, K, J and H.";
constexpr const char* kVersionText = "standview " STANDVIEW_VERSION;
constexpr const char* kGlowNames = "exact|fast|auto";
constexpr const char* kScreenNames = "native|800x600";
constexpr const char* kEmptyPath = "must name a file";
constexpr const char* kNotAFolder = "not a directory";
constexpr int kLongestSnapshotSeconds = 24 * 60 * 60;
constexpr char kBoothNameEnd = '=';
constexpr const char* kPathSeparators = "/\\";

struct ScreenName {
    const char* name;
    ScreenChoice choice;
};
constexpr ScreenName kScreenChoices[] = {
    {"800x600", ScreenChoice::Mode800x600},
    {"native", ScreenChoice::Native},
};

// Why the content folder cannot be used, as the system says it ("No such file or directory", "Too many
// levels of symbolic links"); empty for a folder.
std::string FolderProblem(std::string& folder) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (error) {
        return folder + ": " + error.message();
    }
    return std::filesystem::is_directory(status) ? std::string() : folder + ": " + kNotAFolder;
}

std::string NonEmptyPath(std::string& path) {
    return path.empty() ? std::string(kEmptyPath) : std::string();
}

// The summary's "NAME=PATH", or a path alone, whose booth is named for its file without the extension.
// A text that names an existing file is a path, whatever it holds; so is one whose '=' comes after a
// folder's separator.
bool ReadBoothFile(const std::string& text, stats::BoothFile* file, std::string* problem) {
    const size_t nameEnd = text.find(kBoothNameEnd);
    std::error_code error;
    const bool isName = nameEnd != std::string::npos && !std::filesystem::exists(text, error) &&
                        text.find_first_of(kPathSeparators) > nameEnd;
    file->path = isName ? text.substr(nameEnd + 1) : text;
    file->booth = isName ? text.substr(0, nameEnd) : std::filesystem::path(text).stem().string();
    if (file->booth.empty() || file->path.empty()) {
        *problem = "--stats-db " + text + ": NAME=PATH needs both a booth's name and a file";
        return false;
    }
    return true;
}

// Two names for one booth would mix their records in a CSV, and one file given twice would count twice.
bool CheckBoothsApart(const std::vector<stats::BoothFile>& files, std::string* problem) {
    for (size_t i = 0; i < files.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            std::error_code error;
            if (std::filesystem::equivalent(files[i].path, files[j].path, error)) {
                *problem = "--stats-db: " + files[j].path + " and " + files[i].path + " are the same file";
                return false;
            }
            if (files[i].booth == files[j].booth) {
                *problem = "--stats-db: " + files[j].path + " and " + files[i].path + " are both booth " +
                           files[i].booth + "; name them apart as NAME=PATH";
                return false;
            }
        }
    }
    return true;
}

// The show records into one database; the summary reads every one given, each named for its booth.
bool SettleDatabases(const std::vector<std::string>& databases, CommandLine* options, std::string* problem) {
    if (options->action != ProgramAction::Stats) {
        if (databases.size() > 1) {
            *problem = "--stats-db: the show records into one database; more than one go with --stats";
            return false;
        }
        options->statsDb = databases.empty() ? std::string() : databases.front();
        return true;
    }
    for (const std::string& text : databases) {
        stats::BoothFile file;
        if (!ReadBoothFile(text, &file, problem)) {
            return false;
        }
        options->statsFiles.push_back(file);
    }
    return CheckBoothsApart(options->statsFiles, problem);
}

void DeclareOptions(CLI::App& app, CommandLine& options, std::vector<std::string>& databases) {
    CLI::Option* fullScreen = app.add_flag_callback(
        "--fullscreen", [&options] { options.startAnswer = StartAnswer::FullScreen; },
        "Start in full screen without asking");
    CLI::Option* windowed = app.add_flag_callback(
        "--windowed", [&options] { options.startAnswer = StartAnswer::Windowed; },
        "Start in a window without asking");
    fullScreen->excludes(windowed);
    app.add_option("--data", options.dataFolder, "Content folder (default: Data in the working directory)")
        ->check(CLI::Validator(FolderProblem, ""))
        ->type_name("DIR");
    app.add_flag_callback(
        "--check", [&options] { options.action = ProgramAction::Check; },
        "Open every content file as the show would, print one line per file, and exit 0 when all are "
        "usable, 1 otherwise; needs no display");
    app.add_flag("--kiosk", options.kiosk,
                 "Unattended: messages go to the log instead of boxes, and a show that cannot start "
                 "exits non-zero");
    app.add_option_function<std::string>(
           "--glow", [&options](const std::string& name) { GlowModeFromName(name.c_str(), &options.glow); },
           "How the glow is drawn: the twenty exact layers, the fast single pass, or auto (fast on a "
           "software rasterizer, the default)")
        ->check(CLI::Validator(
            [](std::string& name) {
                GlowMode mode;
                return GlowModeFromName(name.c_str(), &mode) ? std::string()
                                                             : "must be " + std::string(kGlowNames);
            },
            ""))
        ->type_name(kGlowNames);
    app.add_option_function<std::string>(
           "--screen", [&options](const std::string& name) { ScreenChoiceFromName(name, &options.screen); },
           "Full screen at the display's own resolution, the picture centred at its 4:3 shape (native), or "
           "with the display switched to 800x600 (the default)")
        ->check(CLI::Validator(
            [](std::string& name) {
                ScreenChoice choice;
                return ScreenChoiceFromName(name, &choice) ? std::string()
                                                           : "must be " + std::string(kScreenNames);
            },
            ""))
        ->type_name(kScreenNames);
    CLI::Option* database =
        app.add_option("--stats-db", databases,
                       "Visit statistics' database (SQLite): the show records each scene start in it; "
                       "without it nothing is recorded. With --stats, once per booth, as PATH or NAME=PATH")
            ->allow_extra_args(false)
            ->check(CLI::Validator(NonEmptyPath, ""))
            ->type_name("PATH");
    CLI::Option* summary = app.add_flag_callback(
                                  "--stats", [&options] { options.action = ProgramAction::Stats; },
                                  "Print the summary of the visit statistics in --stats-db (of all of them "
                                  "together) and exit; needs no display")
                               ->needs(database);
    app.add_option("--since", options.statsSince, "The summary starts with this day (UTC)")
        ->type_name("DATE")
        ->needs(summary);
    app.add_option("--until", options.statsUntil, "The summary ends with this day (UTC)")
        ->type_name("DATE")
        ->needs(summary);
    app.add_flag("--csv", options.statsCsv,
                 "The summary writes the raw records as CSV instead; of several databases, with the booth "
                 "first")
        ->needs(summary);
    app.add_option("--metrics", options.metricsPath,
                   "Write the show's figures in Prometheus' text format to this file at the first frame, "
                   "every 10 s and at exit")
        ->check(CLI::Validator(NonEmptyPath, ""))
        ->type_name("PATH");
    CLI::Option* snapshot =
        app.add_option(
               "--snapshot", options.snapshotPath,
               "Write the frame on screen, scaled to 400x300, as a PNG to this file at the first frame "
               "and every --snapshot-every seconds")
            ->check(CLI::Validator(NonEmptyPath, ""))
            ->type_name("PATH");
    app.add_option("--snapshot-every", options.snapshotEverySeconds,
                   "Seconds between snapshots (default " + std::to_string(kDefaultSnapshotSeconds) + ")")
        ->check(CLI::Range(1, kLongestSnapshotSeconds))
        ->type_name("SECONDS")
        ->needs(snapshot);
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

bool ScreenChoiceFromName(const std::string& name, ScreenChoice* choice) {
    for (const ScreenName& entry : kScreenChoices) {
        if (name == entry.name) {
            *choice = entry.choice;
            return true;
        }
    }
    return false;
}

const char* ProgramVersion() {
    return STANDVIEW_VERSION;
}

bool ParseCommandLine(int argc, const char* const* argv, CommandLine* options, int* exitCode,
                      std::ostream& out, std::ostream& err) {
    CLI::App app(kDescription, kProgramName);
    app.set_version_flag("--version", kVersionText);
    std::vector<std::string> databases;
    DeclareOptions(app, *options, databases);
    std::string problem;
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            *exitCode = app.exit(error, out, err);
            return false;
        }
        problem = OneLine(error.what());
    }
    if (problem.empty() && SettleDatabases(databases, options, &problem)) {
        return true;
    }
    err << kProgramName << ": " << problem << " (see --help)\n";
    *exitCode = kUsageErrorExitCode;
    return false;
}
