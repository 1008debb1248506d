#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"

namespace kest {

namespace {

const TableInfo& Alarms() {
    return GetTableInfo(GEM_RECORDTYPE::REC_ALARM);
}

constexpr std::string_view kTable = "secs_alarm";

}  // namespace

bool GEMDB::AlarmAddRecord(const KestRecAlarm& record) {
    return Trap("AlarmAddRecord", false, [&] {
        InsertRow(Main(), kTable, Alarms(), AlarmColumns(record));
        return true;
    });
}

bool GEMDB::AlarmDeleteRecord(const Variant& key) {
    return Trap("AlarmDeleteRecord", false,
                [&] { return DeleteFirstRow(Main(), kTable, Alarms(), SelectKey(key)); });
}

std::optional<KestRecAlarm> GEMDB::AlarmGetRecord(const Variant& key) {
    return Trap("AlarmGetRecord", std::optional<KestRecAlarm>(),
                [&] { return ReadRecord(Main(), kTable, Alarms(), SelectKey(key), AlarmFromRow); });
}

Variant GEMDB::AlarmGetField(const Variant& key, FLDID_ALARM field) {
    return Trap("AlarmGetField", Variant("NULL"), [&] {
        return ReadField(Main(), kTable, Alarms(), SelectKey(key), static_cast<int>(field));
    });
}

bool GEMDB::AlarmSetField(const Variant& key, FLDID_ALARM field, const Variant& value) {
    return Trap("AlarmSetField", false, [&] {
        RowKey row = SelectKey(key);
        if (field == FLDID_ALARM::ALM_ID) {
            throw KestException(5009, "Cannot modify Alarm ID due to it is primary key.");
        }
        if (field == FLDID_ALARM::ALM_NAME) {
            throw KestException(5009, "Cannot modify Alarm Name due to it is primary key.");
        }
        WriteField(Main(), kTable, Alarms(), row, static_cast<int>(field), value);
        return true;
    });
}

std::vector<std::int32_t> GEMDB::AlarmGetAll() {
    return Trap("AlarmGetAll", std::vector<std::int32_t>(), [&] {
        SqliteStatement statement = Main().Prepare("SELECT alm_id FROM secs_alarm ORDER BY rowid");
        return ReadIds(statement);
    });
}

std::vector<std::int32_t> GEMDB::AlarmGetEnabled(bool enabled) {
    return Trap("AlarmGetEnabled", std::vector<std::int32_t>(), [&] {
        SqliteStatement statement =
            Main().Prepare(enabled ? "SELECT alm_id FROM secs_alarm WHERE alm_enable <> 0"
                                   : "SELECT alm_id FROM secs_alarm WHERE alm_enable = 0");
        return ReadIds(statement);
    });
}

std::vector<std::int32_t> GEMDB::AlarmGetSet() {
    return Trap("AlarmGetSet", std::vector<std::int32_t>(), [&] {
        SqliteStatement statement =
            Main().Prepare("SELECT alm_id FROM secs_alarm WHERE alm_set <> 0");
        return ReadIds(statement);
    });
}

bool GEMDB::AlarmEnableAll(bool enable) {
    return Trap("AlarmEnableAll", false, [&] {
        Main().Prepare("UPDATE secs_alarm SET alm_enable = ?").BindInt(1, enable ? 1 : 0).Run();
        return true;
    });
}

bool GEMDB::AlarmEnableSet(bool set) {
    return Trap("AlarmEnableSet", false, [&] {
        Main().Prepare("UPDATE secs_alarm SET alm_set = ?").BindInt(1, set ? 1 : 0).Run();
        return true;
    });
}

}  // namespace kest
