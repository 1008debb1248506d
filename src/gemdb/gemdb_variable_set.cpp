#include <cstdint>
#include <optional>
#include <string>

#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"
#include "gemdb/var_format.h"

namespace kest {

namespace {

const TableInfo& Variables() {
    return GetTableInfo(GEM_RECORDTYPE::REC_VARIABLE);
}

[[noreturn]] void RefuseKeyField(FLDID_VARIABLE field) {
    const char* what = "ID";
    if (field == FLDID_VARIABLE::VAR_NAME) what = "Name";
    if (field == FLDID_VARIABLE::VAR_TYPE) what = "Type";
    if (field == FLDID_VARIABLE::VAR_FORMAT) what = "Format";
    throw KestException(
        5009, std::string("Cannot modify Variable ") + what + " due to it is primary key.");
}

bool IsKeyField(FLDID_VARIABLE field) {
    return field == FLDID_VARIABLE::VAR_ID || field == FLDID_VARIABLE::VAR_NAME ||
           field == FLDID_VARIABLE::VAR_TYPE || field == FLDID_VARIABLE::VAR_FORMAT;
}

// What the value check needs of the row, read before the write: an update committed while a
// read of the same connection is still open would commit only when that read is reset, where a
// failure could no longer be reported.
struct ValueRow {
    std::int64_t rowid = 0;
    std::string format;
    std::optional<std::string> min;  // nothing when absent ("NULL" or a database NULL)
    std::optional<std::string> max;
    std::string name;
};

std::optional<std::string> Bound(const SqliteStatement& row, int column) {
    if (row.IsNull(column) || row.TextView(column) == "NULL") return std::nullopt;
    return row.Text(column);
}

// The min/max check of a value or default: inclusive bounds, compared by the row's format,
// skipped when a bound is absent or the two bounds are equal.
void CheckRange(const ValueRow& row, FLDID_VARIABLE field, const Variant& value) {
    if (!row.min || !row.max || *row.min == *row.max) return;
    const char* what = field == FLDID_VARIABLE::VAR_VAL ? "Value" : "Default Value";
    if (CompareByFormat(value, Variant(*row.min), row.format) < 0) {
        throw KestException(5010, std::string("Cannot modify Variable ") + what +
                                      " due to less than minimum value.");
    }
    if (CompareByFormat(value, Variant(*row.max), row.format) > 0) {
        throw KestException(5011, std::string("Cannot modify Variable ") + what +
                                      " due to exceed than maximum value.");
    }
}

}  // namespace

bool GEMDB::VariableSetField(const Variant& key, FLDID_VARIABLE field, const Variant& value,
                             bool gem) {
    return Trap("VariableSetField", false, [&] {
        // Of a GEM variable the layer itself keeps everything but the value.
        if (gem && field != FLDID_VARIABLE::VAR_VAL) {
            throw KestException(5005, "Cannot modify this field for the GEM Variable.");
        }
        RowKey row = SelectKey(key);
        if (IsKeyField(field)) RefuseKeyField(field);
        std::string_view table = Variables().Table(gem);
        bool is_value = field == FLDID_VARIABLE::VAR_VAL || field == FLDID_VARIABLE::VAR_DEFAULTVAL;
        if (!is_value) {
            WriteField(Main(), table, Variables(), row, static_cast<int>(field), value);
            return true;
        }
        std::string name = WriteValue(table, row, field, value);
        if (gem && field == FLDID_VARIABLE::VAR_VAL) RaiseStateChange(name, value);
        return true;
    });
}

std::string GEMDB::WriteValue(std::string_view table, const RowKey& row, FLDID_VARIABLE field,
                              const Variant& value) {
    SqliteConnection& db = Main();
    ValueRow current;
    {
        RowUse use = LookupUse(table, row);
        SqliteStatement select = db.Prepare(
            RowSqlKey(RowSql::SelectValueCheck, table, row.by_name),
            [&] {
                return "SELECT rowid, var_format, var_min, var_max, var_name FROM " +
                       std::string(table) + KeyWhere(Variables(), row) + " ORDER BY rowid LIMIT 1";
            },
            &use);
        BindKey(select, 1, row);
        if (!select.Step()) ThrowNoCurrentRecord(table, "the key " + row.Text());
        current = ValueRow{select.Int(0), select.Text(1), Bound(select, 2), Bound(select, 3),
                           select.Text(4)};
    }
    CheckRange(current, field, value);
    const char* column = field == FLDID_VARIABLE::VAR_VAL ? "var_val" : "var_defaultval";
    RowUse use{RowUse::Kind::WriteOne, std::string(table)};
    SqliteStatement update = db.Prepare(
        RowSqlKey(RowSql::UpdateValue, table, false, static_cast<int>(field)),
        [&] {
            return "UPDATE " + std::string(table) + " SET " + column + " = ? WHERE rowid = ?" +
                   ReturningKeys(Variables());
        },
        &use);
    BindColumn(update, 1, ColumnKind::Text, value);
    update.BindInt(2, current.rowid).Run();
    return current.name;
}

}  // namespace kest
