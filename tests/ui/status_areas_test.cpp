// The status areas rebuilt from the database and the control.
#include <gtest/gtest.h>

#include <algorithm>

#include "gemdb/gemdb.h"
#include "gemdb/kest_rec_alarm.h"
#include "gemdb/kest_rec_event.h"
#include "ui/status_texts.h"
#include "window_fixture.h"

namespace kest::test {
namespace {

TEST(StatusTexts, TracePeriodsShowAsSixDigitDsper) {
    EXPECT_EQ(DsperText(3661), "010101");
    EXPECT_EQ(DsperText(359999), "995959");
    EXPECT_EQ(DsperText(-4), "000000");
    EXPECT_EQ(JoinNumbers({}), "");
}

KestRecAlarm Alarm(std::int32_t id, const char* name, bool enabled, bool set) {
    KestRecAlarm alarm;
    alarm.SetID(id);
    alarm.SetName(name);
    alarm.SetEnable(enabled);
    alarm.SetAlarmSet(set);
    return alarm;
}

TEST_F(WindowTest, TheAlarmListsShowEnabledAndSetAlarmsInTableOrder) {
    StartTool();
    ASSERT_TRUE(h.Db().AlarmAddRecord(Alarm(9, "Door open", true, true)));
    ASSERT_TRUE(h.Db().AlarmAddRecord(Alarm(3, "Vacuum low", true, false)));
    ASSERT_TRUE(h.Db().AlarmAddRecord(Alarm(5, "Fan stopped", false, true)));
    window->LoadEnabledAlarm();
    window->LoadSetAlarm();
    EXPECT_EQ(Fields().EnabledAlarms, (std::vector<EnabledAlarmRow>{
                                          {3, "Vacuum low", "Alarm Clear"},
                                          {9, "Door open", "Alarm Set"},
                                      }));
    EXPECT_EQ(Fields().SetAlarms, (std::vector<SetAlarmRow>{{5, "Fan stopped"}, {9, "Door open"}}));
}

TEST_F(WindowTest, TheEventListShowsEnabledGemEventsThenTheEquipments) {
    StartTool();
    ASSERT_TRUE(h.Db().EventEnableAll(false, true));
    ASSERT_TRUE(h.Db().EventSetField(3, FLDID_EVENT::EVT_ENABLE, true, true));
    KestRecEvent lot;
    lot.SetID(1001);
    lot.SetName("LotStarted");
    lot.SetEnable(true);
    ASSERT_TRUE(h.Db().EventAddRecord(lot));
    KestRecEvent quiet;
    quiet.SetID(1002);
    quiet.SetName("Quiet");
    ASSERT_TRUE(h.Db().EventAddRecord(quiet));
    window->LoadEnabledEvent();
    EXPECT_EQ(Fields().EnabledEvents, (std::vector<EnabledEventRow>{
                                          {3, "GemControlStateREMOTE"},
                                          {1001, "LotStarted"},
                                      }));
}

TEST_F(WindowTest, TheTraceAndLimitListsShowTheRunningTracesAndEveryLimit) {
    StartTool();
    KestRecTrace trace;
    trace.TRID = 12;
    trace.Period = 3661;
    trace.TOTSMP = 10;
    trace.REPGSZ = 2;
    trace.SVIDs = {3, 1, 2};
    trace.SMPLN = 4;
    trace.TimerIndex = 2;
    h.core->TraceList().push_back(trace);
    ASSERT_TRUE(h.Db().LimitAddAttr({8, 20, "90", "10", 0}));
    ASSERT_TRUE(h.Db().LimitAddAttr({7, 20, "50", "40", 1}));
    ASSERT_TRUE(h.Db().LimitAddAttr({1, 5, "3", "1", 1}));
    window->LoadTraceList();
    window->LoadLimitList();
    EXPECT_EQ(Fields().Traces, (std::vector<TraceRow>{{12, "010101", 10, 2, 4, 2, "3,1,2"}}));
    std::vector<LimitRow> rows = Fields().Limits;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].VariableID, 20) << "grouped by variable";
    std::ranges::sort(rows, {}, &LimitRow::LimitID);
    EXPECT_EQ(rows, (std::vector<LimitRow>{{1, 5, "1", "3", "Upper To Lower"},
                                           {7, 20, "40", "50", "Upper To Lower"},
                                           {8, 20, "10", "90", "Lower To Upper"}}));
}

TEST_F(WindowTest, ARefreshRereadsTheStoredValuesOnlyWhenVisible) {
    h.SetGemVar("PPExecName", "R-9");
    StartTool();  // not communicating: spooling became active and took its own report
    ASSERT_EQ(h.core->SpoolList().size(), 1u);
    // Changed behind the window's back, without a notification.
    ASSERT_TRUE(h.Db().LimitAddAttr({4, 7, "90", "10", 1}));
    h.Sql("UPDATE secs_gemvar SET var_val = '4' WHERE var_name = 'ControlState'");
    h.Sql("UPDATE secs_gemvar SET var_val = 'NULL' WHERE var_name = 'PPExecName'");
    h.Sql("UPDATE secs_gemvar SET var_val = 'ETCH-3' WHERE var_name = 'EquipmentName'");
    EXPECT_TRUE(h.server->RefreshGEMTool());  // hidden: nothing refreshed
    EXPECT_EQ(Fields().PPExecName, "R-9");
    EXPECT_TRUE(Fields().Limits.empty());
    window->SetAdminMode(true);
    EXPECT_TRUE(h.server->ShowGEMTool(true));  // showing refreshes
    EXPECT_TRUE(window->Modal());
    EXPECT_FALSE(window->AdminMode());
    EXPECT_EQ(Fields().ControlState, "Online Local");
    EXPECT_EQ(Fields().PPExecName, "");
    EXPECT_EQ(Fields().EquipmentName, "ETCH-3");
    EXPECT_EQ(Fields().SpoolCountActual, "1");
    EXPECT_EQ(Fields().SpoolState, "Active");
    EXPECT_EQ(Fields().Limits.size(), 1u);
    EXPECT_TRUE(h.server->HideGEMTool());
    EXPECT_FALSE(window->Visible());
}

TEST_F(WindowTest, TimeOutsOfAnyServiceAreWrittenAsResultLines) {
    StartTool();
    KestEvent command("GEMCommand", "GEMTimeout");
    command.AddOutput("MethodName", "START");
    h.core->FireEvent(command);
    h.core->FireEvent(KestEvent("GEMMap", "GEMTimeout"));
    EXPECT_EQ(Fields().Results,
              (std::vector<std::string>{"START timeout occured.", "GEMMap timeout occured."}));
}

}  // namespace
}  // namespace kest::test
