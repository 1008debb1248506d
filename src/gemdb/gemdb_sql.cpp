#include "gemdb/gemdb_sql.h"

#include <iterator>
#include <limits>

#include "base/error.h"
#include "base/text.h"
#include "gemdb/var_format.h"

namespace kest {

namespace {

constexpr int kNoCurrentRecord = 3021;

std::int32_t Int32Column(const SqliteStatement& row, int column) {
    std::int64_t value = row.Int(column);
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        ThrowOverflow();
    }
    return static_cast<std::int32_t>(value);
}

bool FlagColumn(const SqliteStatement& row, int column) {
    return !row.IsNull(column) && row.Int(column) != 0;
}

}  // namespace

RowKey SelectKey(const Variant& key) {
    if (const std::string* text = key.TextIf()) return RowKey{true, *text, 0};
    if (key.GetKind() == Variant::Kind::Integer) {
        std::int64_t id = key.ToInt64();
        if (id >= std::numeric_limits<std::int32_t>::min() &&
            id <= std::numeric_limits<std::int32_t>::max()) {
            return RowKey{false, {}, static_cast<std::int32_t>(id)};
        }
    }
    throw KestException(5002, "Invalid type of input for Key.");
}

std::string KeyWhere(const TableInfo& info, const RowKey& key) {
    std::string_view column = key.by_name ? info.name_column : info.id_column;
    return " WHERE " + std::string(column) + " = ?";
}

void BindKey(SqliteStatement& statement, int index, const RowKey& key) {
    if (key.by_name) {
        statement.BindText(index, key.name);
    } else {
        statement.BindInt(index, key.id);
    }
}

std::uint64_t RowSqlKey(RowSql op, std::string_view table, bool by_name, int field) {
    static constexpr std::string_view kTables[] = {"secs_alarm",  "secs_gemevent", "secs_cusevent",
                                                   "secs_report", "secs_gemvar",   "secs_cusvar"};
    std::uint64_t code = 0;
    for (std::size_t i = 0; i < std::size(kTables); ++i) {
        if (kTables[i] == table) code = i + 1;
    }
    if (code == 0) ThrowInvalidArgument("no row statements for table " + std::string(table));
    return static_cast<std::uint64_t>(op) | code << 8 | std::uint64_t{by_name} << 16 |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(field)) << 24;
}

std::string FirstRowWhere(std::string_view table, const TableInfo& info, const RowKey& key) {
    return " WHERE rowid = (SELECT rowid FROM " + std::string(table) + KeyWhere(info, key) +
           " ORDER BY rowid LIMIT 1)";
}

std::string ColumnList(const TableInfo& info) {
    std::string list;
    for (const ColumnInfo& column : info.columns) {
        if (!list.empty()) list += ", ";
        list += column.name;
    }
    return list;
}

std::string SelectRecordSql(std::string_view table, const TableInfo& info, const RowKey& key) {
    return "SELECT " + ColumnList(info) + " FROM " + std::string(table) + KeyWhere(info, key) +
           " ORDER BY rowid LIMIT 1";
}

std::string InsertSql(std::string_view table, const TableInfo& info) {
    std::string marks;
    for (std::size_t i = 0; i < info.columns.size(); ++i)
        marks += i == 0 ? "?" : ", ?";
    return "INSERT INTO " + std::string(table) + " (" + ColumnList(info) + ") VALUES (" + marks +
           ")";
}

Variant ReadColumn(const SqliteStatement& row, int column, ColumnKind kind) {
    if (row.IsNull(column)) return Variant();
    switch (kind) {
        case ColumnKind::Long:
            return Variant(Int32Column(row, column));
        case ColumnKind::YesNo:
            return Variant(row.Int(column) != 0);
        case ColumnKind::Text:
            return Variant(row.Text(column));
    }
    return Variant();
}

void BindColumn(SqliteStatement& statement, int index, ColumnKind kind, const Variant& value) {
    switch (kind) {
        case ColumnKind::Long:
            statement.BindInt(index, value.ToInt32());
            return;
        case ColumnKind::YesNo:
            statement.BindInt(index, value.ToBool() ? 1 : 0);
            return;
        case ColumnKind::Text:
            if (value.IsEmpty()) {
                statement.BindNull(index);
            } else {
                statement.BindText(index, value.ToText());
            }
            return;
    }
}

