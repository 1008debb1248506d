#include "gemdb/gemdb_rows.h"

namespace kest {

RowUse LookupUse(std::string_view table, const RowKey& key) {
    return RowUse{key.by_name ? RowUse::Kind::LookupByName : RowUse::Kind::LookupById,
                  std::string(table)};
}

std::string ReturningKeys(const TableInfo& info) {
    return " RETURNING " + std::string(info.name_column) + ", " + std::string(info.id_column);
}

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
    RowUse use = LookupUse(table, key);
    SqliteStatement statement = db.Prepare(
        RowSqlKey(RowSql::SelectField, table, key.by_name, field),
        [&] {
            return "SELECT " + std::string(column.name) + " FROM " + std::string(table) +
                   KeyWhere(info, key) + " ORDER BY rowid LIMIT 1";
        },
        &use);
    BindKey(statement, 1, key);
    if (!statement.Step()) return Variant("NULL");
    return ReadColumn(statement, 0, column.kind);
}

void WriteField(SqliteConnection& db, std::string_view table, const TableInfo& info,
                const RowKey& key, int field, const Variant& value) {
    const ColumnInfo& column = info.Column(field);
    // A rename changes the keys themselves, and RETURNING gives only the new ones: such a write
    // drops every kept read of the table.
    bool keeps_keys = !info.name_column.empty() && !info.id_column.empty() &&
                      column.name != info.name_column && column.name != info.id_column;
    RowUse use{keeps_keys ? RowUse::Kind::WriteOne : RowUse::Kind::None, std::string(table)};
    SqliteStatement statement = db.Prepare(
        RowSqlKey(RowSql::UpdateField, table, key.by_name, field),
        [&] {
            // One row by construction (rowid of the first match).
            return "UPDATE " + std::string(table) + " SET " + std::string(column.name) + " = ?" +
                   FirstRowWhere(table, info, key) + (keeps_keys ? ReturningKeys(info) : "");
        },
        &use);
    BindColumn(statement, 1, column.kind, value);
    BindKey(statement, 2, key);
    statement.Run();
    if (db.Changes() == 0) ThrowNoCurrentRecord(table, "the key " + key.Text());
}

}  // namespace kest
