#include "shell/CommandLine.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Parse {
    bool run = false;
    int exitCode = -1;
    CommandLine options;
    std::string out;
    std::string err;
};

Parse ParseArguments(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "standview");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    Parse parse;
    std::ostringstream out;
    std::ostringstream err;
    parse.run = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), &parse.options, &parse.exitCode,
                                 out, err);
    parse.out = out.str();
    parse.err = err.str();
    return parse;
}

TEST(CommandLineTest, NoOptionsShowsAndAsksAsBeforeAndOptionsFillTheirFields) {
    const Parse plain = ParseArguments({});
    ASSERT_TRUE(plain.run);
    EXPECT_EQ(plain.options.action, ProgramAction::Show);
    EXPECT_EQ(plain.options.startAnswer, StartAnswer::Ask);
    EXPECT_EQ(plain.options.dataFolder, "");
    EXPECT_FALSE(plain.options.kiosk);
    EXPECT_EQ(plain.options.glow, GlowMode::Auto);
    EXPECT_EQ(plain.options.screen, ScreenChoice::Mode800x600);

    testing_support::TempDir content;
    const Parse kiosk = ParseArguments({"--kiosk", "--windowed", "--data", content.Path()});
    ASSERT_TRUE(kiosk.run) << kiosk.err;
    EXPECT_TRUE(kiosk.options.kiosk);
    EXPECT_EQ(kiosk.options.startAnswer, StartAnswer::Windowed);
    EXPECT_EQ(kiosk.options.dataFolder, content.Path());
    EXPECT_EQ(ParseArguments({"--fullscreen"}).options.startAnswer, StartAnswer::FullScreen);
    EXPECT_EQ(ParseArguments({"--glow", "exact"}).options.glow, GlowMode::Exact);
    EXPECT_EQ(ParseArguments({"--glow=fast"}).options.glow, GlowMode::Fast);
    EXPECT_EQ(ParseArguments({"--screen", "native"}).options.screen, ScreenChoice::Native);
    EXPECT_EQ(ParseArguments({"--screen=800x600"}).options.screen, ScreenChoice::Mode800x600);
    EXPECT_EQ(ParseArguments({"--check", "--data=" + content.Path()}).options.action, ProgramAction::Check);

    for (const char* info : {"--help", "--version"}) {
        const Parse parse = ParseArguments({info});
        EXPECT_FALSE(parse.run) << info;
        EXPECT_EQ(parse.exitCode, 0) << info;
        EXPECT_NE(parse.out, "") << info;
    }
}

TEST(CommandLineTest, UsageErrorsEndWithExitCode2AndOneLine) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--fullscreen", "--windowed"},
        {"--data"},
        {"--data", "/no/such/folder"},
        {"--bogus"},
        {"stray"},
        {"--glow", "slow"},
        {"--screen", "1920x1080"},
        {"--screen"},
        {"--stats-db", ""},
        {"--stats", "--stats-db="},
        {"--stats-db", "a.sqlite", "--stats-db", "b.sqlite"},
        {"--stats", "--stats-db", "=a.sqlite"},
        {"--stats", "--stats-db", "hall-a="},
        {"--stats", "--stats-db", "a/visits.sqlite", "--stats-db", "b/visits.sqlite"},
        {"--stats", "--stats-db", "a.sqlite", "--stats-db", "a=a.sqlite"},
        {"--snapshot-every", "10"},
        {"--snapshot", "s.png", "--snapshot-every", "0"},
        {"--metrics", ""},
    };
    for (const std::vector<std::string>& arguments : wrong) {
        const Parse parse = ParseArguments(arguments);
        EXPECT_FALSE(parse.run) << arguments[0];
        EXPECT_EQ(parse.exitCode, kUsageErrorExitCode) << arguments[0];
        EXPECT_EQ(parse.out, "") << arguments[0];
        ASSERT_FALSE(parse.err.empty()) << arguments[0];
        EXPECT_EQ(parse.err.find('\n'), parse.err.size() - 1) << parse.err;
    }
}

// Each booth's database named by NAME=PATH or by its file; a file whose own name holds '=' is a path.
TEST(CommandLineTest, TheSummaryNamesEachDatabaseForItsBooth) {
    testing_support::TempDir dir;
    const std::string odd = dir.Write("x=y.sqlite", "");
    const Parse parse = ParseArguments({"--stats", "--stats-db", dir.Path() + "/visits.sqlite", "--stats-db",
                                        "hall-b=" + dir.Path() + "/b.sqlite", "--stats-db", odd});
    ASSERT_TRUE(parse.run) << parse.err;
    ASSERT_EQ(parse.options.statsFiles.size(), 3u);
    EXPECT_EQ(parse.options.statsFiles[0].booth, "visits");
    EXPECT_EQ(parse.options.statsFiles[0].path, dir.Path() + "/visits.sqlite");
    EXPECT_EQ(parse.options.statsFiles[1].booth, "hall-b");
    EXPECT_EQ(parse.options.statsFiles[1].path, dir.Path() + "/b.sqlite");
    EXPECT_EQ(parse.options.statsFiles[2].booth, "x=y");
    EXPECT_EQ(parse.options.statsFiles[2].path, odd);

    const Parse twice = ParseArguments(
        {"--stats", "--stats-db", "hall-a=" + odd, "--stats-db", "hall-b=" + dir.Path() + "/./x=y.sqlite"});
    EXPECT_EQ(twice.exitCode, kUsageErrorExitCode);
    EXPECT_NE(twice.err.find("are the same file"), std::string::npos) << twice.err;

    const Parse show =
        ParseArguments({"--stats-db", "a=b.sqlite", "--metrics", "m.prom", "--snapshot", "s.png"});
    ASSERT_TRUE(show.run) << show.err;
    EXPECT_EQ(show.options.statsDb, "a=b.sqlite") << "the show records at the path as written";
    EXPECT_EQ(show.options.metricsPath, "m.prom");
    EXPECT_EQ(show.options.snapshotPath, "s.png");
    EXPECT_EQ(show.options.snapshotEverySeconds, 60);
}

// A content folder that cannot be used is reported as the system finds it, not only as missing.
TEST(CommandLineTest, AContentFolderIsRefusedForWhatIsWrongWithIt) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows, and its system words its errors otherwise";
#endif
    testing_support::TempDir dir;
    const std::string loop = dir.Path() + "/loop";
    std::filesystem::create_directory_symlink(loop + "2", loop);
    std::filesystem::create_directory_symlink(loop, loop + "2");
    const std::string file = dir.Write("plain", "");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {loop, loop + ": Too many levels of symbolic links"},
        {dir.Path() + "/none", dir.Path() + "/none: No such file or directory"},
        {file, file + ": not a directory"},
    };
    for (const auto& [folder, problem] : cases) {
        const Parse parse = ParseArguments({"--data", folder});
        EXPECT_EQ(parse.exitCode, kUsageErrorExitCode) << folder;
        EXPECT_NE(parse.err.find(problem), std::string::npos) << parse.err;
    }
}

} // namespace
