// A write of one row through GEMDB drops only the kept reads that may concern that row: every
// read after any write must still be what a fresh reader of the file sees, and a write of one
// variable must leave another variable's kept read alone.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "gemdb_fixture.h"

namespace kest::testing {
namespace {

// Row look-ups of every kind (by ID, by name in two spellings, record and field, value check
// through a write), a list of each table, and look-ups of keys no row has yet.
std::string RowReads(GEMDB& db) {
    std::ostringstream out;
    for (int id = 1; id <= 60; ++id) {
        auto var = db.VariableGetRecord(id, true);
        if (!var) continue;
        std::string lower = var->Name();
        for (char& c : lower)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        out << id << '=' << var->Name() << ':' << var->Value() << ':'
            << db.VariableGetField(id, FLDID_VARIABLE::VAR_VAL, true).ToText() << ':'
            << db.VariableGetField(lower, FLDID_VARIABLE::VAR_VAL, true).ToText() << ':'
            << db.VariableGetRecord(var->Name(), true)->Value() << ';';
    }
    for (const char* name : {"Extra", "EXTRA", "Other", "Moved", "moved"}) {
        auto report = db.ReportGetRecord(name);
        out << name << '=' << (report ? std::to_string(report->ID()) + report->Description() : "-")
            << db.ReportGetField(name, FLDID_REPORT::RPT_DESC).ToText() << ';';
    }
    for (int id : {101, 102, 103}) {
        auto report = db.ReportGetRecord(id);
        out << id << '=' << (report ? report->Name() + report->Description() : "-") << ';';
        auto var = db.VariableGetRecord(id + 900, false);
        out << (var ? var->Name() + var->Description() + var->Value() + var->DefaultValue() : "-")
            << ';';
    }
    for (const char* name : {"Custom", "CUSTOM", "New"})
        out << db.VariableGetField(name, FLDID_VARIABLE::VAR_DESC, false).ToText() << ';';
    for (bool gem : {true, false}) {
        for (const KestRecVariable& var : db.VariableGetAll(gem))
            out << var.Name() << var.Value() << var.DefaultValue() << var.Description() << ',';
    }
    for (const KestRecReport& report : db.ReportGetAll())
        out << report.ID() << report.Name() << report.Description() << ',';
    out << db.EventGetRecord(4, true)->Enable() << db.AlarmGetAll().size()
        << db.VariableGetAll(true).size() << db.VariableGetAll(false).size()
        << db.ReportGetAll().size() << '|'
        << db.SettingGetField("AutoPurge", FLDID_SETTING::SET_VALUE).ToText()
        << db.SettingGetField("autopurge", FLDID_SETTING::SET_VALUE).ToText()
        << db.SettingGetField("PortOpened", FLDID_SETTING::SET_VALUE).ToText();
    return out.str();
}

struct RowWrite {
    const char* name;
    std::function<bool(GEMDB&)> write;
};

const RowWrite kRowWrites[] = {
    {"value by name",
     [](GEMDB& db) {
         return db.VariableSetField("SpoolCountActual", FLDID_VARIABLE::VAR_VAL, "7", true);
     }},
    {"value by ID",
     [](GEMDB& db) { return db.VariableSetField(7, FLDID_VARIABLE::VAR_VAL, 3, true); }},
    {"value by a name differing in case",
     [](GEMDB& db) {
         return db.VariableSetField("sPOOLcOUNTtOTAL", FLDID_VARIABLE::VAR_VAL, "9", true);
     }},
    {"default value by ID",
     [](GEMDB& db) {
         return db.VariableSetField(1001, FLDID_VARIABLE::VAR_DEFAULTVAL, "d", false);
     }},
    {"field by name",
     [](GEMDB& db) { return db.VariableSetField("cUSTOM", FLDID_VARIABLE::VAR_DESC, "x", false); }},
    {"field by ID",
     [](GEMDB& db) { return db.VariableSetField(1002, FLDID_VARIABLE::VAR_DESC, "y", false); }},
    {"report field by ID",
     [](GEMDB& db) { return db.ReportSetField(102, FLDID_REPORT::RPT_DESC, "z"); }},
    {"report renamed to a name looked up before",
     [](GEMDB& db) { return db.ReportSetField("extra", FLDID_REPORT::RPT_NAME, "Moved"); }},
    {"report renamed to another report's name",
     [](GEMDB& db) { return db.ReportSetField(102, FLDID_REPORT::RPT_NAME, "EXTRA"); }},
    {"report ID changed",
     [](GEMDB& db) { return db.ReportSetField("Extra", FLDID_REPORT::RPT_ID, 103); }},
    {"event field",
     [](GEMDB& db) { return db.EventSetField(4, FLDID_EVENT::EVT_ENABLE, false, true); }},
    {"setting by a name differing in case",
     [](GEMDB& db) {
         db.SettingSetField("AUTOPURGE", FLDID_SETTING::SET_VALUE, "17");
         return true;
     }},
    {"variable deleted", [](GEMDB& db) { return db.VariableDeleteRecord("custom"); }},
    {"variable inserted",
     [](GEMDB& db) {
         KestRecVariable v;
         v.SetID(1003);
         v.SetName("New");
         v.SetDescription("n");
         return db.VariableAddRecord(v);
     }},
};

class RowCache : public GemDbTest {
  protected:
    // Rows the look-ups above expect besides the defaults, then the control's cache mode.
    void Prepare() {
        KestRecReport extra;
        extra.SetID(101);
        extra.SetName("Extra");
        KestRecReport other;
        other.SetID(102);
        other.SetName("Other");
        KestRecVariable custom;
        custom.SetID(1001);
        custom.SetName("Custom");
        KestRecVariable second;
        second.SetID(1002);
        second.SetName("Second");
        ASSERT_TRUE(db->ReportAddRecord(extra) && db->ReportAddRecord(other) &&
                    db->VariableAddRecord(custom) && db->VariableAddRecord(second));
        db->SetCacheMode(GEMDBCacheMode::UntilNoticed);
    }
    std::string FromFile() const {
        GEMDB fresh(dir.Path());
        return RowReads(fresh);
    }
};

TEST_F(RowCache, EveryReadAfterAWriteIsWhatTheFileHolds) {
    for (const RowWrite& write : kRowWrites) {
        SCOPED_TRACE(write.name);
        db.reset();
        CreateGemDatabase(db_path, true);
        db = std::make_unique<GEMDB>(dir.Path());
        Prepare();
        std::string before = RowReads(*db);
        ASSERT_EQ(before, RowReads(*db));  // served from memory the second time
        ASSERT_TRUE(write.write(*db)) << db->LastError().text;
        std::string after = RowReads(*db);
        EXPECT_NE(after, before) << "the write shows in no read";
        EXPECT_EQ(after, FromFile());
    }
}

// The control writes one variable on every event report: the kept reads of the others stay
// (a read run again would be kept again, raising the count).
TEST_F(RowCache, AWriteOfOneVariableKeepsAnothersRead) {
    Prepare();
    const auto read = [&](const Variant& key) {
        return db->VariableGetField(key, FLDID_VARIABLE::VAR_VAL, true).ToText();
    };
    const Variant kOthers[] = {Variant("ControlState"), Variant("controlstate"), Variant(7)};
    for (const Variant& key : kOthers)
        read(key);
    read("PreviousCEID");
    std::size_t warm = db->CachedResultCount();
    ASSERT_TRUE(db->VariableSetField("PreviousCEID", FLDID_VARIABLE::VAR_VAL, 12, true));
    std::size_t kept = db->CachedResultCount();
    EXPECT_LT(kept, warm);
    for (const Variant& key : kOthers)
        read(key);
    EXPECT_EQ(db->CachedResultCount(), kept) << "another variable's read was dropped";
    EXPECT_EQ(read("PREVIOUSCEID"), "12");
    EXPECT_EQ(db->CachedResultCount(), kept + 1);
}

}  // namespace
}  // namespace kest::testing
