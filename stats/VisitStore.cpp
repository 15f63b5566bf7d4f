#include "stats/VisitStore.h"

#include <sqlite3.h>

#include <chrono>
#include <iterator>

namespace stats {
namespace {

// Entry i takes a file from schema version i to i + 1; a file of an older version is brought forward
// when the recorder opens it, in one transaction.
constexpr const char* kMigrations[] = {
    "CREATE TABLE visit ("
    " id INTEGER PRIMARY KEY,"
    " started_utc_ms INTEGER NOT NULL,"
    " scene TEXT NOT NULL,"
    " cause TEXT NOT NULL,"
    " while_running INTEGER NOT NULL DEFAULT 0,"
    " stay_ms INTEGER);"
    "CREATE INDEX visit_by_time ON visit (started_utc_ms);",
};

constexpr const char* kInsertSql =
    "INSERT INTO visit (started_utc_ms, scene, cause, while_running) VALUES (?, ?, ?, ?)";
constexpr const char* kCloseStaySql = "UPDATE visit SET stay_ms = ? WHERE id = ?";

// A copy of the main file alone (without its -wal) still holds everything but the last few seconds.
constexpr int64_t kCheckpointIntervalMs = 10 * 1000;
// A summary reading the file may hold a lock for a moment.
constexpr int kBusyTimeoutMs = 2000;

int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int ReadVersion(sqlite3* db, std::string* problem) {
    sqlite3_stmt* statement = nullptr;
    int version = -1;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        version = sqlite3_column_int(statement, 0);
    } else {
        *problem = sqlite3_errmsg(db);
    }
    sqlite3_finalize(statement);
    return version;
}

} // namespace

const int kVisitSchemaVersion = static_cast<int>(std::size(kMigrations));

namespace {

// The file's schema version; -1, with the reason, when it cannot be read or is newer than this program's.
int UsableVersion(sqlite3* db, std::string* problem) {
    const int version = ReadVersion(db, problem);
    if (version > kVisitSchemaVersion) {
        *problem = "made by a newer version (schema " + std::to_string(version) + ")";
        return -1;
    }
    return version;
}

} // namespace

VisitStore::~VisitStore() {
    sqlite3_finalize(insert);
    sqlite3_finalize(closeStay);
    sqlite3_close(db);
}

bool VisitStore::Exec(const char* sql, std::string* problem) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK) {
        return true;
    }
    *problem = sqlite3_errmsg(db);
    return false;
}

bool VisitStore::Open(const std::string& path, std::string* problem) {
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        *problem = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
        return false;
    }
    if (sqlite3_db_readonly(db, "main") == 1) {
        *problem = "the file is read-only";
        return false;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // Before anything is changed: a file this program does not understand is left exactly as it is.
    if (UsableVersion(db, problem) < 0) {
        return false;
    }
    // FULL syncs the log at every commit: a power cut then loses only what was not committed yet.
    if (!Exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL", problem) ||
        !Exec("BEGIN IMMEDIATE", problem)) {
        return false;
    }
    // Read again inside the transaction: another recorder may have brought the schema forward meanwhile.
    const int version = UsableVersion(db, problem);
    if (version < 0) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    for (int step = version; step < kVisitSchemaVersion; ++step) {
        if (!Exec(kMigrations[step], problem)) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
    }
    const std::string setVersion = "PRAGMA user_version = " + std::to_string(kVisitSchemaVersion);
    if (!Exec(setVersion.c_str(), problem) || !Exec("COMMIT", problem)) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    if (sqlite3_prepare_v2(db, kInsertSql, -1, &insert, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, kCloseStaySql, -1, &closeStay, nullptr) != SQLITE_OK) {
        *problem = sqlite3_errmsg(db);
        return false;
    }
    lastCheckpointMs = SteadyMs();
    return true;
}

bool VisitStore::AppendOne(const VisitEvent& event) {
    if (event.previousStayMs >= 0 && lastStartRow != 0) {
        sqlite3_reset(closeStay);
        sqlite3_bind_int64(closeStay, 1, event.previousStayMs);
        sqlite3_bind_int64(closeStay, 2, lastStartRow);
        if (sqlite3_step(closeStay) != SQLITE_DONE) {
            return false;
        }
    }
    if (event.scene.empty()) {
        return true;
    }
    sqlite3_reset(insert);
    sqlite3_bind_int64(insert, 1, event.utcMs);
    sqlite3_bind_text(insert, 2, event.scene.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 3, kCauseNames[static_cast<int>(event.cause)], -1, SQLITE_STATIC);
    sqlite3_bind_int(insert, 4, event.whileRunning ? 1 : 0);
    if (sqlite3_step(insert) != SQLITE_DONE) {
        return false;
    }
    if (!event.whileRunning) {
        lastStartRow = sqlite3_last_insert_rowid(db);
    }
    return true;
}

bool VisitStore::Append(const std::vector<VisitEvent>& events, std::string* problem) {
    const int64_t rowBefore = lastStartRow;
    if (!Exec("BEGIN IMMEDIATE", problem)) {
        return false;
    }
    for (const VisitEvent& event : events) {
        if (!AppendOne(event)) {
            *problem = sqlite3_errmsg(db);
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            lastStartRow = rowBefore;
            return false;
        }
    }
    if (!Exec("COMMIT", problem)) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        lastStartRow = rowBefore;
        return false;
    }
    CheckpointNowAndThen();
    return true;
}

bool VisitStore::FileGone() const {
    int moved = 0;
    return db != nullptr && sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
           moved != 0;
}

void VisitStore::CheckpointNowAndThen() {
    const int64_t now = SteadyMs();
    if (now - lastCheckpointMs < kCheckpointIntervalMs) {
        return;
    }
    lastCheckpointMs = now;
    // Passive: a reader may keep part of the log for now; the log still holds every record.
    sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
}

sqlite3* OpenVisitsForReading(const std::string& path, int* version, std::string* problem) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        *problem = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    *version = ReadVersion(db, problem);
    if (*version < 0) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

} // namespace stats
