// The visit database (SQLite): its versioned schema, the writer's connection and read-only opening for
// the summary. One row per scene start or per press on a running scene; times are UTC milliseconds.
#pragma once

#include "stats/VisitRecording.h"

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace stats {

// Indexed by StartCause.
constexpr const char* kCauseNames[] = {"button1", "button2", "button3", "button4",
                                       "key",     "timeout", "startup"};

// The schema version this program writes (PRAGMA user_version).
extern const int kVisitSchemaVersion;

struct VisitEvent {
    int64_t utcMs = 0;
    std::string scene; // empty: only closes the previous start's stay
    StartCause cause = StartCause::Key;
    bool whileRunning = false;
    int64_t previousStayMs = -1; // the stay of the previous start, ended by this event; -1 for none
};

class VisitStore {
public:
    VisitStore() = default;
    VisitStore(const VisitStore&) = delete;
    VisitStore& operator=(const VisitStore&) = delete;
    ~VisitStore();

    // Opens or creates the file and brings its schema up to date. False, with the reason, when the
    // file cannot be opened or written, is no database or was made by a newer version.
    bool Open(const std::string& path, std::string* problem);
    // One transaction, committed and synced before it returns.
    bool Append(const std::vector<VisitEvent>& events, std::string* problem);
    // True once the open file is no longer the one at its path: deleted, or replaced by another. What is
    // committed to it then is lost with it.
    bool FileGone() const;

private:
    bool Exec(const char* sql, std::string* problem);
    bool AppendOne(const VisitEvent& event);
    void CheckpointNowAndThen();

    sqlite3* db = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_stmt* closeStay = nullptr;
    int64_t lastStartRow = 0;
    int64_t lastCheckpointMs = 0;
};

// Read-only, for the summary: never creates the file nor changes it. Null, with the reason, when it
// cannot be read; *version is its schema version (0: it holds no visits yet).
sqlite3* OpenVisitsForReading(const std::string& path, int* version, std::string* problem);

} // namespace stats
