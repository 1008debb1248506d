#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"

namespace kest {

bool GEMDB::getMapData(std::string_view attribute, std::string& format, std::string& data) {
    return Trap("getMapData", false, [&] {
        SqliteStatement statement = Main().Prepare(
            "SELECT attribute_format, attribute_value FROM secs_S12setting "
            "WHERE attribute_name = ? ORDER BY rowid LIMIT 1");
        statement.BindText(1, attribute);
        if (!statement.Step()) {
            ThrowNoCurrentRecord("secs_S12setting", "attribute " + std::string(attribute));
        }
        format = statement.Text(0);
        data = statement.Text(1);
        return true;
    });
}

bool GEMDB::getMapData2(std::string_view table, std::string_view attribute, std::string_view number,
                        std::string& format, std::string& data) {
    return Trap("getMapData2", false, [&] {
        std::string_view name = AllowedTable(
            table, {"secs_S12data_EquipToHost", "secs_S12data_HostToEquip", "secs_S12setting"});
        SqliteStatement statement =
            Main().Prepare("SELECT attribute_format, attribute_value FROM " + std::string(name) +
                           " WHERE attribute_name = ? AND NumberX = ? ORDER BY rowid LIMIT 1");
        statement.BindText(1, attribute).BindText(2, number);
        if (!statement.Step()) {
            ThrowNoCurrentRecord(
                name, "attribute " + std::string(attribute) + " number " + std::string(number));
        }
        format = statement.Text(0);
        data = statement.Text(1);
        return true;
    });
}

}  // namespace kest
