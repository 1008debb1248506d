// GEMAlarm and GEMEventReport: S5F1 with the alarm state recorded and the event it links; the
// S6F11 built from the linked reports and the value rules; the refusals, the acknowledges ACKC5
// and ACKC6 on every path, and the hand-over log.
#include <gtest/gtest.h>

#include <algorithm>

#include "service_fixture.h"
#include "services/gem_alarm.h"
#include "services/gem_event_report.h"

namespace kest::test {
namespace {

using namespace kest::build;

constexpr const char* kClock12 = "261205100000";
constexpr const char* kClock16 = "2026120510000000";

/// Communicating, no spooling events; alarm 7 with its text in blanks, 8 disabled, 9 linked to
/// event 1120 when set.
class Reports : public ServiceTest {
  protected:
    void SetUp() override {
        h.Communicating();
        h.SetGemVar("ConfigSpool", 0);
        AddAlarm(7, "DoorOpen", "  Door open  ", true);
        AddAlarm(8, "Heater", "Heater failed", false);
        AddEvent(1120, "HeaterSet");
        AddAlarm(9, "Linked", "Linked alarm", true, 1120);
        h.ClearRecords();
    }
};

struct BodyCase {
    const char* label;
    std::int32_t ceid;
    int time_format;
    SecsItem reports;
};

class EventReportBody : public Reports, public ::testing::WithParamInterface<BodyCase> {
  protected:
    void SetUp() override {
        Reports::SetUp();
        for (std::int32_t ceid : {1001, 1002, 1003, 1004, 1005})
            AddEvent(ceid, "E" + std::to_string(ceid));
        AddVariable(1101, "LotCount", enmItemFormat::FormatU2, "7");
        AddReport(1010, {});
        AddReport(1020, {1101, 9999, 1101});
        Link(1002, {1010, 1020});

        AddVariable(1111, "Count", enmItemFormat::FormatU4, "12.7");
        AddVariable(1112, "Enabled", enmItemFormat::FormatBoolean, "true");
        AddVariable(1113, "Label", enmItemFormat::FormatAscii, "NULL");
        AddVariable(1114, "Offset", enmItemFormat::FormatI2, "NULL");
        AddVariable(1115, "Clock", enmItemFormat::FormatAscii, "stored");  // not the GEM clock
        AddReport(1030, {1111, 1112, 1113, 1114, 1115});
        Link(1003, {1030});

        AddVariable(1200, "Site", enmItemFormat::FormatList, "NULL");
        AddVariable(1201, "Readings", enmItemFormat::FormatU2, "3,1,3", 1200, "1", true);
        AddVariable(1202, "Name", enmItemFormat::FormatAscii, "W1", 1200, "2");
        AddVariable(1203, "Inner", enmItemFormat::FormatList, "NULL", 1200, "3");
        AddVariable(1204, "Flag", enmItemFormat::FormatBoolean, "T", 1203, "1");
        AddReport(1040, {1200, 1201});  // a member of a list variable is L,0 at the top level
        Link(1004, {1040});

        AddReport(1050, {1});  // the GEM variable "Clock"
        Link(1005, {1050});
    }
};

TEST_P(EventReportBody, FollowsTheLinkedReportsAndTheValueRules) {
    h.SetGemVar("TimeFormat", GetParam().time_format);
    EXPECT_TRUE(h.server->GEMEventReport()->SendEventRptByCEID(GetParam().ceid));
    EXPECT_EQ(h.driver->SentNames(), std::vector<std::string>{"S6F11"});
    EXPECT_TRUE(h.driver->LastSent()->ReplyExpected());  // WBITS6 is 1
    EXPECT_EQ(h.driver->LastSent()->Primary().Item(1),
              L(U4(1), U4(GetParam().ceid), GetParam().reports));
}

INSTANTIATE_TEST_SUITE_P(
    S6F11, EventReportBody,
    ::testing::Values(BodyCase{"NoReports", 1001, 1, L()},
                      BodyCase{"EmptyReportLeftOutUnknownVariableL0", 1002, 1,
                               L(L(U4(1020), L(U2(7), L(), U2(7))))},
                      BodyCase{"FormatRules", 1003, 1,
                               L(L(U4(1030), L(U4(12), Boolean({true}), A(), I2(0), A("stored"))))},
                      BodyCase{"ListVariableAndDuplicates", 1004, 1,
                               L(L(U4(1040),
                                   L(L(U2(3), U2(1), U2(3), A("W1"), L(Boolean({true}))), L())))},
                      BodyCase{"GemClock12", 1005, 0, L(L(U4(1050), L(A(kClock12))))},
                      BodyCase{"GemClock16", 1005, 1, L(L(U4(1050), L(A(kClock16))))}),
    kLabel);

TEST_F(Reports, RefusalsNameTheEvent) {
    AddEvent(1001, "Off", false);
    auto service = h.server->GEMEventReport();
    EXPECT_FALSE(service->SendEventRptByCEID(4242));
    EXPECT_FALSE(service->SendEventRptByName(""));
    EXPECT_EQ(service->CEIDName(), "NULL");
    EXPECT_FALSE(service->SendEventRptByName("Nope"));
    EXPECT_FALSE(service->SendEventRptByName("Off"));
    EXPECT_FALSE(service->SendEventRptByCEID(1001));
    EXPECT_EQ(service->CEIDName(), "NULL");
    const std::string by_ceid = "GEMEventReport:SendEventRptByCEID";
    const std::string by_name = "GEMEventReport:SendEventRptByName";
    const std::string off = "CEID : 1001 is not enable. Cannot send event report.";
    EXPECT_EQ(
        Errors(),
        (std::vector<ErrorRow>{
            {by_ceid, 4023, "CEID : 4242 not exist in GEM Database. Cannot send event report."},
            {by_name, 4024, "Invalid null value of CEIDName."},
            {by_name, 4025, "CEIDName : Nope not exist in GEM Database. Cannot send event report."},
            {by_name, 4026, off},
            {by_ceid, 4026, off}}));
    EXPECT_TRUE(h.driver->sent.empty());
}

TEST_F(Reports, TheAcknowledgeOnEveryPathAndOnlyHandOversNotedInLogTxt) {
    AddEvent(1001, "LotStarted");
    auto service = h.server->GEMEventReport();
    ASSERT_TRUE(service->SendEventRptByName("lotstarted"));  // names compare without case
    EXPECT_EQ(h.GemVar("PreviousCEID"), "1001");
    EXPECT_EQ(LiveTransactions(), 1u);
    h.driver->InjectReply(h.driver->LastSent(), Reply(6, 12, B({0})));
    h.SetGemVar("WBITS6", 0);  // acknowledged at once, nothing left to time out
    ASSERT_TRUE(service->SendEventRptByCEID(1001));
    EXPECT_FALSE(h.driver->LastSent()->ReplyExpected());
    EXPECT_EQ(LiveTransactions(), 0u);
    h.SetGemVar("WBITS6", 1);
    ASSERT_TRUE(service->SendEventRptByCEID(1001));
    h.driver->RaiseError(3005, "T6");
    ASSERT_TRUE(service->SendEventRptByCEID(1001));  // refused: CommState 1
    h.SetGemVar("CommState", 2);
    ASSERT_TRUE(service->SendEventRptByCEID(1001));
    h.driver->RaiseDisconnect();
    std::vector<std::string> outcomes;
    for (const auto& m : h.methods) {
        outcomes.push_back(m.ServiceName + " " + m.MethodName);
        for (const auto& item : m.Inputs())
            outcomes.back() += " " + item.ItemName + "=" + item.ItemValue.ToText();
        outcomes.back() += " ACKC6=" + m.Output("ACKC6").ToText();
    }
    const std::string by_ceid = "GEMEventReport SendEventRptByCEID CEID=1001 CEIDName=LotStarted";
    EXPECT_EQ(outcomes,
              (std::vector<std::string>{
                  "GEMEventReport SendEventRptByName CEID=1001 CEIDName=lotstarted ACKC6=0",
                  by_ceid + " ACKC6=0", by_ceid + " ACKC6=3005", by_ceid + " ACKC6=6002",
                  by_ceid + " ACKC6=3002"}));
    const std::string line = "IEDAction_Source Else EDEvent\n";
    EXPECT_EQ(ReadFile(h.dir / "Log" / "Log.txt"), line + line + line + line);
}

TEST_F(Reports, SettingSendsS5F1RecordsTheStateAndReportsTheAcknowledge) {
    auto alarm = h.server->GEMAlarm();
    ASSERT_TRUE(alarm->SetAlarmByALID(7, true));
    ASSERT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S5F1"}));
    // The record's text goes unchanged, blanks included, when no text is given.
    EXPECT_EQ(h.driver->LastSent()->Primary().Item(1), L(B({128}), U4(7), A("Door open")));
    EXPECT_TRUE(h.driver->LastSent()->ReplyExpected());
    EXPECT_EQ(h.Db().AlarmGetSet(), (std::vector<std::int32_t>{7}));
    EXPECT_EQ(h.GemVar("AlarmID"), "7");
    EXPECT_EQ(h.GemVar("AlarmState"), "1");
    EXPECT_TRUE(h.methods.empty());
    h.driver->InjectReply(h.driver->LastSent(), Reply(5, 2, B({0})));
    ASSERT_EQ(h.methods.size(), 1u);
    EXPECT_EQ(h.methods[0].MethodName, "SetAlarmByALID");
    EXPECT_EQ(h.methods[0].Output("ACKC5").ToInt32(), 0);

    ASSERT_TRUE(alarm->SetAlarmByName("dooropen", false, "  closed again "));
    EXPECT_EQ(h.driver->LastSent()->Primary().Item(1), L(B({0}), U4(7), A("closed again")));
    EXPECT_EQ(alarm->ALID(), 7);
    EXPECT_EQ(h.GemVar("AlarmState"), "0");
    EXPECT_TRUE(h.Db().AlarmGetSet().empty());
}

TEST_F(Reports, RefusalsNameTheAlarm) {
    auto alarm = h.server->GEMAlarm();
    EXPECT_FALSE(alarm->SetAlarmByALID(99, true));
    EXPECT_FALSE(alarm->SetAlarmByName("Nope", true));
    const std::int32_t alid = alarm->ALID();
    EXPECT_FALSE(alarm->SetAlarmByALID(8, true));
    EXPECT_EQ(alarm->ALTX(), "NULL");
    EXPECT_EQ(alarm->ALID(), alid) << "a disabled alarm is not taken";
    EXPECT_EQ(Errors(),
              (std::vector<ErrorRow>{
                  {"GEMAlarm:SetAlarmByALID", 4001, "Alarm ID 99 not exist in GEM Database."},
                  {"GEMAlarm:SetAlarmByName", 4002, "Alarm name Nope not exist in GEM Database."},
                  {"GEMAlarm:SetAlarmByALID", 4003, "Alarm ID 8 is not enable."}}));
    EXPECT_TRUE(h.driver->sent.empty());
}

TEST_F(Reports, TheLinkedEventFollowsTheAlarmReportEvenARefusedOne) {
    h.SetGemVar("WBITS5", 0);  // acknowledged at once
    auto alarm = h.server->GEMAlarm();
    ASSERT_TRUE(alarm->SetAlarmByALID(9, true));
    EXPECT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S5F1", "S6F11"}));
    EXPECT_FALSE(h.driver->sent[0]->ReplyExpected());
    EXPECT_EQ(h.driver->sent[1]->Primary().Item(1).Item(2), U4(1120));
    ASSERT_TRUE(alarm->SetAlarmByALID(9, false));  // no clear event linked
    EXPECT_EQ(h.driver->SentNames().size(), 3u);
    h.SetGemVar("CommState", 1);
    ASSERT_TRUE(alarm->SetAlarmByALID(9, true));  // refused: the database keeps it clear
    EXPECT_TRUE(h.Db().AlarmGetSet().empty());
    std::vector<int> codes = h.ErrorCodes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 6002), 2);  // S5F1 and the S6F11
    std::vector<int> acks;
    for (const auto& m : h.methods) {
        if (m.ServiceName == "GEMAlarm") acks.push_back(m.Output("ACKC5").ToInt32());
    }
    EXPECT_EQ(acks, (std::vector<int>{0, 0, 6002}));
}

}  // namespace
}  // namespace kest::test
