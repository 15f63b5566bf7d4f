// The operator's summary on a small database whose answer is worked out by hand: two days at the booth,
// starts by every kind of cause, a press on the running video stage and a last stay that never ended.
// Then the file as the summary meets it beside a running show, copied to a medium it cannot write to,
// and with something other than a file under its name.
#include "stats/VisitStore.h"
#include "stats/VisitSummary.h"
#include "support/Fifo.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// 2026-06-10 00:00 UTC.
constexpr int64_t kFirstDayMs = 1781049600000;
constexpr int64_t kSecond = 1000;
constexpr int64_t kHour = 3600 * kSecond;
constexpr int64_t kDay = 24 * kHour;

struct Row {
    int64_t utcMs;
    const char* scene;
    const char* cause;
    int whileRunning;
    int64_t stayMs; // -1: never ended
};

// clang-format off
const Row kRows[] = {
    {kFirstDayMs + 8 * kHour + 3570 * kSecond,  "MainScreen", "startup", 0, 60000},
    {kFirstDayMs + 9 * kHour + 30 * kSecond,    "Horse",      "button3", 0, 40000},
    {kFirstDayMs + 9 * kHour + 70 * kSecond,    "MainScreen", "timeout", 0, 600000},
    {kFirstDayMs + 9 * kHour + 670 * kSecond,   "Cubes",      "key",     0, 70000},
    {kFirstDayMs + 9 * kHour + 700 * kSecond,   "Cubes",      "button4", 1, -1},
    {kFirstDayMs + 9 * kHour + 740 * kSecond,   "Horse",      "key",     0, 20000},
    {kFirstDayMs + 14 * kHour + 300 * kSecond,  "Mountain",   "button2", 0, 30000},
    {kFirstDayMs + kDay - 1,                    "MainScreen", "timeout", 0, 1},
    {kFirstDayMs + kDay + 14 * kHour + 1800 * kSecond, "Horse",     "button3", 0, 90000},
    {kFirstDayMs + kDay + 15 * kHour + 600 * kSecond,  "Mountain",  "button2", 0, 10000},
    {kFirstDayMs + kDay + 15 * kHour + 1890 * kSecond, "Parthenon", "button1", 0, -1},
};
// clang-format on

namespace fs = std::filesystem;

// One hour's row of the busiest hours: its bar of `marks` of 40, then its count.
std::string HourRow(int hour, size_t marks, int count) {
    char label[16];
    std::snprintf(label, sizeof label, "  %02d:00  ", hour);
    return label + std::string(marks, '#') + std::string(40 - marks, ' ') + "  " + std::to_string(count) +
           "\n";
}

// Every file in the folder with its contents.
std::map<std::string, std::string> Listing(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

// nobody's user and group.
constexpr uid_t kNobody = 65534;

// The summary as a CSV in a process that may not write to the file's folder: as root, who may write
// anywhere, it first becomes nobody, whom the folder's mode stops; otherwise the folder's mode stops the
// user. 0 when the CSV holds `record` and neither the folder nor the temporary folder `scratch` gained or
// changed a file; otherwise what went wrong is on standard error.
int SummaryWithoutWriting(const std::string& path, const std::string& scratch, const std::string& record) {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
        std::fprintf(stderr, "cannot become nobody\n");
        return 3;
    }
    setenv("TMPDIR", scratch.c_str(), 1);
    const std::string folder = fs::path(path).parent_path().string();
    const std::map<std::string, std::string> before = Listing(folder);
    std::ostringstream out;
    std::ostringstream err;
    if (stats::PrintVisitSummary({{{"", path}}, "", "", true}, out, err) != 0) {
        std::fprintf(stderr, "%s", err.str().c_str());
        return 1;
    }
    if (out.str().find(record) == std::string::npos) {
        std::fprintf(stderr, "%s is not in the summary:\n%s", record.c_str(), out.str().c_str());
        return 1;
    }
    if (Listing(folder) != before || !fs::is_empty(scratch)) {
        std::fprintf(stderr, "a file was made or changed\n");
        return 1;
    }
    return 0;
}

