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

// The file opened for the summary without changing it or leaving anything beside it, also on a
// read-only medium and by a user who may not write there: the records still in its write-ahead log
// (-wal) are read too, through the live index (-shm) where there is one, from a private copy of the two
// files where there is none.
class VisitReader {
public:
    VisitReader() = default;
    VisitReader(const VisitReader&) = delete;
    VisitReader& operator=(const VisitReader&) = delete;
    ~VisitReader();

    // False, with the reason, when the file cannot be read.
    bool Open(const std::string& path, std::string* problem);
    sqlite3* Database() const { return db; }
    // The file's schema version; 0 when it holds no visits yet.
    int Version() const { return version; }

private:
    bool OpenDatabase(const std::string& name, int flags, std::string* problem);
    bool OpenCopy(const std::string& path, std::string* problem);

    sqlite3* db = nullptr;
    int version = 0;
    std::string copyFolder; // the private copy's, removed with the reader
};

} // namespace stats
