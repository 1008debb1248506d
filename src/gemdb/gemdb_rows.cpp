#include "gemdb/gemdb_rows.h"

namespace kest {

void InsertRow(SqliteConnection& db, std::string_view table, const TableInfo& info,
               const std::vector<Variant>& values) {
    SqliteStatement statement =
        db.Prepare(RowSqlKey(RowSql::Insert, table, false), [&] { return InsertSql(table, info); });
    BindColumns(statement, info, values);
    statement.Run();
}

bool DeleteFirstRow(SqliteConnection& db, std::string_view table, const TableInfo& info,
                    const RowKey& key) {
    SqliteStatement statement = db.Prepare(RowSqlKey(RowSql::DeleteFirst, table, key.by_name), [&] {
        return "DELETE FROM " + std::string(table) + FirstRowWhere(table, info, key);
    });
    BindKey(statement, 1, key);
    statement.Run();
    return db.Changes() > 0;
}

Variant ReadField(SqliteConnection& db, std::string_view table, const TableInfo& info,
                  const RowKey& key, int field) {
    const ColumnInfo& column = info.Column(field);
    SqliteStatement statement =
        db.Prepare(RowSqlKey(RowSql::SelectField, table, key.by_name, field), [&] {
            return "SELECT " + std::string(column.name) + " FROM " + std::string(table) +
                   KeyWhere(info, key) + " ORDER BY rowid LIMIT 1";
        });
    BindKey(statement, 1, key);
    if (!statement.Step()) return Variant("NULL");
    return ReadColumn(statement, 0, column.kind);
}

void WriteField(SqliteConnection& db, std::string_view table, const TableInfo& info,
                const RowKey& key, int field, const Variant& value) {
    const ColumnInfo& column = info.Column(field);
    SqliteStatement statement =
        db.Prepare(RowSqlKey(RowSql::UpdateField, table, key.by_name, field), [&] {
            return "UPDATE " + std::string(table) + " SET " + std::string(column.name) + " = ?" +
                   FirstRowWhere(table, info, key);
        });
    BindColumn(statement, 1, column.kind, value);
    BindKey(statement, 2, key);
    statement.Run();
    if (db.Changes() == 0) ThrowNoCurrentRecord(table, "the key " + key.Text());
}

}  // namespace kest
