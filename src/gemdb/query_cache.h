#pragma once

// What the result cache of `SqliteConnection` keeps: the rows a read returned and, for each
// statement, the tables it touches. Internal to gemdb/.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3_stmt;

namespace kest {

/// One column of a remembered row, in every form a caller may ask for, as SQLite converted it.
struct CachedValue {
    int type = 0;  ///< SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL
    std::int64_t integer = 0;
    double real = 0;
    std::string text;  ///< the text (or blob bytes); empty for NULL
};

/// The rows of one read, row after row, `columns` values each.
struct CachedRows {
    int columns = 0;
    std::vector<CachedValue> values;
    std::size_t RowCount() const noexcept {
        return columns == 0 ? 0 : values.size() / static_cast<std::size_t>(columns);
    }
};

/// What a statement touches, as SQLite's authorizer reported it while compiling.
struct StatementEffects {
    std::vector<std::string> reads;   ///< tables read, lower case
    std::vector<std::string> writes;  ///< tables inserted into, updated or deleted from
    bool unknown = false;         ///< schema, pragma, attach, savepoint ...: may change anything
    bool not_repeatable = false;  ///< calls a function whose result may differ between runs
    bool triggers = false;        ///< fires a trigger (which may touch any row)

    /// Its rows may be remembered: it only reads tables and calls no varying function.
    bool Cacheable() const noexcept {
        return !unknown && !not_repeatable && writes.empty() && !reads.empty();
    }
    /// Running it may change what other statements read.
    bool Changes() const noexcept { return unknown || !writes.empty(); }
    /// Adds what the authorizer reported for one action.
    void Record(int action, const char* first, const char* second, const char* trigger);
};

/// How GEMDB uses a statement on single rows of one table, so that a write of one row drops
/// only the kept reads that may concern that row.
struct RowUse {
    enum class Kind : std::uint8_t {
        None,
        LookupByName,  ///< reads the first row whose name (NOCASE) equals parameter 1
        LookupById,    ///< reads the first row whose ID equals parameter 1
        WriteOne,      ///< changes rows of `table` keyed by one row, and returns (RETURNING)
                       ///< the name and ID of each row it changed
    };
    Kind kind = Kind::None;
    std::string table;  ///< lower case
};

/// One compiled statement the connection keeps, with the results remembered for it, keyed by
/// its bound parameters.
struct StatementSlot {
    sqlite3_stmt* stmt = nullptr;
    bool in_use = false;
    StatementEffects effects;
    RowUse row;               ///< as declared by the caller; checked against `effects` when used
    bool write_open = false;  ///< a WriteOne returned a row but has not finished
    std::unordered_map<std::string, std::shared_ptr<const CachedRows>> results;
};

}  // namespace kest
