#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"

namespace kest {

namespace {

const TableInfo& Events() {
    return GetTableInfo(GEM_RECORDTYPE::REC_EVENT);
}

}  // namespace

bool GEMDB::EventAddRecord(const KestRecEvent& record) {
    return Trap("EventAddRecord", false, [&] {
        if (record.ID() < 101) {
            throw KestException(5001,
                                "This CEID is reserved for GEM Event. Please use CEID > 100.");
        }
        InsertRow(Main(), Events().Table(false), Events(), EventColumns(record));
        return true;
    });
}

bool GEMDB::EventDeleteRecord(const Variant& key) {
    return Trap("EventDeleteRecord", false, [&] {
        return DeleteFirstRow(Main(), Events().Table(false), Events(), SelectKey(key));
    });
}

std::optional<KestRecEvent> GEMDB::EventGetRecord(const Variant& key, bool gem) {
    return Trap("EventGetRecord", std::optional<KestRecEvent>(), [&] {
        return ReadRecord(Main(), Events().Table(gem), Events(), SelectKey(key), EventFromRow);
    });
}

Variant GEMDB::EventGetField(const Variant& key, FLDID_EVENT field, bool gem) {
    return Trap("EventGetField", Variant("NULL"), [&] {
        return ReadField(Main(), Events().Table(gem), Events(), SelectKey(key),
                         static_cast<int>(field));
    });
}

bool GEMDB::EventSetField(const Variant& key, FLDID_EVENT field, const Variant& value, bool gem) {
    return Trap("EventSetField", false, [&] {
        RowKey row = SelectKey(key);
        if (field == FLDID_EVENT::EVT_ID) {
            throw KestException(5009, "Cannot modify Event ID due to it is primary key.");
        }
        if (field == FLDID_EVENT::EVT_NAME) {
            throw KestException(5009, "Cannot modify Event Name due to it is primary key.");
        }
        WriteField(Main(), Events().Table(gem), Events(), row, static_cast<int>(field), value);
        return true;
    });
}

std::vector<std::int32_t> GEMDB::EventGetAll(bool gem) {
    return Trap("EventGetAll", std::vector<std::int32_t>(), [&] {
        SqliteStatement statement =
            Main().Prepare(gem ? "SELECT evt_id FROM secs_gemevent ORDER BY rowid"
                               : "SELECT evt_id FROM secs_cusevent ORDER BY rowid");
        return ReadIds(statement);
    });
}

std::vector<std::int32_t> GEMDB::EventGetEnabled(bool gem) {
    return Trap("EventGetEnabled", std::vector<std::int32_t>(), [&] {
        SqliteStatement statement =
            Main().Prepare(gem ? "SELECT evt_id FROM secs_gemevent WHERE evt_enable <> 0"
                               : "SELECT evt_id FROM secs_cusevent WHERE evt_enable <> 0");
        return ReadIds(statement);
    });
}

bool GEMDB::EventEnableAll(bool enable, bool gem) {
    return Trap("EventEnableAll", false, [&] {
        Main()
            .Prepare(gem ? "UPDATE secs_gemevent SET evt_enable = ?"
                         : "UPDATE secs_cusevent SET evt_enable = ?")
            .BindInt(1, enable ? 1 : 0)
            .Run();
        return true;
    });
}

}  // namespace kest
