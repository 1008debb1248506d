#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/variant.h"

struct sqlite3_stmt;

namespace kest {

class SqliteConnection;
struct CachedRows;
struct CachedValue;
struct StatementSlot;

/// One prepared statement lent out by a `SqliteConnection` for one use. Parameters are bound,
/// rows stepped through, and when the loan ends the statement is reset and its bindings
/// cleared, so the connection can lend it again. Database errors throw `KestException` with
/// SQLite's extended result code and its message.
///
/// A statement whose results the connection may keep reads all its rows at the first `Step`
/// (or finds them kept) and serves them from memory; a failure part-way is thrown after the
/// rows read before it.
class SqliteStatement {
  public:
    /// Lends `stmt` of `slot`: the slot's own statement (its busy mark is cleared on release),
    /// or, when `one_off`, a copy finalized on release.
    SqliteStatement(SqliteConnection& connection, StatementSlot& slot, sqlite3_stmt* stmt,
                    bool one_off) noexcept;
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
    void NoteBinding(int index, char type, std::string_view bytes);
    bool StepRemembered();
    const CachedValue* Cell(int column) const noexcept;

    sqlite3_stmt* stmt_;
    SqliteConnection* connection_;
    StatementSlot* slot_;
    bool one_off_;
    bool remember_;       // its rows may be kept: bindings are noted, rows served from memory
    std::string params_;  // the bindings, as the key of the kept rows
    std::shared_ptr<const CachedRows> rows_;  // the rows served, once stepped
    std::size_t next_row_ = 0;                // rows_ position after the current row
    int error_code_ = 0;                      // a failure after the rows read, thrown at their end
    std::string error_text_;
};

}  // namespace kest
