#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"

namespace kest {

namespace {

// Joins column 0 of every row with commas; keeps what was built when a later step fails.
void JoinIds(SqliteStatement& statement, std::string& out) {
    while (statement.Step()) {
        if (!out.empty()) out += ',';
        out += statement.Text(0);
    }
}

}  // namespace

// These return the text built so far when the database fails, without a notification; the
// failure is kept as LastError().

std::string GEMDB::GetReportList(std::int32_t evt_id) {
    std::string out;
    Quietly("GetReportList", [&] {
        SqliteStatement statement = ProgramDb().Prepare(
            "SELECT rpt_id FROM secs_evt_rpt WHERE evt_id = ? ORDER BY rpt_order, rowid");
        statement.BindInt(1, evt_id);
        JoinIds(statement, out);
    });
    return out;
}

std::string GEMDB::GetVIDList(std::int32_t rpt_id) {
    std::string out;
    Quietly("GetVIDList", [&] {
        SqliteStatement statement = ProgramDb().Prepare(
            "SELECT var_id FROM secs_rpt_var WHERE rpt_id = ? ORDER BY var_order, rowid");
        statement.BindInt(1, rpt_id);
        JoinIds(statement, out);
    });
    return out;
}

std::string GEMDB::GetVariableDetails(std::int32_t vid, std::string_view table) {
    std::string format;
    std::string value;
    Quietly("GetVariableDetails", [&] {
        std::string_view name = AllowedTable(table, {"secs_gemvar", "secs_cusvar"});
        SqliteStatement statement = ProgramDb().Prepare("SELECT var_format, var_val FROM " +
                                                        std::string(name) + " WHERE var_id = ?");
        statement.BindInt(1, vid);
        while (statement.Step()) {  // the last row counts
            format = statement.Text(0);
            value = statement.Text(1);
        }
    });
    return format + "," + value;
}

std::string GEMDB::GetEventStatus(std::int32_t ceid, std::string_view table) {
    std::string out;
    Quietly("GetEventStatus", [&] {
        std::string_view name = AllowedTable(table, {"secs_gemevent", "secs_cusevent"});
        SqliteStatement statement = ProgramDb().Prepare("SELECT evt_enable FROM " +
                                                        std::string(name) + " WHERE evt_id = ?");
        statement.BindInt(1, ceid);
        while (statement.Step())
            out = ReadColumn(statement, 0, ColumnKind::YesNo).ToText();
    });
    return out;
}

std::string GEMDB::GetRecipePath() {
    std::string out;
    Quietly("GetRecipePath", [&] {
        SqliteStatement statement = ProgramDb().Prepare(
            "SELECT var_val FROM secs_gemvar WHERE var_name = 'PPDirectory' ORDER BY rowid "
            "LIMIT 1");
        if (statement.Step()) out = statement.Text(0);
    });
    return out;
}

void GEMDB::InsertECChanged(std::string_view first, std::string_view second,
                            std::string_view third) {
    Trap("InsertECChanged", false, [&] {
        SqliteConnection& db = Main();
        SqliteTransaction transaction(db);
        if (first == "1") db.Prepare("DELETE FROM secs_ec_changed").Run();
        db.Prepare("INSERT INTO secs_ec_changed ([Number], NamesX, V_alue) VALUES (?, ?, ?)")
            .BindText(1, first)
            .BindText(2, second)
            .BindText(3, third)
            .Run();
        transaction.Commit();
        return true;
    });
}

}  // namespace kest
