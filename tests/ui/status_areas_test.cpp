// The status display: the texts, and the areas rebuilt from the database and the control.
#include <gtest/gtest.h>

#include "gemdb/gemdb.h"
#include "gemdb/kest_rec_alarm.h"
#include "gemdb/kest_rec_event.h"
#include "ui/status_texts.h"
#include "window_fixture.h"

namespace kest::test {
namespace {

TEST(StatusTexts, StateNumbersAreWholeNumbersOnly) {
    EXPECT_EQ(StateNumber("2"), 2);
    EXPECT_EQ(StateNumber(" 5 "), 5);
    EXPECT_EQ(StateNumber("-1"), -1);
    EXPECT_EQ(StateNumber("2147483647"), 2147483647);
    for (const char* text : {"", "NULL", "1.5", "2e0", "abc", "2147483648", "99999999999999999999"})
        EXPECT_EQ(StateNumber(text), std::nullopt) << text;
}

TEST(StatusTexts, TheWindowsWords) {
    EXPECT_EQ(CommStateText(2), "Communicating");
    for (int state : {0, 1, 7})
        EXPECT_EQ(CommStateText(state), "Not Communicating");
    const char* control[] = {
        "", "Equipment Offline", "Attempt Online", "Host Offline", "Online Local", "Online Remote",
        ""};
    for (int state = 0; state <= 6; ++state)
        EXPECT_EQ(ControlStateText(state), control[state]) << state;
    EXPECT_EQ(PPChangeStatusText(1), "Created");
    EXPECT_EQ(PPChangeStatusText(2), "Changed");
    EXPECT_EQ(PPChangeStatusText(3), "Deleted");
    EXPECT_EQ(PPChangeStatusText(0), "Unknown");
    EXPECT_EQ(PPChangeStatusText(7), "Unknown");
    EXPECT_EQ(TransitionTypeText(0), "Lower To Upper");
    EXPECT_EQ(TransitionTypeText(1), "Upper To Lower");
}

TEST(StatusTexts, TracePeriodsShowAsSixDigitDsper) {
    EXPECT_EQ(DsperText(0), "000000");
    EXPECT_EQ(DsperText(90), "000130");
    EXPECT_EQ(DsperText(3661), "010101");
    EXPECT_EQ(DsperText(359999), "995959");
    EXPECT_EQ(DsperText(-4), "000000");
    EXPECT_EQ(JoinNumbers({3, 1, 2}), "3,1,2");
    EXPECT_EQ(JoinNumbers({}), "");
}

struct SpoolCase {
    const char* name;
    const char* variable;
    int value;
    std::string frmMainFields::*field;
    const char* text;
};

class SpoolDisplay : public WindowTest, public ::testing::WithParamInterface<SpoolCase> {};

TEST_P(SpoolDisplay, FollowsTheSpoolVariables) {
    StartTool();
    const SpoolCase& c = GetParam();
    h.SetGemVar(c.variable, c.value);
    EXPECT_EQ(Fields().*c.field, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    States, SpoolDisplay,
    ::testing::Values(
        SpoolCase{"Active", "SpoolState", 1, &frmMainFields::SpoolState, "Active"},
        SpoolCase{"InActive", "SpoolState", 2, &frmMainFields::SpoolState, "InActive"},
        SpoolCase{"Full", "SpoolLoadSubstate", 7, &frmMainFields::SpoolLoadSubstate, "Full"},
        SpoolCase{"NotFull", "SpoolLoadSubstate", 6, &frmMainFields::SpoolLoadSubstate, "Not Full"},
        SpoolCase{"Purge", "SpoolUnloadSubstate", 3, &frmMainFields::SpoolUnloadSubstate, "Purge"},
        SpoolCase{"Transmit", "SpoolUnloadSubstate", 4, &frmMainFields::SpoolUnloadSubstate,
                  "Transmit"},
        SpoolCase{"NoOutput", "SpoolUnloadSubstate", 5, &frmMainFields::SpoolUnloadSubstate,
                  "No Spool Output"}),
    [](const auto& info) { return std::string(info.param.name); });

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
    trace.Period = 90;
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
    EXPECT_EQ(Fields().Traces, (std::vector<TraceRow>{{12, "000130", 10, 2, 4, 2, "3,1,2"}}));
    ASSERT_EQ(Fields().Limits.size(), 3u);
    for (const LimitRow& row : Fields().Limits) {
        if (row.LimitID == 8) {
            EXPECT_EQ(row, (LimitRow{8, 20, "10", "90", "Lower To Upper"}));
        }
        if (row.LimitID == 7) {
            EXPECT_EQ(row, (LimitRow{7, 20, "40", "50", "Upper To Lower"}));
        }
    }
    // Grouped by variable.
    std::vector<std::int32_t> vids;
    for (const LimitRow& row : Fields().Limits)
        vids.push_back(row.VariableID);
    EXPECT_TRUE(vids == (std::vector<std::int32_t>{20, 20, 5}) ||
                vids == (std::vector<std::int32_t>{5, 20, 20}));
}

TEST_F(WindowTest, TheStatusAreaReadsTheStoredValuesWhenRefreshed) {
    StartTool();  // not communicating: spooling became active and took its own report
    ASSERT_EQ(h.core->SpoolList().size(), 1u);
    ASSERT_TRUE(h.server->ShowGEMTool(false));
    h.Sql("UPDATE secs_gemvar SET var_val = '4' WHERE var_name = 'ControlState'");
    h.Sql("UPDATE secs_gemvar SET var_val = 'NULL' WHERE var_name = 'PPExecName'");
    h.Sql("UPDATE secs_gemvar SET var_val = 'ETCH-3' WHERE var_name = 'EquipmentName'");
    EXPECT_TRUE(h.server->RefreshGEMTool());
    EXPECT_EQ(Fields().ControlState, "Online Local");
    EXPECT_EQ(Fields().PPExecName, "");
    EXPECT_EQ(Fields().EquipmentName, "ETCH-3");
    EXPECT_EQ(Fields().SpoolCountActual, "1");
    EXPECT_EQ(Fields().SpoolState, "Active");
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
