#include "stats/VisitStore.h"

#include "platform/DataFile.h"
#include "platform/Process.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
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

constexpr const char* kLogSuffix = "-wal";
constexpr const char* kIndexSuffix = "-shm";
constexpr const char* kUnchangingQuery = "immutable=1";
constexpr const char* kCopyFolderPrefix = "standview-visits-";
constexpr const char* kNoCopyFolder = "no private folder for a copy of the file and its log";
constexpr int kCopyFolderAttempts = 100;
constexpr size_t kCopyChunkBytes = 64 * 1024;

// The characters of a path that a URI reserves, as SQLite's URI file names escape them.
struct UriEscape {
    char character;
    const char* escaped;
};
constexpr UriEscape kUriEscapes[] = {{'%', "%25"}, {'?', "%3f"}, {'#', "%23"}};

std::string FileUri(const std::string& path, const char* query) {
    // An absolute path after an empty authority, so that one starting with two slashes names no host.
    std::string uri = path.compare(0, 1, "/") == 0 ? "file://" : "file:";
    for (char c : path) {
        const UriEscape* escape =
            std::find_if(std::begin(kUriEscapes), std::end(kUriEscapes),
                         [c](const UriEscape& candidate) { return candidate.character == c; });
        uri += escape != std::end(kUriEscapes) ? std::string(escape->escaped) : std::string(1, c);
    }
    return uri + "?" + query;
}

// Whether the file (the database or one beside it) is there; false, with the reason, when something
// other than a regular file is there, which SQLite would open and might wait on.
bool Beside(const std::string& path, bool* there, std::string* problem) {
    bool missing = false;
    const std::string refusal = platform::FileRefusal(path, &missing);
    *there = !missing;
    if (!missing && !refusal.empty()) {
        *problem = path + ": " + refusal;
        return false;
    }
    return true;
}

bool CopyFile(const std::string& from, const std::string& to, std::string* problem) {
    platform::DataFile source;
    if (!source.OpenAt(from)) {
        *problem = from + ": " + source.Problem();
        return false;
    }
    std::ofstream copy(to, std::ios::binary);
    std::vector<uint8_t> chunk(kCopyChunkBytes);
    for (size_t got; copy && (got = source.Read(chunk.data(), chunk.size())) > 0;) {
        copy.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(got));
    }
    copy.close();
    if (!source.Problem().empty() || !copy) {
        *problem = source.Problem().empty() ? "cannot write a copy at " + to : from + ": " + source.Problem();
        return false;
    }
    return true;
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
    bool there = false;
    if (!Beside(path, &there, problem) || !Beside(path + kLogSuffix, &there, problem) ||
        !Beside(path + kIndexSuffix, &there, problem)) {
        return false;
    }
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

VisitReader::~VisitReader() {
    sqlite3_close(db);
    if (!copyFolder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(copyFolder, ignored);
    }
}

bool VisitReader::Open(const std::string& path, std::string* problem) {
    if (db != nullptr) {
        *problem = "already open";
        return false;
    }
    const std::string refusal = platform::FileRefusal(path);
    if (!refusal.empty()) {
        *problem = refusal;
        return false;
    }
    const std::string log = path + kLogSuffix;
    bool logThere = false;
    bool indexThere = false;
    if (!Beside(log, &logThere, problem) || !Beside(path + kIndexSuffix, &indexThere, problem)) {
        return false;
    }
    std::error_code error;
    const bool logHoldsRecords = logThere && std::filesystem::file_size(log, error) != 0;
    bool opened = false;
    if (!logHoldsRecords) {
        // Everything is in the file itself. Taken as unchanging, it is read with no lock, and no log or
        // index is made beside it.
        opened =
            OpenDatabase(FileUri(path, kUnchangingQuery), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, problem);
    } else if (indexThere) {
        // A running show's file, or one whose show was stopped hard: the index says which of the log's
        // records are committed, and a reader changes no file.
        opened = OpenDatabase(path, SQLITE_OPEN_READONLY, problem);
    } else {
        // The log without its index, as copied from a booth: SQLite would make the index beside them.
        opened = OpenCopy(path, problem);
    }
    if (!opened) {
        return false;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    version = ReadVersion(db, problem);
    return version >= 0;
}

bool VisitReader::OpenDatabase(const std::string& name, int flags, std::string* problem) {
    if (sqlite3_open_v2(name.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        *problem = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
        return false;
    }
    return true;
}

bool VisitReader::OpenCopy(const std::string& path, std::string* problem) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    const std::string stem = kCopyFolderPrefix + std::to_string(platform::GetCurrentProcessId()) + "-";
    for (int attempt = 0; !error && copyFolder.empty() && attempt < kCopyFolderAttempts; ++attempt) {
        const fs::path candidate = temporary / (stem + std::to_string(attempt));
        if (fs::create_directory(candidate, error)) {
            copyFolder = candidate.string();
        }
    }
    if (copyFolder.empty()) {
        *problem = std::string(kNoCopyFolder) + (error ? ": " + error.message() : std::string());
        return false;
    }
    fs::permissions(copyFolder, fs::perms::owner_all, error);
    const std::string copy = (fs::path(copyFolder) / fs::path(path).filename()).string();
    // No show writes to a file whose log has no index, so the two are copied as they stand.
    return CopyFile(path, copy, problem) && CopyFile(path + kLogSuffix, copy + kLogSuffix, problem) &&
           OpenDatabase(copy, SQLITE_OPEN_READONLY, problem);
}

} // namespace stats
