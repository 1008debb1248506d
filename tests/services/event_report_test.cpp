#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "services/gem_event_report.h"
#include "support/control_harness.h"

namespace kest::test {
namespace {

using namespace kest::build;

class EventReports : public ::testing::Test {
  protected:
    void SetUp() override {
        h.Communicating();
        h.ClearRecords();
    }

    void Event(std::int32_t ceid, const std::string& name, bool enable = true) {
        KestRecEvent e;
        e.SetID(ceid);
        e.SetName(name);
        e.SetEnable(enable);
        ASSERT_TRUE(h.Db().EventAddRecord(e));
    }
    void Variable(std::int32_t vid, const std::string& name, enmItemFormat format,
                  const std::string& value, std::int32_t parent = 0, bool duplicates = false,
                  const std::string& access = "NULL") {
        KestRecVariable v;
        v.SetID(vid);
        v.SetName(name);
        v.SetVarFormat(static_cast<int>(format));
        v.SetValue(value);
        v.SetParentKey(parent);
        v.SetAllowDuplicates(duplicates);
        v.SetAccessID(access);
        ASSERT_TRUE(h.Db().VariableAddRecord(v));
    }
    void Report(std::int32_t rptid, std::vector<std::int32_t> vids) {
        KestRecReport r;
        r.SetID(rptid);
        r.SetName(std::string("R").append(std::to_string(rptid)));
        ASSERT_TRUE(h.Db().ReportAddRecord(r));
        std::int32_t order = 0;
        for (auto vid : vids)
            ASSERT_TRUE(h.Db().EvtRptAddVariable(rptid, vid, ++order));
    }
    void Link(std::int32_t ceid, std::vector<std::int32_t> rptids) {
        std::int32_t order = 0;
        for (auto r : rptids)
            ASSERT_TRUE(h.Db().EvtRptLinkReport(ceid, r, ++order));
    }
    // The body of the S6F11 sent for `ceid`.
    SecsItem Sent(std::int32_t ceid) {
        EXPECT_TRUE(h.server->GEMEventReport()->SendEventRptByCEID(ceid));
        auto last = h.driver->LastSent();
        EXPECT_EQ(last->Primary().Name(), "S6F11");
        return last->Primary().Item(1);
    }

