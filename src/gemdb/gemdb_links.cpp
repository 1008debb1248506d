#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"

namespace kest {

bool GEMDB::EvtRptAddVariable(std::int32_t rpt_id, std::int32_t var_id, std::int32_t order) {
    return Trap("EvtRptAddVariable", false, [&] {
        Main()
            .Prepare("INSERT INTO secs_rpt_var (rpt_id, var_id, var_order) VALUES (?, ?, ?)")
            .BindInt(1, rpt_id)
            .BindInt(2, var_id)
            .BindInt(3, order)
            .Run();
        return true;
    });
}

bool GEMDB::EvtRptDelVariable(std::int32_t rpt_id, std::int32_t var_id) {
    return Trap("EvtRptDelVariable", false, [&] {
        SqliteConnection& db = Main();
        db.Prepare(
              "DELETE FROM secs_rpt_var WHERE rowid = (SELECT rowid FROM secs_rpt_var "
              "WHERE rpt_id = ? AND var_id = ? ORDER BY rowid LIMIT 1)")
            .BindInt(1, rpt_id)
            .BindInt(2, var_id)
            .Run();
        return db.Changes() > 0;
    });
}

std::vector<std::int32_t> GEMDB::EvtRptGetVarList(std::int32_t rpt_id) {
    return Trap("EvtRptGetVarList", std::vector<std::int32_t>(), [&] {
        SqliteStatement statement = Main().Prepare(
            "SELECT var_id FROM secs_rpt_var WHERE rpt_id = ? ORDER BY var_order, rowid");
        statement.BindInt(1, rpt_id);
        return ReadIds(statement);
    });
}

bool GEMDB::EvtRptLinkReport(std::int32_t evt_id, std::int32_t rpt_id, std::int32_t order) {
    return Trap("EvtRptLinkReport", false, [&] {
        Main()
            .Prepare("INSERT INTO secs_evt_rpt (evt_id, rpt_id, rpt_order) VALUES (?, ?, ?)")
            .BindInt(1, evt_id)
            .BindInt(2, rpt_id)
            .BindInt(3, order)
            .Run();
        return true;
    });
}

bool GEMDB::EvtRptUnlinkReport(std::int32_t evt_id, std::int32_t rpt_id) {
    return Trap("EvtRptUnlinkReport", false, [&] {
        SqliteConnection& db = Main();
        db.Prepare(
              "DELETE FROM secs_evt_rpt WHERE rowid = (SELECT rowid FROM secs_evt_rpt "
              "WHERE evt_id = ? AND rpt_id = ? ORDER BY rowid LIMIT 1)")
            .BindInt(1, evt_id)
            .BindInt(2, rpt_id)
            .Run();
        return db.Changes() > 0;
    });
}

std::vector<std::int32_t> GEMDB::EvtRptGetReportList(std::int32_t evt_id) {
    return Trap("EvtRptGetReportList", std::vector<std::int32_t>(), [&] {
        SqliteStatement statement = Main().Prepare(
            "SELECT rpt_id FROM secs_evt_rpt WHERE evt_id = ? ORDER BY rpt_order, rowid");
        statement.BindInt(1, evt_id);
        return ReadIds(statement);
    });
}

std::vector<std::int32_t> GEMDB::EvtRptGetEventList(std::int32_t rpt_id) {
    return Trap("EvtRptGetEventList", std::vector<std::int32_t>(), [&] {
        SqliteStatement statement =
            Main().Prepare("SELECT evt_id FROM secs_evt_rpt WHERE rpt_id = ? ORDER BY rowid");
        statement.BindInt(1, rpt_id);
        return ReadIds(statement);
    });
}

bool GEMDB::EvtRptDelAll() {
    return Trap("EvtRptDelAll", false, [&] {
        // The same rows as deleting every link, then each non-default report with each of its
        // variable links, but all or nothing.
        SqliteConnection& db = Main();
        SqliteTransaction transaction(db);
        db.Prepare("DELETE FROM secs_evt_rpt").Run();
        db.Prepare(
              "DELETE FROM secs_rpt_var WHERE rpt_id IN "
              "(SELECT rpt_id FROM secs_report WHERE rpt_default = 0)")
            .Run();
        db.Prepare("DELETE FROM secs_report WHERE rpt_default = 0").Run();
        transaction.Commit();
        return true;
    });
}

bool GEMDB::EvtRptCopyDefault() {
    return Trap("EvtRptCopyDefault", false, [&] {
        Main()
            .Prepare(
                "INSERT INTO secs_evt_rpt (evt_id, rpt_id, rpt_order) "
                "SELECT evt_id, rpt_id, rpt_order FROM secs_def_evt_rpt ORDER BY rowid")
            .Run();
        return true;
    });
}

}  // namespace kest
