#pragma once

// Row operations shared by the alarm, event, report and variable tables. Internal to gemdb/.
// Database errors throw `KestException`; the callers run them under GEMDB's error trap.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"
#include "gemdb/gemdb_sql.h"
#include "gemdb/sqlite_connection.h"

namespace kest {

/// The use of a statement that reads the first row `key` selects.
RowUse LookupUse(std::string_view table, const RowKey& key);

/// " RETURNING <name column>, <ID column>": what a write of one row of `info`'s table returns
/// so that the result cache keeps the look-ups of other rows (see `RowUse`).
std::string ReturningKeys(const TableInfo& info);

/// Inserts one row with `values` in field order.
void InsertRow(SqliteConnection& db, std::string_view table, const TableInfo& info,
               const std::vector<Variant>& values);

/// Deletes the first row `key` selects; false when there is none.
bool DeleteFirstRow(SqliteConnection& db, std::string_view table, const TableInfo& info,
                    const RowKey& key);

/// Field `field` of the first row `key` selects, as `ReadColumn` gives it; the text "NULL" when
/// there is no row.
Variant ReadField(SqliteConnection& db, std::string_view table, const TableInfo& info,
                  const RowKey& key, int field);

/// Writes field `field` of the first row `key` selects; throws 3021 when there is no row.
void WriteField(SqliteConnection& db, std::string_view table, const TableInfo& info,
                const RowKey& key, int field, const Variant& value);

/// The first row `key` selects, read by `from_row`, or nothing.
template <typename FromRow>
auto ReadRecord(SqliteConnection& db, std::string_view table, const TableInfo& info,
                const RowKey& key, FromRow from_row)
    -> std::optional<decltype(from_row(std::declval<const SqliteStatement&>()))> {
    RowUse use = LookupUse(table, key);
    SqliteStatement statement = db.Prepare(
        RowSqlKey(RowSql::SelectRecord, table, key.by_name),
        [&] { return SelectRecordSql(table, info, key); }, &use);
    BindKey(statement, 1, key);
    if (!statement.Step()) return std::nullopt;
    return from_row(statement);
}

/// Every row `statement` returns (columns in field order), read by `from_row`.
template <typename FromRow>
auto ReadRecords(SqliteStatement& statement, FromRow from_row)
    -> std::vector<decltype(from_row(std::declval<const SqliteStatement&>()))> {
    std::vector<decltype(from_row(std::declval<const SqliteStatement&>()))> records;
    while (statement.Step())
        records.push_back(from_row(statement));
    return records;
}

}  // namespace kest