// The recorder's own schema, then the rows by hand.
template <size_t count> void MakeDatabase(const std::string& path, const Row (&rows)[count]) {
    {
        stats::VisitStore store;
        std::string problem;
        ASSERT_TRUE(store.Open(path, &problem)) << problem;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "INSERT INTO visit (started_utc_ms, scene, cause, while_running, stay_ms) "
                                 "VALUES (?, ?, ?, ?, NULLIF(?, -1))",
                                 -1, &insert, nullptr),
              SQLITE_OK);
    for (const Row& row : rows) {
        sqlite3_bind_int64(insert, 1, row.utcMs);
        sqlite3_bind_text(insert, 2, row.scene, -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, row.cause, -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 4, row.whileRunning);
        sqlite3_bind_int64(insert, 5, row.stayMs);
        ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

class VisitSummaryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(MakeDatabase(path, kRows)); }

    int Summary(const std::string& since, const std::string& until, bool csv) {
        return Summary({{"", path}}, since, until, csv);
    }
    int Summary(const std::vector<stats::BoothFile>& files, const std::string& since,
                const std::string& until, bool csv) {
        out.str("");
        err.str("");
        return stats::PrintVisitSummary({files, since, until, csv}, out, err);
    }

    testing_support::TempDir dir;
    std::string path = dir.Path() + "/visits.sqlite";
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(VisitSummaryTest, CountsMediansHoursAndCausesOfTwoDays) {
    ASSERT_EQ(Summary("", "", false), 0) << err.str();
    const std::string expected =
        "Visit statistics of " + path + " (times in UTC)\n" +
        "10 scene starts from 2026-06-10 08:59 to 2026-06-11 15:31\n"
        "\n"
        "Scene starts per day\n"
        "  day         Cubes  Horse  MainScreen  Mountain  Parthenon\n"
        "  2026-06-10      1      2           3         1          0\n"
        "  2026-06-11      0      1           0         1          1\n"
        "\n"
        "Busiest hours (scene starts by the visitors' buttons and the keys, all days "
        "together)\n" +
        HourRow(9, 40, 3) + HourRow(10, 0, 0) + HourRow(11, 0, 0) + HourRow(12, 0, 0) + HourRow(13, 0, 0) +
        HourRow(14, 26, 2) + HourRow(15, 26, 2) +
        "\n"
        "Median stay per exhibit (visitors' starts that have ended)\n"
        "  Cubes            70.0 s  (1 stays)\n"
        "  Horse            40.0 s  (3 stays)\n"
        "  Mountain         20.0 s  (2 stays)\n"
        "\n"
        "Buttons against keys (scene starts)\n"
        "  button1        1\n"
        "  button2        2\n"
        "  button3        2\n"
        "  buttons        5\n"
        "  keys           2\n"
        "  presses on a scene already running (the video stage's next movie): 1 by "
        "button, 0 by key\n";
    EXPECT_EQ(out.str(), expected);
}

