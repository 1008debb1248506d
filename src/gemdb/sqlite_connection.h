#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gemdb/query_cache.h"
#include "gemdb/sqlite_statement.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kest {

/// How a database file is opened.
enum class SqliteOpenMode {
    ReadWrite,  ///< an existing file, read and written; a missing file is an error
    ReadOnly,   ///< an existing file, only read
    Create,     ///< created when missing, journal left to the caller (building a database)
};

/// Whether the rows a read returned are remembered, and how changes by other connections to
/// the same file are noticed (our own writes always drop what they touched).
enum class ResultCache : std::uint8_t {
    Off,            ///< every read runs in SQLite
    CheckEachRead,  ///< a remembered read is served after "PRAGMA data_version" shows no
                    ///< commit by another connection (a read transaction: a few system calls)
    UntilNoticed,   ///< remembered reads are trusted until `NoticeExternalChange` (no system call)
};

/// One open SQLite connection with a cache of prepared statements keyed by their SQL text, so
/// every statement is compiled once and reused, and optionally a cache of read results (see
/// `ResultCache`). Single-threaded, like the control. Errors throw `KestException` with
/// SQLite's extended result code and message.
///
/// Result cache: a statement that only reads tables (as SQLite's authorizer reports while
/// compiling it) has its rows kept per bound parameters, from its first run. A statement that
/// writes drops the rows of every statement that reads a table it writes; one with unknown
/// effects (pragma, schema, savepoint) and `ExecuteScript` drop everything. A write declared
/// `RowUse::Kind::WriteOne` instead drops, per row it returns, the row look-ups of that row's
/// name or ID and every other kept read of its table; look-ups of other rows stay. Nothing is kept
/// while a transaction is open, so a rollback leaves nothing stale.
class SqliteConnection {
  public:
    /// Opens `path` in `mode`; in ReadWrite mode the connection is set up for durable writes
    /// (see the .cpp). Throws `KestException` when the file cannot be opened or is not a
    /// database.
    static std::unique_ptr<SqliteConnection> Open(const std::filesystem::path& path,
                                                  SqliteOpenMode mode);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    /// Lends the prepared statement for `sql`, compiling it on first use. While the cached one
    /// is lent out (a nested use of the same text), a one-off statement is lent instead.
    SqliteStatement Prepare(std::string_view sql) { return Lend(Slot(sql, nullptr)); }
    /// The same, declaring on its first use how the statement is used on single rows (see
    /// `RowUse`). The declaration counts only while the statement's effects fit it (one table,
    /// no trigger, one parameter or two returned columns). The caller ensures that a WriteOne
    /// returns the name and ID of every row it changes and that the name is compared NOCASE.
    SqliteStatement Prepare(std::string_view sql, const RowUse& use) {
        return Lend(Slot(sql, &use));
    }
    /// The same for a statement whose text is known by a number: `build()` makes the text the
    /// first time `key` is asked for, later calls find the statement without building text.
    template <typename Build>
    SqliteStatement Prepare(std::uint64_t key, Build&& build, const RowUse* use = nullptr) {
        auto found = by_key_.find(key);
        if (found == by_key_.end()) {
            std::string sql = build();
            found = by_key_.emplace(key, &Slot(sql, use)).first;
        }
        return Lend(*found->second);
    }
    /// How long a statement waits for another connection's lock before it fails with
    /// SQLITE_BUSY (200 ms unless set).
    void WaitWhenBusy(std::chrono::milliseconds limit);
    /// Replaces the automatic checkpoint of the write-ahead log: once a commit leaves the log
    /// `frames` pages long, it is copied into the database and started over (see the .cpp).
    void RestartLogAfter(int frames);
    /// Runs a script of statements without parameters (schema and default rows).
    void ExecuteScript(const std::string& sql);
    /// Rows changed by the last INSERT, UPDATE or DELETE.
    int Changes() const noexcept;
    /// True while a transaction is open on this connection.
    bool InTransaction() const noexcept;
    /// Number of statements compiled and kept for reuse.
    std::size_t CachedStatementCount() const noexcept { return cache_.size(); }

