#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"
#include "gemdb/sqlite_connection.h"

namespace kest {

namespace {

std::string_view MapDataTable(std::string_view table) {
    return AllowedTable(table, {"secs_S12data_EquipToHost", "secs_S12data_HostToEquip"});
}

}  // namespace

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

std::vector<MapDataRow> GEMDB::MapDataRows(std::string_view table) {
    return Trap("MapDataRows", std::vector<MapDataRow>(), [&] {
        SqliteStatement statement = Main().Prepare(
            "SELECT attribute_name, NumberX, attribute_format, attribute_value FROM " +
            std::string(MapDataTable(table)) + " ORDER BY rowid");
        std::vector<MapDataRow> rows;
        while (statement.Step()) {
            rows.push_back(MapDataRow{statement.Text(0), statement.Text(1), statement.Text(2),
                                      statement.Text(3)});
        }
        return rows;
    });
}

bool GEMDB::UpdateMapRows(std::string_view table, const std::vector<MapDataRow>& rows) {
    return Trap("UpdateMapRows", false, [&] {
        SqliteConnection& db = ProgramDb();
        const std::string sql = "UPDATE " + std::string(MapDataTable(table)) +
                                " SET attribute_format = ?, attribute_value = ? "
                                "WHERE attribute_name = ? AND NumberX = ?";
        // One reply's rows go in together: a reader never sees half a map.
        const bool own = !db.InTransaction();
        if (own) db.Prepare("BEGIN IMMEDIATE").Run();
        try {
            for (const MapDataRow& row : rows) {
                db.Prepare(sql)
                    .BindText(1, row.format)
                    .BindText(2, row.value)
                    .BindText(3, row.name)
                    .BindText(4, row.number)
                    .Run();
            }
            if (own) db.Prepare("COMMIT").Run();
        } catch (const KestException&) {
            if (own && db.InTransaction()) db.Prepare("ROLLBACK").Run();
            throw;
        }
        return true;
    });
}

}  // namespace kest