void BindColumns(SqliteStatement& statement, const TableInfo& info,
                 const std::vector<Variant>& values) {
    for (std::size_t i = 0; i < values.size() && i < info.columns.size(); ++i)
        BindColumn(statement, static_cast<int>(i + 1), info.columns[i].kind, values[i]);
}

void ThrowNoCurrentRecord(std::string_view table, std::string_view what) {
    throw KestException(kNoCurrentRecord, "No current record: no row of " + std::string(table) +
                                              " matches " + std::string(what) + ".");
}

std::string_view AllowedTable(std::string_view table,
                              std::initializer_list<std::string_view> allowed) {
    for (std::string_view name : allowed) {
        if (EqualsNoCase(name, table)) return name;
    }
    ThrowInvalidArgument("table " + std::string(table) + " is not one this operation may use");
}

std::vector<std::int32_t> ReadIds(SqliteStatement& statement) {
    std::vector<std::int32_t> ids;
    while (statement.Step())
        ids.push_back(Int32Column(statement, 0));
    return ids;
}

KestRecAlarm AlarmFromRow(const SqliteStatement& row) {
    KestRecAlarm record;
    record.SetID(Int32Column(row, 0));
    record.SetName(row.TextView(1));
    record.SetGroup(row.TextView(2));
    record.SetTEXT(row.TextView(3));
    record.SetEnable(FlagColumn(row, 4));
    record.SetSetCEID(Int32Column(row, 5));
    record.SetSetCEName(row.TextView(6));
    record.SetClearCEID(Int32Column(row, 7));
    record.SetClearCEName(row.TextView(8));
    record.SetAlarmSet(FlagColumn(row, 9));
    return record;
}

KestRecEvent EventFromRow(const SqliteStatement& row) {
    KestRecEvent record;
    record.SetID(Int32Column(row, 0));
    record.SetName(row.TextView(1));
    record.SetGroup(row.TextView(2));
    record.SetTEXT(row.TextView(3));
    record.SetEnable(FlagColumn(row, 4));
    return record;
}

KestRecReport ReportFromRow(const SqliteStatement& row) {
    KestRecReport record;
    record.SetID(Int32Column(row, 0));
    record.SetName(row.TextView(1));
    record.SetDescription(row.TextView(2));
    record.SetIsDefault(FlagColumn(row, 3));
    return record;
}

KestRecVariable VariableFromRow(const SqliteStatement& row) {
    KestRecVariable record;
    record.SetID(Int32Column(row, 0));
    record.SetName(row.TextView(1));
    record.SetGroup(row.TextView(2));
    record.SetDescription(row.TextView(3));
    record.SetVarType(row.TextView(4));
    record.SetVarFormat(FormatFromMnemonic(row.TextView(5)));
    record.SetValue(row.TextView(6));
    record.SetDefaultValue(row.TextView(7));
    record.SetMin(row.TextView(8));
    record.SetMax(row.TextView(9));
    record.SetUnit(row.TextView(10));
    record.SetParentKey(Int32Column(row, 11));
    record.SetAccessID(row.TextView(12));
    record.SetOrderByAccessID(FlagColumn(row, 13));
    record.SetAllowDuplicates(FlagColumn(row, 14));
    return record;
}

std::vector<Variant> AlarmColumns(const KestRecAlarm& record) {
    return {record.ID(),          record.Name(),    record.Group(),     record.TEXT(),
            record.Enable(),      record.SetCEID(), record.SetCEName(), record.ClearCEID(),
            record.ClearCEName(), record.AlarmSet()};
}

std::vector<Variant> EventColumns(const KestRecEvent& record) {
    return {record.ID(), record.Name(), record.Group(), record.TEXT(), record.Enable()};
}

std::vector<Variant> ReportColumns(const KestRecReport& record) {
    return {record.ID(), record.Name(), record.Description(), record.IsDefault()};
}

std::vector<Variant> VariableColumns(const KestRecVariable& record) {
    return {record.ID(),
            record.Name(),
            record.Group(),
            record.Description(),
            record.VarType(),
            FormatMnemonic(record.VarFormat()),
            record.Value(),
            record.DefaultValue(),
            record.Min(),
            record.Max(),
            record.Unit(),
            record.ParentKey(),
            record.AccessID(),
            record.OrderByAccessID(),
            record.AllowDuplicates()};
}

}  // namespace kest
