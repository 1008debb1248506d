#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"

namespace kest {

namespace {

const TableInfo& Reports() {
    return GetTableInfo(GEM_RECORDTYPE::REC_REPORT);
}

constexpr std::string_view kTable = "secs_report";

}  // namespace

bool GEMDB::ReportAddRecord(const KestRecReport& record) {
    return Trap("ReportAddRecord", false, [&] {
        if (record.ID() < 101) {
            throw KestException(
                5008, "This RPTID is reserved for DEFAULT RPTID. Please use RPTID > 100.");
        }
        InsertRow(Main(), kTable, Reports(), ReportColumns(record));
        return true;
    });
}

bool GEMDB::ReportDeleteRecord(const Variant& key) {
    return Trap("ReportDeleteRecord", false, [&] {
        RowKey row = SelectKey(key);
        Variant is_default =
            ReadField(Main(), kTable, Reports(), row, static_cast<int>(FLDID_REPORT::RPT_DEFAULT));
        if (is_default.IsText()) return false;  // "NULL": no such report
        if (is_default.ToBool()) {
            throw KestException(5007, "Cannot delete default RPTID: " + row.Text() + ".");
        }
        return DeleteFirstRow(Main(), kTable, Reports(), row);
    });
}

std::optional<KestRecReport> GEMDB::ReportGetRecord(const Variant& key) {
    return Trap("ReportGetRecord", std::optional<KestRecReport>(), [&] {
        return ReadRecord(Main(), kTable, Reports(), SelectKey(key), ReportFromRow);
    });
}

Variant GEMDB::ReportGetField(const Variant& key, FLDID_REPORT field) {
    return Trap("ReportGetField", Variant("NULL"), [&] {
        return ReadField(Main(), kTable, Reports(), SelectKey(key), static_cast<int>(field));
    });
}

bool GEMDB::ReportSetField(const Variant& key, FLDID_REPORT field, const Variant& value) {
    return Trap("ReportSetField", false, [&] {
        WriteField(Main(), kTable, Reports(), SelectKey(key), static_cast<int>(field), value);
        return true;
    });
}

std::vector<KestRecReport> GEMDB::ReportGetAll() {
    return Trap("ReportGetAll", std::vector<KestRecReport>(), [&] {
        SqliteStatement statement =
            Main().Prepare("SELECT " + ColumnList(Reports()) + " FROM secs_report ORDER BY rowid");
        return ReadRecords(statement, ReportFromRow);
    });
}

}  // namespace kest
