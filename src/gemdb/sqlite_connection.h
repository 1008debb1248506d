#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

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

/// One open SQLite connection with a cache of prepared statements keyed by their SQL text, so
/// every statement is compiled once and reused. Single-threaded, like the control. Errors
/// throw `KestException` with SQLite's extended result code and message.
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
    SqliteStatement Prepare(std::string_view sql);
    /// The same for a statement whose text is known by a number: `build()` makes the text the
    /// first time `key` is asked for, later calls find the statement without building text.
    template <typename Build>
    SqliteStatement Prepare(std::uint64_t key, Build&& build) {
        auto found = by_key_.find(key);
        if (found == by_key_.end()) {
            std::string sql = build();
            Prepare(sql);  // compiles and caches it
            found = by_key_.emplace(key, &cache_.find(sql)->second).first;
        }
        return Lend(*found->second);
    }
    /// Runs a script of statements without parameters (schema and default rows).
    void ExecuteScript(const std::string& sql);
    /// Rows changed by the last INSERT, UPDATE or DELETE.
    int Changes() const noexcept;
    /// Number of statements compiled and kept for reuse.
    std::size_t CachedStatementCount() const noexcept { return cache_.size(); }

  private:
    explicit SqliteConnection(sqlite3* db) noexcept : db_(db) {}
    struct Cached;
    sqlite3_stmt* Compile(std::string_view sql);
    SqliteStatement Lend(Cached& cached);
    [[noreturn]] void Fail() const;

    struct Cached {
        sqlite3_stmt* stmt = nullptr;
        bool in_use = false;
    };
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
