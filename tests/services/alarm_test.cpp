#include <gtest/gtest.h>

#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "services/gem_alarm.h"
#include "support/control_harness.h"

namespace kest::test {
namespace {

using namespace kest::build;

class Alarms : public ::testing::Test {
  protected:
    void SetUp() override {
        h.Communicating();
        h.SetGemVar("ConfigSpool", 0);
        Alarm(7, "DoorOpen", "  Door open  ", true, 0, 0);
        Alarm(8, "Heater", "Heater failed", false, 0, 0);
        KestRecEvent e;
        e.SetID(1120);
        e.SetName("HeaterSet");
        e.SetEnable(true);
        ASSERT_TRUE(h.Db().EventAddRecord(e));
        Alarm(9, "Linked", "Linked alarm", true, 1120, 0);
        h.ClearRecords();
    }
    void Alarm(std::int32_t id, const std::string& name, const std::string& text, bool enable,
               std::int32_t set_ceid, std::int32_t clear_ceid) {
        KestRecAlarm a;
        a.SetID(id);
        a.SetName(name);
        a.SetTEXT(text);
        a.SetEnable(enable);
        a.SetSetCEID(set_ceid);
        a.SetClearCEID(clear_ceid);
        ASSERT_TRUE(h.Db().AlarmAddRecord(a));
    }
    ControlHarness h;
};

TEST_F(Alarms, SettingSendsS5F1AndRecordsTheState) {
    auto alarm = h.server->GEMAlarm();
    ASSERT_TRUE(alarm->SetAlarmByALID(7, true));
    ASSERT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S5F1"}));
    // The record's text goes unchanged, blanks included, when no text is given.
    EXPECT_EQ(h.driver->LastSent()->Primary().Item(1), L(B({128}), U4(7), A("Door open")));
    EXPECT_TRUE(h.driver->LastSent()->ReplyExpected());
    EXPECT_EQ(h.Db().AlarmGetSet(), (std::vector<std::int32_t>{7}));
    EXPECT_EQ(h.GemVar("AlarmID"), "7");
    EXPECT_EQ(h.GemVar("AlarmState"), "1");
    h.driver->InjectReply(h.driver->LastSent(), SecsMessage(5, 2, false, B({0})));
    ASSERT_EQ(h.methods.size(), 1u);
    EXPECT_EQ(h.methods[0].MethodName, "SetAlarmByALID");
    EXPECT_EQ(h.methods[0].Output("ACKC5").ToInt32(), 0);
}

TEST_F(Alarms, ClearingByNameTrimsTheGivenText) {
    auto alarm = h.server->GEMAlarm();
    ASSERT_TRUE(alarm->SetAlarmByName("dooropen", false, "  closed again "));
    EXPECT_EQ(h.driver->LastSent()->Primary().Item(1), L(B({0}), U4(7), A("closed again")));
    EXPECT_EQ(alarm->ALID(), 7);
    EXPECT_EQ(h.GemVar("AlarmState"), "0");
}

TEST_F(Alarms, RefusalsNameTheAlarm) {
    auto alarm = h.server->GEMAlarm();
    EXPECT_FALSE(alarm->SetAlarmByALID(99, true));
    EXPECT_FALSE(alarm->SetAlarmByName("Nope", true));
    EXPECT_FALSE(alarm->SetAlarmByALID(8, true));
    EXPECT_EQ(alarm->ALTX(), "NULL");
    ASSERT_EQ(h.ErrorCodes(), (std::vector<int>{4001, 4002, 4003}));
    EXPECT_EQ(h.errors[0].ErrText, "Alarm ID 99 not exist in GEM Database.");
    EXPECT_EQ(h.errors[1].ErrText, "Alarm name Nope not exist in GEM Database.");
    EXPECT_EQ(h.errors[2].ErrText, "Alarm ID 8 is not enable.");
    EXPECT_TRUE(h.driver->sent.empty());
}

TEST_F(Alarms, TheLinkedEventFollowsTheAlarmReport) {
    h.SetGemVar("WBITS5", 0);
    ASSERT_TRUE(h.server->GEMAlarm()->SetAlarmByALID(9, true));
    EXPECT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S5F1", "S6F11"}));
    EXPECT_FALSE(h.driver->sent[0]->ReplyExpected());
    // Without a W-bit the acknowledge comes before the event report is sent.
    ASSERT_EQ(h.methods.size(), 1u);
    EXPECT_EQ(h.methods[0].Output("ACKC5").ToInt32(), 0);
    ASSERT_TRUE(h.server->GEMAlarm()->SetAlarmByALID(9, false));  // no clear event linked
    EXPECT_EQ(h.driver->SentNames().size(), 3u);
}

TEST_F(Alarms, ARefusedReportLeavesTheDatabaseButStillSendsTheEvent) {
    h.SetGemVar("CommState", 1);
    ASSERT_TRUE(h.server->GEMAlarm()->SetAlarmByALID(9, true));
    EXPECT_TRUE(h.Db().AlarmGetSet().empty());
    std::vector<int> codes = h.ErrorCodes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 6002), 2);  // S5F1 and the S6F11
    ASSERT_FALSE(h.methods.empty());
    EXPECT_EQ(h.methods[0].Output("ACKC5").ToInt32(), 6002);
}

}  // namespace
}  // namespace kest::test