// A second booth's file, with a scene the first booth's day lacks, an hour of its own and a third day:
// the summary of both is their sum, worked out by hand from the two tables; the CSV keeps every record
// of each, named for its booth.
TEST_F(VisitSummaryTest, TwoBoothsAreSummedAndTheirCsvNamesEachRecordsBooth) {
    // clang-format off
    const Row secondBooth[] = {
        {kFirstDayMs + 9 * kHour + 100 * kSecond,  "Parthenon", "button1", 0, 30000},
        {kFirstDayMs + 2 * kDay + 10 * kHour,      "Horse",     "key",     0, -1},
    };
    // clang-format on
    const std::string second = dir.Path() + "/hall-b.sqlite";
    ASSERT_NO_FATAL_FAILURE(MakeDatabase(second, secondBooth));

    ASSERT_EQ(Summary({{"visits", path}, {"hall-b", second}}, "", "", false), 0) << err.str();
    const std::string expected =
        "Visit statistics of 2 booths together (times in UTC)\n"
        "  visits  " +
        path +
        "\n"
        "  hall-b  " +
        second +
        "\n"
        "12 scene starts from 2026-06-10 08:59 to 2026-06-12 10:00\n"
        "\n"
        "Scene starts per day\n"
        "  day         Cubes  Horse  MainScreen  Mountain  Parthenon\n"
        "  2026-06-10      1      2           3         1          1\n"
        "  2026-06-11      0      1           0         1          1\n"
        "  2026-06-12      0      1           0         0          0\n"
        "\n"
        "Busiest hours (scene starts by the visitors' buttons and the keys, all days together)\n" +
        HourRow(9, 40, 4) + HourRow(10, 10, 1) + HourRow(11, 0, 0) + HourRow(12, 0, 0) + HourRow(13, 0, 0) +
        HourRow(14, 20, 2) + HourRow(15, 20, 2) +
        "\n"
        "Median stay per exhibit (visitors' starts that have ended)\n"
        "  Cubes            70.0 s  (1 stays)\n"
        "  Horse            40.0 s  (3 stays)\n"
        "  Mountain         20.0 s  (2 stays)\n"
        "  Parthenon        30.0 s  (1 stays)\n"
        "\n"
        "Buttons against keys (scene starts)\n"
        "  button1        2\n"
        "  button2        2\n"
        "  button3        2\n"
        "  buttons        6\n"
        "  keys           3\n"
        "  presses on a scene already running (the video stage's next movie): 1 by button, 0 by key\n";
    EXPECT_EQ(out.str(), expected);

    ASSERT_EQ(Summary({{"visits", path}, {"hall-b", second}}, "", "", true), 0) << err.str();
    const std::string csv = out.str();
    EXPECT_EQ(csv.rfind("booth,started_utc,scene,cause,while_running,stay_ms\n"
                        "visits,2026-06-10T08:59:30.000Z,MainScreen,startup,0,60000\n",
                        0),
              0u)
        << csv;
    EXPECT_EQ(csv.substr(csv.size() - 103), "hall-b,2026-06-10T09:01:40.000Z,Parthenon,button1,0,30000\n"
                                            "hall-b,2026-06-12T10:00:00.000Z,Horse,key,0,\n")
        << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 11 + 2) << csv;

    // One unreadable booth spoils the sum: nothing is printed, and the file is named.
    const std::string missing = dir.Path() + "/hall-c.sqlite";
    EXPECT_EQ(Summary({{"visits", path}, {"hall-c", missing}}, "", "", false), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str().rfind("standview: cannot read visit statistics from " + missing + ": ", 0), 0u)
        << err.str();
}

TEST_F(VisitSummaryTest, PeriodBoundsAreWholeUtcDaysAndCsvKeepsEveryRecord) {
    ASSERT_EQ(Summary("2026-06-10", "2026-06-10", true), 0) << err.str();
    const std::string firstDay = out.str();
    EXPECT_EQ(firstDay.substr(0, firstDay.find('\n', firstDay.find('\n') + 1) + 1),
              "started_utc,scene,cause,while_running,stay_ms\n"
              "2026-06-10T08:59:30.000Z,MainScreen,startup,0,60000\n");
    EXPECT_NE(firstDay.find("\n2026-06-10T09:11:40.000Z,Cubes,button4,1,\n"), std::string::npos) << firstDay;
    EXPECT_NE(firstDay.find("\n2026-06-10T23:59:59.999Z,MainScreen,timeout,0,1\n"), std::string::npos)
        << "the last millisecond belongs to the day";
    EXPECT_EQ(firstDay.find("2026-06-11"), std::string::npos) << firstDay;

    ASSERT_EQ(Summary("2026-06-11", "", true), 0);
    EXPECT_EQ(out.str(), "started_utc,scene,cause,while_running,stay_ms\n"
                         "2026-06-11T14:30:00.000Z,Horse,button3,0,90000\n"
                         "2026-06-11T15:10:00.000Z,Mountain,button2,0,10000\n"
                         "2026-06-11T15:31:30.000Z,Parthenon,button1,0,\n");

    ASSERT_EQ(Summary("2026-06-12", "", false), 0);
    EXPECT_NE(out.str().find("No scene starts recorded in this period."), std::string::npos);
}

TEST_F(VisitSummaryTest, BadDatesAndMissingFilesAreOneLineAndCreateNothing) {
    for (const char* date : {"2026-02-30", "2026-6-1", "10.06.2026", "2026-06-10x"}) {
        EXPECT_EQ(Summary(date, "", false), 2) << date;
        EXPECT_EQ(Summary("", date, false), 2) << date;
        EXPECT_EQ(err.str(),
                  "standview: --until " + std::string(date) + ": not a date of the form YYYY-MM-DD\n");
    }
    EXPECT_EQ(Summary("2026-06-11", "2026-06-10", false), 2);
    EXPECT_EQ(err.str(), "standview: --until 2026-06-10 is before --since 2026-06-11\n");
    EXPECT_EQ(out.str(), "");
    const std::string missing = dir.Path() + "/none.sqlite";
    path = missing;
    EXPECT_EQ(Summary("", "", false), 1);
    const std::string log = err.str();
    EXPECT_EQ(log.rfind("standview: cannot read visit statistics from " + missing + ": ", 0), 0u) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_FALSE(std::filesystem::exists(missing));
}

