// What the program is asked to do when started: the options of its command line, read with CLI11.
// Adding an option takes a field here and one declaration in DeclareOptions (shell/CommandLine.cpp);
// a new kind of run (one that reports and ends instead of showing) also takes a ProgramAction and its
// entry in RunProgram's table (shell/AppMain.cpp).
#pragma once

#include "render/Glow.h"
#include "stats/VisitSummary.h"

#include <ostream>
#include <string>
#include <vector>

enum class ProgramAction {
    Show,  // the presentation
    Check, // opens every content file and reports on each
    Stats, // prints the summary of the visit statistics
};

constexpr int kDefaultSnapshotSeconds = 60;

// How the full-screen question at the start is settled.
enum class StartAnswer { Ask, FullScreen, Windowed };

// What full screen is: the display switched to 800 by 600, or the display as it is, with the 4:3 picture
// as large as it fits, centred.
enum class ScreenChoice { Mode800x600, Native };

// "800x600" or "native"; false, leaving *choice alone, for anything else.
bool ScreenChoiceFromName(const std::string& name, ScreenChoice* choice);

struct CommandLine {
    ProgramAction action = ProgramAction::Show;
    StartAnswer startAnswer = StartAnswer::Ask;
    // The content folder; empty means "Data" in the working directory, found without regard to case.
    std::string dataFolder;
    // Nobody is there: no message box waits for a person, and a start that cannot succeed ends the run
    // with a non-zero exit code.
    bool kiosk = false;
    GlowMode glow = GlowMode::Auto;
    ScreenChoice screen = ScreenChoice::Mode800x600;
    // The visit statistics' database; empty: the show records nothing.
    std::string statsDb;
    // The databases the summary reads and sums: each --stats-db, named for its booth.
    std::vector<stats::BoothFile> statsFiles;
    // The summary's period, whole UTC days YYYY-MM-DD, both included; empty for no bound.
    std::string statsSince;
    std::string statsUntil;
    // The summary writes the raw records as CSV instead.
    bool statsCsv = false;
    // Where the show writes its figures for Prometheus, and its snapshot; empty: not written.
    std::string metricsPath;
    std::string snapshotPath;
    int snapshotEverySeconds = kDefaultSnapshotSeconds;
};

// The exit code of a command line the program does not understand.
constexpr int kUsageErrorExitCode = 2;

// "1.0.0".
const char* ProgramVersion();

// Reads the arguments into *options. False when the run ends here: after --help or --version (printed
// to `out`, exit code 0) or a usage error (one line on `err`, exit code 2); *exitCode then says which.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine* options, int* exitCode,
                      std::ostream& out, std::ostream& err);
