#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"

namespace kest {

Variant GEMDB::SettingGetField(std::string_view name, FLDID_SETTING field) {
    return Trap("SettingGetField", Variant("NULL"), [&] {
        SqliteStatement statement =
            Main().Prepare(field == FLDID_SETTING::SET_DEFAULTVAL
                               ? "SELECT set_defaultval FROM secs_setting WHERE set_field = ?"
                               : "SELECT set_value FROM secs_setting WHERE set_field = ?",
                           RowUse{RowUse::Kind::LookupByName, "secs_setting"});
        statement.BindText(1, name);
        if (!statement.Step()) return Variant("NULL");
        return statement.Value(0);
    });
}

void GEMDB::SettingSetField(std::string_view name, FLDID_SETTING field, const Variant& value) {
    Trap("SettingSetField", false, [&] {
        SqliteStatement statement =
            Main().Prepare(field == FLDID_SETTING::SET_DEFAULTVAL
                               ? "UPDATE secs_setting SET set_defaultval = ? WHERE set_field = ? "
                                 "RETURNING set_field, NULL"
                               : "UPDATE secs_setting SET set_value = ? WHERE set_field = ? "
                                 "RETURNING set_field, NULL",
                           RowUse{RowUse::Kind::WriteOne, "secs_setting"});
        BindColumn(statement, 1, ColumnKind::Text, value);
        statement.BindText(2, name);
        statement.Run();  // a missing row is not created
        return true;
    });
}

}  // namespace kest
