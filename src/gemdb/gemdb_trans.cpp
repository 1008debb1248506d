#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"

namespace kest {

namespace {

KestRecSecsTrans SecsTransFromRow(const SqliteStatement& row) {
    KestRecSecsTrans record;
    record.stream = ReadColumn(row, 0, ColumnKind::Long).ToInt32();
    record.function = ReadColumn(row, 1, ColumnKind::Long).ToInt32();
    record.primary_support = ReadColumn(row, 2, ColumnKind::YesNo).ToBool();
    record.spool_support = ReadColumn(row, 3, ColumnKind::YesNo).ToBool();
    record.spool_enable = ReadColumn(row, 4, ColumnKind::YesNo).ToBool();
    return record;
}

}  // namespace

std::optional<KestRecSecsTrans> GEMDB::SFGetRecord(std::int32_t stream, std::int32_t function) {
    return Trap("SFGetRecord", std::optional<KestRecSecsTrans>(), [&] {
        SqliteStatement statement = Main().Prepare(
            "SELECT stream, function, primary_support, spool_support, spool_enable "
            "FROM secs_trans WHERE stream = ? AND function = ?");
        statement.BindInt(1, stream).BindInt(2, function);
        if (!statement.Step()) return std::optional<KestRecSecsTrans>();
        return std::optional<KestRecSecsTrans>(SecsTransFromRow(statement));
    });
}

bool GEMDB::SFSetField(std::int32_t stream, std::int32_t function, FLDID_SECSTRANS field,
                       const Variant& value) {
    return Trap("SFSetField", false, [&] {
        const ColumnInfo& column =
            GetTableInfo(GEM_RECORDTYPE::REC_TRANS).Column(static_cast<int>(field));
        SqliteConnection& db = Main();
        SqliteStatement statement = db.Prepare("UPDATE secs_trans SET " + std::string(column.name) +
                                               " = ? WHERE stream = ? AND function = ?");
        BindColumn(statement, 1, column.kind, value);
        statement.BindInt(2, stream).BindInt(3, function).Run();
        if (db.Changes() == 0) {
            ThrowNoCurrentRecord("secs_trans",
                                 "S" + std::to_string(stream) + "F" + std::to_string(function));
        }
        return true;
    });
}

std::vector<std::int32_t> GEMDB::SFGetFunc(std::int32_t stream) {
    return Trap("SFGetFunc", std::vector<std::int32_t>(), [&] {
        SqliteStatement statement =
            Main().Prepare("SELECT function FROM secs_trans WHERE stream = ? ORDER BY function");
        statement.BindInt(1, stream);
        return ReadIds(statement);
    });
}

std::vector<std::int32_t> GEMDB::SpoolSupportFunc(std::int32_t stream) {
    return Trap("SpoolSupportFunc", std::vector<std::int32_t>(), [&] {
        SqliteStatement statement = Main().Prepare(
            "SELECT function FROM secs_trans WHERE stream = ? AND spool_support <> 0 "
            "ORDER BY function");
        statement.BindInt(1, stream);
        return ReadIds(statement);
    });
}

bool GEMDB::SpoolEnableDefault() {
    return Trap("SpoolEnableDefault", false, [&] {
        Main().Prepare("UPDATE secs_trans SET spool_enable = (spool_support <> 0)").Run();
        return true;
    });
}

bool GEMDB::SpoolDisable(std::int32_t stream) {
    return Trap("SpoolDisable", false, [&] {
        if (stream == 0) {
            Main().Prepare("UPDATE secs_trans SET spool_enable = 0").Run();
        } else {
            Main()
                .Prepare("UPDATE secs_trans SET spool_enable = 0 WHERE stream = ?")
                .BindInt(1, stream)
                .Run();
        }
        return true;
    });
}

}  // namespace kest
