#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"

namespace kest {

namespace {

const TableInfo& Variables() {
    return GetTableInfo(GEM_RECORDTYPE::REC_VARIABLE);
}

}  // namespace

bool GEMDB::VariableAddRecord(const KestRecVariable& record) {
    return Trap("VariableAddRecord", false, [&] {
        if (record.ID() < 101) {
            throw KestException(5006,
                                "This VID is reserved for GEM Variable. Please use VID > 100.");
        }
        InsertRow(Main(), Variables().Table(false), Variables(), VariableColumns(record));
        return true;
    });
}

bool GEMDB::VariableDeleteRecord(const Variant& key) {
    return Trap("VariableDeleteRecord", false, [&] {
        return DeleteFirstRow(Main(), Variables().Table(false), Variables(), SelectKey(key));
    });
}

std::optional<KestRecVariable> GEMDB::VariableGetRecord(const Variant& key, bool gem) {
    return Trap("VariableGetRecord", std::optional<KestRecVariable>(), [&] {
        return ReadRecord(Main(), Variables().Table(gem), Variables(), SelectKey(key),
                          VariableFromRow);
    });
}

Variant GEMDB::VariableGetField(const Variant& key, FLDID_VARIABLE field, bool gem) {
    return Trap("VariableGetField", Variant("NULL"), [&] {
        return ReadField(Main(), Variables().Table(gem), Variables(), SelectKey(key),
                         static_cast<int>(field));
    });
}

std::vector<KestRecVariable> GEMDB::VariableGetAll(bool gem, std::string_view var_type) {
    return Trap("VariableGetAll", std::vector<KestRecVariable>(), [&] {
        std::string sql =
            "SELECT " + ColumnList(Variables()) + " FROM " + std::string(Variables().Table(gem));
        bool filtered = var_type != "NULL";
        if (filtered) sql += " WHERE var_type = ?";
        SqliteStatement statement = Main().Prepare(sql + " ORDER BY rowid");
        if (filtered) statement.BindText(1, var_type);
        return ReadRecords(statement, VariableFromRow);
    });
}

std::vector<KestRecVariable> GEMDB::VariableGetChild(const std::optional<KestRecVariable>& parent,
                                                     bool gem) {
    return Trap("VariableGetChild", std::vector<KestRecVariable>(), [&] {
        if (!parent) throw KestException(5012, "Invalid parent item object.");
        if (parent->ID() == 0) throw KestException(5013, "Invalid parent item ID. ID > 100.");
        SqliteStatement statement = Main().Prepare(
            "SELECT " + ColumnList(Variables()) + " FROM " + std::string(Variables().Table(gem)) +
            " WHERE var_parentkey = ? ORDER BY var_accessid, rowid");
        statement.BindInt(1, parent->ID());
        return ReadRecords(statement, VariableFromRow);
    });
}

}  // namespace kest
