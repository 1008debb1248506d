#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"
#include "gemdb/var_format.h"

namespace kest {

namespace {

std::string_view MessageTable(std::string_view table) {
    return AllowedTable(table, {"secsgem_host_to_equip", "secsgem_equip_to_host"});
}

std::string_view MapDataTable(std::string_view table) {
    return AllowedTable(table, {"secs_S12data_EquipToHost", "secs_S12data_HostToEquip"});
}

// The remote-command lookup of ReadFromDB and ReadTotalCPNames.
std::string TotalCPname(SqliteConnection& db, std::string_view rcmd) {
    SqliteStatement statement = db.Prepare(
        "SELECT TotalCPname FROM RemoteCommand_RCMD WHERE V_alue = ? ORDER BY rowid LIMIT 1");
    statement.BindText(1, rcmd);
    return statement.Step() ? statement.Text(0) : std::string();
}

// Updates one attribute column of a stream 12 data row; rows are never inserted.
bool UpdateAttribute(SqliteConnection& db, std::string_view table, const char* column,
                     std::string_view attribute, std::string_view number, std::string_view value) {
    db.Prepare("UPDATE " + std::string(MapDataTable(table)) + " SET " + column +
               " = ? WHERE attribute_name = ? AND NumberX = ?")
        .BindText(1, value)
        .BindText(2, attribute)
        .BindText(3, number)
        .Run();
    return true;
}

}  // namespace

std::string GEMDB::ReadFromDB(std::string_view rcmd) {
    return Trap("ReadFromDB", std::string(), [&] { return TotalCPname(ProgramDb(), rcmd); });
}

std::string GEMDB::ReadTotalCPNames(std::string_view rcmd) {
    return Trap("ReadTotalCPNames", std::string(), [&] { return TotalCPname(ProgramDb(), rcmd); });
}

std::string GEMDB::readfrommysqlgen(std::string_view table, std::string_view stream_function,
                                    std::string_view name) {
    return Trap("readfrommysqlgen", std::string(), [&] {
        std::string_view checked = MessageTable(table);
        SqliteStatement statement =
            ProgramDb().Prepare("SELECT ValueX FROM " + std::string(checked) +
                                " WHERE StreamFunction = ? AND NameX = ? ORDER BY rowid LIMIT 1");
        statement.BindText(1, stream_function).BindText(2, name);
        if (!statement.Step()) {
            ThrowNoCurrentRecord(checked, std::string(stream_function) + "/" + std::string(name));
        }
        return statement.Text(0);
    });
}

bool GEMDB::UpdateMessageToMDB(std::string_view table, std::string_view stream_function,
                               std::string_view name, std::string_view value) {
    return Trap("UpdateMessageToMDB", false, [&] {
        ProgramDb()
            .Prepare("UPDATE " + std::string(MessageTable(table)) +
                     " SET ValueX = ? WHERE StreamFunction = ? AND NameX = ?")
            .BindText(1, value)
            .BindText(2, stream_function)
            .BindText(3, name)
            .Run();
        return true;
    });
}

bool GEMDB::UpdateValueToMDB(std::string_view table, std::string_view attribute,
                             std::string_view number, std::string_view value) {
    return Trap("UpdateValueToMDB", false, [&] {
        return UpdateAttribute(ProgramDb(), table, "attribute_value", attribute, number, value);
    });
}

bool GEMDB::UpdateFormatToMDB(std::string_view table, std::string_view attribute,
                              std::string_view number, int format_code) {
    return Trap("UpdateFormatToMDB", false, [&] {
        return UpdateAttribute(ProgramDb(), table, "attribute_format", attribute, number,
                               AttributeFormatText(format_code));
    });
}

}  // namespace kest