    ControlHarness h;
};

TEST_F(EventReports, AnEventWithoutReportsSendsAnEmptyReportList) {
    Event(1001, "LotStarted");
    EXPECT_EQ(Sent(1001), L(U4(1), U4(1001), L()));
    EXPECT_TRUE(h.driver->LastSent()->ReplyExpected());  // WBITS6 is 1
}

TEST_F(EventReports, ReportsWithoutVariablesAreLeftOutAndUnknownVariablesSendL0) {
    Event(1001, "LotStarted");
    Variable(1101, "LotCount", enmItemFormat::FormatU2, "7");
    Report(1010, {});
    Report(1020, {1101, 9999, 1101});
    Link(1001, {1010, 1020});
    EXPECT_EQ(Sent(1001), L(U4(1), U4(1001), L(L(U4(1020), L(U2(7), L(), U2(7))))));
}

TEST_F(EventReports, ValuesFollowTheFormatRules) {
    Event(1001, "Measured");
    Variable(1101, "Count", enmItemFormat::FormatU4, "12.7");
    Variable(1102, "Enabled", enmItemFormat::FormatBoolean, "true");
    Variable(1103, "Label", enmItemFormat::FormatAscii, "NULL");
    Variable(1104, "Offset", enmItemFormat::FormatI2, "NULL");
    Variable(1105, "Clock", enmItemFormat::FormatAscii, "stored");  // not the GEM clock
    Report(1010, {1101, 1102, 1103, 1104, 1105});
    Link(1001, {1010});
    EXPECT_EQ(Sent(1001), L(U4(1), U4(1001),
                            L(L(U4(1010), L(U4(12), Boolean({true}), A(), I2(0), A("stored"))))));
}

TEST_F(EventReports, TheGemClockFollowsTheTimeFormat) {
    Event(1001, "Tick");
    auto clock = h.Db().VariableGetRecord("Clock", true);
    ASSERT_TRUE(clock.has_value());
    Report(1010, {clock->ID()});
    Link(1001, {1010});
    h.SetGemVar("TimeFormat", 0);
    EXPECT_EQ(Sent(1001).Item(3).Item(1).Item(2), L(A("261205100000")));
    h.SetGemVar("TimeFormat", 1);
    EXPECT_EQ(Sent(1001).Item(3).Item(1).Item(2), L(A("2026120510000000")));
}

TEST_F(EventReports, ListVariablesCarryTheirChildrenAndSplitDuplicates) {
    Event(1001, "Wafer");
    Variable(1200, "Site", enmItemFormat::FormatList, "NULL");
    Variable(1201, "Readings", enmItemFormat::FormatU2, "3,1,3", 1200, true, "1");
    Variable(1202, "Name", enmItemFormat::FormatAscii, "W1", 1200, false, "2");
    Variable(1203, "Inner", enmItemFormat::FormatList, "NULL", 1200, false, "3");
    Variable(1204, "Flag", enmItemFormat::FormatBoolean, "T", 1203, false, "1");
    Report(1010, {1200, 1201});  // a member of a list variable is L,0 at the top level
    Link(1001, {1010});
    EXPECT_EQ(Sent(1001).Item(3).Item(1).Item(2),
              L(L(U2(3), U2(1), U2(3), A("W1"), L(Boolean({true}))), L()));
}

TEST_F(EventReports, RefusalsNameTheEvent) {
    Event(1001, "Off", false);
    auto service = h.server->GEMEventReport();
    EXPECT_FALSE(service->SendEventRptByCEID(4242));
    EXPECT_FALSE(service->SendEventRptByName(""));
    EXPECT_EQ(service->CEIDName(), "NULL");
    EXPECT_FALSE(service->SendEventRptByName("Nope"));
    EXPECT_FALSE(service->SendEventRptByName("Off"));
    EXPECT_FALSE(service->SendEventRptByCEID(1001));
    EXPECT_EQ(service->CEIDName(), "NULL");
    ASSERT_EQ(h.ErrorCodes(), (std::vector<int>{4023, 4024, 4025, 4026, 4026}));
    EXPECT_EQ(h.errors[0].ErrText,
              "CEID : 4242 not exist in GEM Database. Cannot send event report.");
    EXPECT_EQ(h.errors[1].ErrText, "Invalid null value of CEIDName.");
    EXPECT_EQ(h.errors[2].ErrText,
              "CEIDName : Nope not exist in GEM Database. Cannot send event report.");
    EXPECT_EQ(h.errors[3].ErrText, "CEID : 1001 is not enable. Cannot send event report.");
    EXPECT_EQ(h.errors[3].ErrSource, "GEMEventReport:SendEventRptByName");
    EXPECT_TRUE(h.driver->sent.empty());
}

TEST_F(EventReports, TheHostsAcknowledgeEndsTheTransaction) {
    Event(1001, "LotStarted");
    auto service = h.server->GEMEventReport();
    ASSERT_TRUE(service->SendEventRptByName("lotstarted"));  // names compare without case
    auto sent = h.driver->LastSent();
    EXPECT_EQ(h.GemVar("PreviousCEID"), "1001");
    EXPECT_EQ(h.core->Actions().Size(), 2u);
    h.driver->InjectReply(sent, SecsMessage(6, 12, false, B({0})));
    ASSERT_EQ(h.methods.size(), 1u);
    const KestMethod& m = h.methods[0];
    EXPECT_EQ(m.ServiceName, "GEMEventReport");
    EXPECT_EQ(m.MethodName, "SendEventRptByName");
    EXPECT_EQ(m.Inputs()[0].ItemName, "CEID");
    EXPECT_EQ(m.Inputs()[0].ItemValue.ToInt32(), 1001);
    EXPECT_EQ(m.Inputs()[1].ItemValue.ToText(), "lotstarted");  // the name as asked
    EXPECT_EQ(m.Output("ACKC6").ToInt32(), 0);
    EXPECT_EQ(h.core->Actions().Size(), 1u);
}

TEST_F(EventReports, WithoutWBitTheAcknowledgeComesAtOnceAndNothingTimesOut) {
    Event(1001, "LotStarted");
    h.SetGemVar("WBITS6", 0);
    ASSERT_TRUE(h.server->GEMEventReport()->SendEventRptByCEID(1001));
    EXPECT_FALSE(h.driver->LastSent()->ReplyExpected());
    ASSERT_EQ(h.methods.size(), 1u);
    EXPECT_EQ(h.methods[0].MethodName, "SendEventRptByCEID");
    EXPECT_EQ(h.methods[0].Output("ACKC6").ToInt32(), 0);
    h.Tick(200);
    EXPECT_TRUE(h.events.empty());
}

TEST_F(EventReports, EachHandOverIsNotedInLogTxt) {
    Event(1001, "LotStarted");
    ASSERT_TRUE(h.server->GEMEventReport()->SendEventRptByCEID(1001));
    ASSERT_TRUE(h.server->GEMEventReport()->SendEventRptByCEID(1001));
    std::ifstream in(h.dir / "Log" / "Log.txt");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "IEDAction_Source Else EDEvent\nIEDAction_Source Else EDEvent\n");
}

TEST_F(EventReports, FailuresReportAckc6) {
    h.SetGemVar("ConfigSpool", 0);  // no spooling events in between
    Event(1001, "LotStarted");
    ASSERT_TRUE(h.server->GEMEventReport()->SendEventRptByCEID(1001));
    h.driver->RaiseError(3005, "T6");
    ASSERT_TRUE(h.server->GEMEventReport()->SendEventRptByCEID(1001));  // refused: CommState 1
    h.SetGemVar("CommState", 2);
    ASSERT_TRUE(h.server->GEMEventReport()->SendEventRptByCEID(1001));
    h.driver->RaiseDisconnect();
    std::vector<int> acks;
    for (const auto& m : h.methods)
        acks.push_back(m.Output("ACKC6").ToInt32());
    EXPECT_EQ(acks, (std::vector<int>{3005, 6002, 3002}));
}

}  // namespace
}  // namespace kest::test