    /// Switches the result cache; drops every kept result.
    void SetResultCache(ResultCache mode);
    ResultCache GetResultCache() const noexcept { return mode_; }
    /// Drops every kept result when another connection committed since the last check; true
    /// when it did. Waits (up to the busy timeout) for a writer that is committing, since a
    /// file event can arrive before the commit that caused it is visible.
    bool NoticeExternalChange();
    /// Number of reads whose rows are kept (diagnostics and tests).
    std::size_t CachedResultCount() const noexcept { return result_count_; }

    // --- Used by SqliteStatement ---
    /// The kept rows of `slot` for `params`, or null (checking data_version first in
    /// CheckEachRead mode).
    std::shared_ptr<const CachedRows> FindResult(StatementSlot& slot, const std::string& params);
    /// Keeps `rows` of `slot` for `params` unless a transaction is open.
    void StoreResult(StatementSlot& slot, std::string params,
                     std::shared_ptr<const CachedRows> rows);
    /// Steps `stmt` of `slot`, then drops what a statement that writes may have changed.
    int Step(sqlite3_stmt* stmt, StatementSlot& slot);
    /// A WriteOne statement released before it finished: its later rows were not seen.
    void AbandonRowWrite(StatementSlot& slot) noexcept;

  private:
    explicit SqliteConnection(sqlite3* db) noexcept : db_(db) {}
    sqlite3_stmt* Compile(std::string_view sql, StatementEffects& effects);
    StatementSlot& Slot(std::string_view sql, const RowUse* use);
    SqliteStatement Lend(StatementSlot& cached);
    bool IsRowLookup(const StatementSlot& slot, const std::string& table) const noexcept;
    bool IsRowWrite(const StatementSlot& slot) const noexcept;
    void DropRow(const std::string& table, sqlite3_stmt* returned);
    [[noreturn]] void Fail() const;
    static int OnBusy(void* self, int attempts);
    static int OnCommit(void* self, sqlite3* db, const char* schema, int frames);
    static int Authorize(void* self, int action, const char* first, const char* second,
                         const char* database, const char* trigger);
    void AddReader(StatementSlot& slot);
    void DropTable(const std::string& table);
    void DropAll();
    bool ReadDataVersion(std::int64_t& version);

    using Cached = StatementSlot;
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };

    sqlite3* db_;
    // Node-based: a lent statement's busy mark stays where it is when the map grows.
    std::unordered_map<std::string, Cached, Hash, std::equal_to<>> cache_;
    std::unordered_map<std::uint64_t, Cached*> by_key_;

    ResultCache mode_ = ResultCache::Off;
    // Set by NoticeExternalChange when it could not wait for a writer: remembered reads are
    // then checked as in CheckEachRead until a later notice succeeds.
    bool check_each_read_ = false;
    std::int64_t data_version_ = 0;
    sqlite3_stmt* data_version_stmt_ = nullptr;
    std::size_t result_count_ = 0;
    // The statements whose results read each table (lower-case name).
    std::unordered_map<std::string, std::vector<Cached*>> readers_;
    // Where the authorizer records what a statement touches while it is being compiled (also
    // when sqlite3_step recompiles it after a schema change); null records nothing.
    StatementEffects* compiling_ = nullptr;
    bool recompiled_ = false;
    std::chrono::milliseconds busy_limit_{0};
    std::chrono::steady_clock::time_point busy_since_;
    int restart_log_after_ = 0;
    int next_log_restart_ = 0;
};

/// A write transaction (BEGIN IMMEDIATE) that rolls back unless committed, so a multi-step
/// change is all or nothing.
class SqliteTransaction {
  public:
    /// Begins the transaction; throws `KestException` when the database refuses.
    explicit SqliteTransaction(SqliteConnection& connection);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;
    /// Commits; throws `KestException` when the commit fails (the destructor then rolls back).
    void Commit();

  private:
    SqliteConnection& connection_;
    bool open_ = true;
};

}  // namespace kest
