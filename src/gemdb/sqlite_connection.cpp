#include "gemdb/sqlite_connection.h"

#include <sqlite3.h>

#include <limits>

#include "base/error.h"

namespace kest {

namespace {

// A busy database (another process writing) is waited for this long before an error.
constexpr int kBusyTimeoutMs = 2000;

[[noreturn]] void ThrowOpenError(sqlite3* db, int code, const std::filesystem::path& path) {
    int extended = db != nullptr ? sqlite3_extended_errcode(db) : code;
    std::string text = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    sqlite3_close_v2(db);
    throw KestException(extended, text + ": " + path.string());
}

int OpenFlags(SqliteOpenMode mode) {
    // One thread uses a connection, so SQLite's own mutexes are not needed.
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
        case SqliteOpenMode::ReadWrite:
            return flags | SQLITE_OPEN_READWRITE;
        case SqliteOpenMode::ReadOnly:
            return flags | SQLITE_OPEN_READONLY;
        case SqliteOpenMode::Create:
            return flags | SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    }
    return flags;
}

}  // namespace

std::unique_ptr<SqliteConnection> SqliteConnection::Open(const std::filesystem::path& path,
                                                         SqliteOpenMode mode) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, OpenFlags(mode), nullptr);
    if (rc != SQLITE_OK) ThrowOpenError(db, rc, path);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    std::unique_ptr<SqliteConnection> connection(new SqliteConnection(db));
    // Durability: write-ahead log with synchronous=NORMAL. A commit returns only after its log
    // frames have been written to the file (handed to the operating system), so a committed
    // write survives a crash of the process, which is what the control must withstand; the
    // log is fsync'ed at checkpoints, so a power loss may lose the last commits but never
    // corrupts the file. synchronous=FULL would add an fsync to every commit (0.2 to 6 ms on
    // our machines), stalling the control's single thread on every state write. WAL also lets
    // the program-directory connection and kest-db read while the control writes. The first
    // query proves the file is a database (SQLite opens files lazily).
    try {
        if (mode == SqliteOpenMode::ReadWrite) {
            connection->Prepare("PRAGMA journal_mode=WAL").Run();
            connection->Prepare("PRAGMA synchronous=NORMAL").Run();
        }
        connection->Prepare("SELECT count(*) FROM sqlite_master").Run();
    } catch (const KestException& e) {
        throw KestException(e.Number(), std::string(e.what()) + ": " + path.string());
    }
    return connection;
}

SqliteConnection::~SqliteConnection() {
    for (auto& [sql, cached] : cache_)
        sqlite3_finalize(cached.stmt);
    sqlite3_close_v2(db_);
}

void SqliteConnection::Fail() const {
    throw KestException(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
}

sqlite3_stmt* SqliteConnection::Compile(std::string_view sql) {
    if (sql.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw KestException(SQLITE_TOOBIG, "SQL text too long");
    }
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()),
                                SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) Fail();
    if (stmt == nullptr) throw KestException(SQLITE_MISUSE, "empty SQL text");
    return stmt;
}

SqliteStatement SqliteConnection::Prepare(std::string_view sql) {
    auto found = cache_.find(sql);
    if (found == cache_.end()) {
        sqlite3_stmt* stmt = Compile(sql);
        found = cache_.emplace(std::string(sql), Cached{stmt, false}).first;
    }
    return Lend(found->second);
}

SqliteStatement SqliteConnection::Lend(Cached& cached) {
    if (cached.in_use) return SqliteStatement(Compile(sqlite3_sql(cached.stmt)), nullptr);
    cached.in_use = true;
    return SqliteStatement(cached.stmt, &cached.in_use);
}

void SqliteConnection::ExecuteScript(const std::string& sql) {
    char* message = nullptr;
    int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::string text = message != nullptr ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        throw KestException(sqlite3_extended_errcode(db_), text);
    }
}

int SqliteConnection::Changes() const noexcept {
    return sqlite3_changes(db_);
}

SqliteTransaction::SqliteTransaction(SqliteConnection& connection) : connection_(connection) {
    connection_.Prepare("BEGIN IMMEDIATE").Run();
}

SqliteTransaction::~SqliteTransaction() {
    if (!open_) return;
    try {
        connection_.Prepare("ROLLBACK").Run();
    } catch (const KestException&) {
        // A failed statement may already have rolled the transaction back; nothing is left.
    }
}

void SqliteTransaction::Commit() {
    connection_.Prepare("COMMIT").Run();
    open_ = false;
}

}  // namespace kest
