#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/variant.h"

struct sqlite3_stmt;

namespace kest {

/// One prepared statement lent out by a `SqliteConnection` for one use. Parameters are bound,
/// rows stepped through, and when the loan ends the statement is reset and its bindings
/// cleared, so the connection can lend it again. Database errors throw `KestException` with
/// SQLite's extended result code and its message.
class SqliteStatement {
  public:
    /// Lends `stmt`; `in_use` is the connection's busy mark (cleared on release), or null for a
    /// one-off statement that is finalized on release instead.
    SqliteStatement(sqlite3_stmt* stmt, bool* in_use) noexcept : stmt_(stmt), in_use_(in_use) {}
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&&) = delete;

    /// Binds parameter `index` (from 1): Empty as NULL, a Boolean as 0 or 1, integers and
    /// doubles as numbers, text as text. Returns this statement for chaining.
    SqliteStatement& Bind(int index, const Variant& value);
    /// Binds text to parameter `index` (from 1).
    SqliteStatement& BindText(int index, std::string_view text);
    /// Binds an integer to parameter `index` (from 1).
    SqliteStatement& BindInt(int index, std::int64_t value);
    /// Binds SQL NULL to parameter `index` (from 1).
    SqliteStatement& BindNull(int index);

    /// Moves to the next row: true when there is one, false when the rows are done.
    bool Step();
    /// Runs a statement that returns no rows to completion.
    void Run();

    /// True when column `column` (from 0) of the current row is NULL.
    bool IsNull(int column) const noexcept;
    /// Column `column` as a 64-bit integer (NULL gives 0).
    std::int64_t Int(int column) const noexcept;
    /// Column `column` as text (NULL gives the empty text).
    std::string Text(int column) const;
    /// The same without a copy, valid until the statement moves on or is released.
    std::string_view TextView(int column) const noexcept;
    /// Column `column` as stored: NULL as Empty, integers, doubles, text (a blob as its bytes).
    Variant Value(int column) const;

  private:
    [[noreturn]] void Fail(int code) const;

    sqlite3_stmt* stmt_;
    bool* in_use_;
};

}  // namespace kest
