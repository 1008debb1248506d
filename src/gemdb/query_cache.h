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

    /// Its rows may be remembered: it only reads tables and calls no varying function.
    bool Cacheable() const noexcept {
        return !unknown && !not_repeatable && writes.empty() && !reads.empty();
    }
    /// Running it may change what other statements read.
    bool Changes() const noexcept { return unknown || !writes.empty(); }
    /// Adds what the authorizer reported for one action.
    void Record(int action, const char* first, const char* second);
};

/// One compiled statement the connection keeps, with the results remembered for it, keyed by
/// its bound parameters.
struct StatementSlot {
    sqlite3_stmt* stmt = nullptr;
    bool in_use = false;
    StatementEffects effects;
    std::unordered_map<std::string, std::shared_ptr<const CachedRows>> results;
};

}  // namespace kest
