#pragma once

// Helpers shared by the GEMDB operations: key selection, SQL texts built from the table
// information, column conversions and record rows. Internal to gemdb/.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"
#include "gemdb/kest_rec_alarm.h"
#include "gemdb/kest_rec_event.h"
#include "gemdb/kest_rec_report.h"
#include "gemdb/kest_rec_variable.h"
#include "gemdb/sqlite_statement.h"
#include "gemdb/table_info.h"

namespace kest {

/// A row selected by its name (text key) or by its ID (integer key).
struct RowKey {
    bool by_name = false;
    std::string name;
    std::int32_t id = 0;

    /// The key as text: the name, or the ID in decimal.
    std::string Text() const { return by_name ? name : std::to_string(id); }
};

/// The selection `key` makes: text selects by name, an integer that fits 32 bits by ID.
/// Anything else throws `KestException` 5002 "Invalid type of input for Key.".
RowKey SelectKey(const Variant& key);

/// The statements the row operations build from the table information.
enum class RowSql : std::uint8_t {
    SelectRecord = 1,
    SelectField,
    UpdateField,
    DeleteFirst,
    Insert,
    SelectValueCheck,  ///< what the min/max check of a variable value needs
    UpdateValue,       ///< a variable's value or default, by rowid
};

/// A number that names one statement built from the table information (for the keyed cache
/// of `SqliteConnection::Prepare`): the operation, the table (one of the alarm, event, report
/// and variable tables), whether it selects by name, and the field.
std::uint64_t RowSqlKey(RowSql op, std::string_view table, bool by_name, int field = 0);

/// " WHERE <name or ID column> = ?" for `key` on `info`'s table.
std::string KeyWhere(const TableInfo& info, const RowKey& key);

/// Binds `key` to parameter `index`.
void BindKey(SqliteStatement& statement, int index, const RowKey& key);

/// The selection of the first row `key` matches, for UPDATE and DELETE:
/// " WHERE rowid = (SELECT rowid FROM <table> WHERE <column> = ? ORDER BY rowid LIMIT 1)".
std::string FirstRowWhere(std::string_view table, const TableInfo& info, const RowKey& key);

/// The data columns of `info`, comma-separated, in field order.
std::string ColumnList(const TableInfo& info);

/// "SELECT <columns> FROM <table> WHERE <key> = ? ORDER BY rowid LIMIT 1".
std::string SelectRecordSql(std::string_view table, const TableInfo& info, const RowKey& key);

/// "INSERT INTO <table> (<columns>) VALUES (?, ...)".
std::string InsertSql(std::string_view table, const TableInfo& info);

/// Column `column` of the current row as `kind` says: NULL as Empty, Long as an integer,
/// YesNo as a Boolean (non-zero is true), Text as text.
Variant ReadColumn(const SqliteStatement& row, int column, ColumnKind kind);

/// Binds `value` to parameter `index` for a column of `kind`: Long as a 32-bit integer, YesNo as
/// 0 or 1 (both convert Empty as 0), Text as text with Empty as NULL. Conversion failures throw
/// `KestException` (6 overflow, 13 type mismatch).
void BindColumn(SqliteStatement& statement, int index, ColumnKind kind, const Variant& value);

/// Binds `values` to parameters 1, 2, ... for the columns of `info`.
void BindColumns(SqliteStatement& statement, const TableInfo& info,
                 const std::vector<Variant>& values);

/// Throws `KestException` 3021 (no current record) for an operation that needs a row.
[[noreturn]] void ThrowNoCurrentRecord(std::string_view table, std::string_view what);

/// Throws `KestException` 5 unless `table` is one of `allowed` (compared without case);
/// returns the allowed spelling, safe to place in SQL.
std::string_view AllowedTable(std::string_view table,
                              std::initializer_list<std::string_view> allowed);

/// Every value of column 0 of `statement`'s rows, as 32-bit integers.
std::vector<std::int32_t> ReadIds(SqliteStatement& statement);

/// Record rows: the columns in field order from column 0, through the record setters.
KestRecAlarm AlarmFromRow(const SqliteStatement& row);
KestRecEvent EventFromRow(const SqliteStatement& row);
KestRecReport ReportFromRow(const SqliteStatement& row);
KestRecVariable VariableFromRow(const SqliteStatement& row);

/// Column values of a record in field order, for `InsertSql`.
std::vector<Variant> AlarmColumns(const KestRecAlarm& record);
std::vector<Variant> EventColumns(const KestRecEvent& record);
std::vector<Variant> ReportColumns(const KestRecReport& record);
std::vector<Variant> VariableColumns(const KestRecVariable& record);

}  // namespace kest
