// Collection events (GEM and custom tables) and report definitions.
#include <gtest/gtest.h>

#include "gemdb_fixture.h"

namespace kest::testing {
namespace {

KestRecEvent Event(std::int32_t id, const std::string& name, bool enable = true) {
    KestRecEvent event;
    event.SetID(id);
    event.SetName(name);
    event.SetEnable(enable);
    return event;
}

KestRecReport Report(std::int32_t id, bool is_default = false) {
    KestRecReport report;
    report.SetID(id);
    report.SetName(std::string("R").append(std::to_string(id)));
    report.SetIsDefault(is_default);
    return report;
}

using Events = GemDbTest;

TEST_F(Events, CeidsUpTo100AreReservedForTheGemTable) {
    EXPECT_FALSE(db->EventAddRecord(Event(100, "Hundred")));
    ExpectOnlyError(5001, "This CEID is reserved for GEM Event. Please use CEID > 100.",
                    "GEMDB:EventAddRecord");

    EXPECT_TRUE(db->EventAddRecord(Event(101, "LotStarted")));
    EXPECT_EQ(db->EventGetRecord(101, false)->Name(), "LotStarted");
    EXPECT_FALSE(db->EventGetRecord(101, true).has_value()) << "custom events are not GEM events";
}

TEST_F(Events, GemAndCustomTablesAreChosenByTheFlag) {
    ASSERT_TRUE(db->EventAddRecord(Event(150, "LotEnded", false)));
    auto gem = db->EventGetRecord("GemSpoolingActivated", true);
    ASSERT_TRUE(gem.has_value());
    EXPECT_TRUE(gem->Enable());
    EXPECT_EQ(db->EventGetField(150, FLDID_EVENT::EVT_ENABLE, false), Variant(false));
    EXPECT_EQ(db->EventGetField(150, FLDID_EVENT::EVT_ENABLE, true), Variant("NULL"));
    EXPECT_EQ(db->EventGetAll(false), std::vector<std::int32_t>{150});
    EXPECT_FALSE(db->EventGetAll(true).empty());
}

TEST_F(Events, SetFieldRefusesIdAndName) {
    ASSERT_TRUE(db->EventAddRecord(Event(150, "LotEnded")));
    EXPECT_FALSE(db->EventSetField(150, FLDID_EVENT::EVT_ID, 151, false));
    EXPECT_EQ(events->errors.back().text, "Cannot modify Event ID due to it is primary key.");
    EXPECT_FALSE(db->EventSetField(150, FLDID_EVENT::EVT_NAME, "X", false));
    EXPECT_EQ(events->errors.back().text, "Cannot modify Event Name due to it is primary key.");
    EXPECT_EQ(events->errors.back().number, 5009);
    EXPECT_TRUE(db->EventSetField("lotended", FLDID_EVENT::EVT_TEXT, "Lot finished", false));
    EXPECT_EQ(db->EventGetRecord(150, false)->TEXT(), "Lot finished");
}

TEST_F(Events, EnableFlagsPerTable) {
    ASSERT_TRUE(db->EventAddRecord(Event(150, "A", true)));
    ASSERT_TRUE(db->EventAddRecord(Event(151, "B", false)));
    EXPECT_EQ(db->EventGetEnabled(false), std::vector<std::int32_t>{150});
    EXPECT_TRUE(db->EventEnableAll(true, false));
    EXPECT_EQ(db->EventGetEnabled(false), (std::vector<std::int32_t>{150, 151}));
    std::size_t gem_enabled = db->EventGetEnabled(true).size();
    EXPECT_TRUE(db->EventEnableAll(false, true));
    EXPECT_TRUE(db->EventGetEnabled(true).empty());
    EXPECT_GT(gem_enabled, 0u);
    EXPECT_EQ(db->EventGetEnabled(false).size(), 2u) << "the other table is untouched";
    EXPECT_TRUE(db->EventSetField(1, FLDID_EVENT::EVT_ENABLE, true, true));
    EXPECT_EQ(db->EventGetEnabled(true), std::vector<std::int32_t>{1});
}

TEST_F(Events, DeleteWorksOnCustomEventsOnly) {
    ASSERT_TRUE(db->EventAddRecord(Event(150, "A")));
    EXPECT_FALSE(db->EventDeleteRecord("GemSpoolingActivated"));
    EXPECT_TRUE(db->EventGetRecord("GemSpoolingActivated", true).has_value());
    EXPECT_TRUE(db->EventDeleteRecord("a"));
    EXPECT_TRUE(db->EventGetAll(false).empty());
    EXPECT_TRUE(NoErrors());
}

using Reports = GemDbTest;

TEST_F(Reports, RptidsUpTo100AreReserved) {
    EXPECT_FALSE(db->ReportAddRecord(Report(100)));
    EXPECT_EQ(LastErrorNumber(), 5008);
    EXPECT_EQ(events->errors.back().text,
              "This RPTID is reserved for DEFAULT RPTID. Please use RPTID > 100.");
    EXPECT_TRUE(db->ReportAddRecord(Report(1001)));
    EXPECT_EQ(db->ReportGetRecord("r1001")->ID(), 1001);
}

TEST_F(Reports, DefaultReportsCannotBeDeleted) {
    ASSERT_TRUE(db->ReportAddRecord(Report(1001, true)));
    EXPECT_FALSE(db->ReportDeleteRecord(1001));
    ExpectOnlyError(5007, "Cannot delete default RPTID: 1001.");
    EXPECT_FALSE(db->ReportDeleteRecord("R1001"));
    EXPECT_EQ(events->errors.back().text, "Cannot delete default RPTID: R1001.");
    EXPECT_TRUE(db->ReportGetRecord(1001).has_value());

    ASSERT_TRUE(db->ReportAddRecord(Report(1002)));
    EXPECT_TRUE(db->ReportDeleteRecord(1002));
    EXPECT_FALSE(db->ReportDeleteRecord(1002));
    EXPECT_EQ(events->errors.size(), 2u) << "a missing report is not an error";
}

TEST_F(Reports, SetFieldMayChangeTheKeys) {
    ASSERT_TRUE(db->ReportAddRecord(Report(1001)));
    EXPECT_TRUE(db->ReportSetField(1001, FLDID_REPORT::RPT_ID, 1005));
    EXPECT_TRUE(db->ReportSetField(1005, FLDID_REPORT::RPT_NAME, "Renamed"));
    EXPECT_TRUE(db->ReportSetField("renamed", FLDID_REPORT::RPT_DEFAULT, true));
    EXPECT_EQ(db->ReportGetField(1005, FLDID_REPORT::RPT_NAME), Variant("Renamed"));
    EXPECT_EQ(db->ReportGetField(1005, FLDID_REPORT::RPT_DEFAULT), Variant(true));
    EXPECT_FALSE(db->ReportGetRecord(1001).has_value());
    EXPECT_TRUE(NoErrors());
}

TEST_F(Reports, GetAllReturnsRecordsInIdOrder) {
    ASSERT_TRUE(db->ReportAddRecord(Report(2000)));
    ASSERT_TRUE(db->ReportAddRecord(Report(1500)));
    auto all = db->ReportGetAll();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2].ID(), 1500);
    EXPECT_EQ(all.back().ID(), 2000);
    EXPECT_TRUE(all.front().IsDefault()) << "the default reports come with the database";
}

TEST_F(Reports, NullColumnsReadAsTheRecordDefaults) {
    Sql("INSERT INTO secs_report (rpt_id, rpt_name, rpt_desc) VALUES (3000, NULL, NULL)");
    auto report = db->ReportGetRecord(3000);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->Name(), "NULL");
    EXPECT_EQ(report->Description(), "NULL");
    EXPECT_EQ(db->ReportGetField(3000, FLDID_REPORT::RPT_DESC), Variant())
        << "a database NULL is an empty value, not the text NULL";
}

}  // namespace
}  // namespace kest::testing