// The booth's writer holds the file open, its newest record still only in the log; the summary reads it
// there, and changes neither file (the shared index beside them is the readers' and writers' meeting
// place). A copy of the file and its log, without the index, on a folder the reader may not write to;
// then the file alone, once the writer has folded its log in and gone.
TEST_F(VisitSummaryTest, ReadsTheLogOfALiveFileAndWritesNothingAnywhere) {
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(
                  writer,
                  "PRAGMA wal_autocheckpoint = 0;"
                  "INSERT INTO visit (started_utc_ms, scene, cause) VALUES (1781222400000, 'Cubes', 'key')",
                  nullptr, nullptr, nullptr),
              SQLITE_OK);
    const std::string newest = "2026-06-12T00:00:00.000Z,Cubes,key,0,\n";
    std::map<std::string, std::string> files = Listing(dir.Path());
    ASSERT_GT(files[fs::path(path).filename().string() + "-wal"].size(), 0u) << "the record is in the log";
    const std::string mainFile = files["visits.sqlite"];
    const std::string log = files["visits.sqlite-wal"];

    ASSERT_EQ(Summary("", "", true), 0) << err.str();
    EXPECT_NE(out.str().find(newest), std::string::npos) << out.str();
    files = Listing(dir.Path());
    EXPECT_EQ(files.size(), 3u);
    EXPECT_TRUE(files["visits.sqlite"] == mainFile) << "the file was changed";
    EXPECT_TRUE(files["visits.sqlite-wal"] == log) << "the log was changed";

    testing_support::TempDir medium;
    const std::string scratch = medium.Path() + "/tmp";
    fs::create_directories(scratch);
    fs::permissions(medium.Path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(scratch, fs::perms::all | fs::perms::sticky_bit);
    // Copies of the files named, in a folder of their own that only root may write to.
    auto readOnlyCopies = [&medium](const std::string& name, std::initializer_list<std::string> files) {
        const std::string folder = medium.Path() + "/" + name;
        fs::create_directories(folder);
        for (const std::string& file : files) {
            fs::copy_file(file, folder + "/" + fs::path(file).filename().string());
        }
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
        return folder + "/visits.sqlite";
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        std::_Exit(SummaryWithoutWriting(readOnlyCopies("with-log", {path, path + "-wal"}), scratch, newest)),
        ::testing::ExitedWithCode(0), "")
        << "the file and its log, copied without the index";

    sqlite3_close(writer);
    ASSERT_EQ(Listing(dir.Path()).size(), 1u) << "the writer folded its log into the file";
    ASSERT_EQ(Summary("", "", true), 0) << err.str();
    EXPECT_NE(out.str().find(newest), std::string::npos) << out.str();
    EXPECT_EQ(Listing(dir.Path()).size(), 1u) << "the summary left a log or an index beside the file";
    EXPECT_EXIT(std::_Exit(SummaryWithoutWriting(readOnlyCopies("alone", {path}), scratch, newest)),
                ::testing::ExitedWithCode(0), "")
        << "the file alone";
}

// Something that is no file under the database's name or its log's is refused at once, not waited on.
TEST_F(VisitSummaryTest, AFifoUnderTheNameIsRefusedAtOnce) {
    const std::string fifoPath = dir.Path() + "/pipe.sqlite";
    for (const std::string& name : {fifoPath, path + "-wal"}) {
        testing_support::Fifo fifo(name);
        ASSERT_TRUE(fifo.Made());
        path = name == fifoPath ? fifoPath : dir.Path() + "/visits.sqlite";
        bool waited = false;
        const int code =
            fifo.RunGuarded([this] { return Summary("", "", false); }, waited, std::chrono::seconds(10));
        EXPECT_FALSE(waited) << name << ": the summary waited for a writer";
        EXPECT_EQ(code, 1) << name;
        EXPECT_EQ(err.str(), "standview: cannot read visit statistics from " + path + ": " +
                                 (name == fifoPath ? "" : name + ": ") + "a FIFO, not a regular file\n");
    }
}

} // namespace
