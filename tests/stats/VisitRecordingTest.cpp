// The recorder on its writer thread against real files: what two runs of the show leave in one
// database, a file deleted while the show runs, and files it must not write to (not a database, made by
// a newer version, no such folder).
#include "stats/VisitRecording.h"
#include "stats/VisitStore.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int64_t kEpochMs = 1781078400000; // 2026-06-10 08:00 UTC

// Every column of every row, in order, as "offset scene cause whileRunning stay".
std::vector<std::string> Rows(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* select = nullptr;
    std::vector<std::string> rows;
    if (sqlite3_prepare_v2(db,
                           "SELECT started_utc_ms - ?, scene, cause, while_running, ifnull(stay_ms, 'open') "
                           "FROM visit ORDER BY id",
                           -1, &select, nullptr) == SQLITE_OK) {
        sqlite3_bind_int64(select, 1, kEpochMs);
        while (sqlite3_step(select) == SQLITE_ROW) {
            std::ostringstream row;
            for (int column = 0; column < 5; ++column) {
                row << (column ? " " : "")
                    << reinterpret_cast<const char*>(sqlite3_column_text(select, column));
            }
            rows.push_back(row.str());
        }
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    return rows;
}

std::string Pragma(const std::string& path, const char* name) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    std::string value;
    if (sqlite3_prepare_v2(db, (std::string("PRAGMA ") + name).c_str(), -1, &statement, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(VisitRecordingTest, TwoRunsOfTheShowIntoOneFile) {
    testing_support::TempDir dir;
    testing_support::FakeClock clock;
    clock.StartUtcAt(kEpochMs);
    const std::string path = dir.Path() + "/visits.sqlite";
    using stats::StartCause;
    stats::VisitRecording visits;

    visits.Start(path);
    visits.RecordSceneStart("MainScreen", StartCause::StartUp);
    clock.AdvanceMs(5000);
    visits.RecordSceneStart("Horse", stats::ButtonCause(3));
    clock.AdvanceMs(1500);
    visits.RecordSceneStart("Cubes", StartCause::Key);
    clock.AdvanceMs(700);
    visits.RecordPressWhileRunning("Cubes", stats::ButtonCause(4));
    clock.AdvanceMs(300);
    visits.Flush();
    // Committed while the show runs, so another reader (or a power cut) sees it now.
    EXPECT_EQ(Rows(path).size(), 4u);
    clock.AdvanceMs(35000);
    visits.RecordSceneStart("MainScreen", StartCause::TimeOut);
    clock.AdvanceMs(2500);
    visits.Stop();

    clock.AdvanceMs(60000);
    visits.Start(path);
    visits.RecordSceneStart("MainScreen", StartCause::StartUp);
    clock.AdvanceMs(3000);
    visits.Stop();
    EXPECT_FALSE(visits.Failed());

    const std::vector<std::string> expected = {
        "0 MainScreen startup 0 5000", "5000 Horse button3 0 1500",       "6500 Cubes key 0 36000",
        "7200 Cubes button4 1 open",   "42500 MainScreen timeout 0 2500", "105000 MainScreen startup 0 3000",
    };
    EXPECT_EQ(Rows(path), expected);
    EXPECT_EQ(Pragma(path, "user_version"), std::to_string(stats::kVisitSchemaVersion));
    EXPECT_EQ(Pragma(path, "journal_mode"), "wal");
}

TEST(VisitRecordingTest, AFileDeletedWhileTheShowRunsIsMadeAgainWithOneLine) {
    testing_support::TempDir dir;
    testing_support::FakeClock clock;
    clock.StartUtcAt(kEpochMs);
    const std::string path = dir.Path() + "/visits.sqlite";
    using stats::StartCause;
    stats::VisitRecording visits;

    testing::internal::CaptureStderr();
    visits.Start(path);
    visits.RecordSceneStart("MainScreen", StartCause::StartUp);
    clock.AdvanceMs(5000);
    visits.RecordSceneStart("Horse", stats::ButtonCause(3));
    visits.Flush();
    ASSERT_EQ(Rows(path).size(), 2u);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::remove((path + suffix).c_str());
    }
    clock.AdvanceMs(2000);
    visits.RecordSceneStart("Cubes", StartCause::Key);
    clock.AdvanceMs(1000);
    visits.RecordSceneStart("Mountain", StartCause::Key);
    visits.Flush();
    const bool failed = visits.Failed();
    clock.AdvanceMs(500);
    visits.Stop();
    const std::string log = testing::internal::GetCapturedStderr();

    EXPECT_FALSE(failed);
    EXPECT_EQ(log, "standview: visit statistics: " + path +
                       " was deleted or replaced; recording into a new file there\n");
    // The stay that began in the deleted file went with it.
    const std::vector<std::string> expected = {"7000 Cubes key 0 1000", "8000 Mountain key 0 500"};
    EXPECT_EQ(Rows(path), expected);
}

TEST(VisitRecordingTest, AFileItMustNotWriteGivesOneLineAndStaysAsItWas) {
    testing_support::TempDir dir;
    testing_support::FakeClock clock;
    const std::string notDatabase = dir.Write("notes.sqlite", std::string(8192, 'x'));
    const std::string newer = dir.Path() + "/newer.sqlite";
    {
        sqlite3* db = nullptr;
        sqlite3_open(newer.c_str(), &db);
        sqlite3_exec(db, "CREATE TABLE future (x); PRAGMA user_version = 99", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const std::string noFolder = dir.Path() + "/missing/visits.sqlite";
    stats::VisitRecording visits;

    for (const std::string& path : {notDatabase, newer, noFolder}) {
        const std::string before = Contents(path);
        testing::internal::CaptureStderr();
        visits.Start(path);
        visits.Flush();
        for (int i = 0; i < 200; ++i) {
            visits.RecordSceneStart(i % 2 ? "Horse" : "Cubes", stats::StartCause::Key);
            clock.AdvanceMs(1000);
        }
        visits.Flush();
        const bool failed = visits.Failed();
        visits.Stop();
        const std::string log = testing::internal::GetCapturedStderr();

        EXPECT_TRUE(failed) << path;
        EXPECT_EQ(log.rfind("standview: visit statistics are off: " + path + ": ", 0), 0u) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_TRUE(Contents(path) == before) << path << " was changed";
    }
    EXPECT_EQ(Pragma(newer, "user_version"), "99");
}

} // namespace
