#include <gtest/gtest.h>

#include "gemdb/gemdb.h"
#include "window_fixture.h"

namespace kest::test {
namespace {

struct StartCase {
    const char* name;
    int init_comm;
    int init_control;
    int offline_substate;
    int online_substate;
    const char* comm_state;
    const char* control_state;
    const char* comm_text;
    const char* control_text;
};

class StartUp : public WindowTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartUp, InitialStatesComeFromTheSettingsWithoutAnyEventReport) {
    const StartCase& c = GetParam();
    h.SetGemVar("InitCommState", c.init_comm);
    h.SetGemVar("InitControlState", c.init_control);
    h.SetGemVar("OfflineSubstate", c.offline_substate);
    h.SetGemVar("OnlineSubstate", c.online_substate);
    h.core->SetSetting("PortOpenAtStartUp", "FALSE");
    h.SetGemVar("ConfigSpool", 0);  // no spooling report either: only state reports matter
    h.ClearRecords();
    ASSERT_TRUE(h.server->StartGEMTool());
    window = h.core->FrmGEMTool();
    EXPECT_EQ(h.GemVar("CommState"), c.comm_state);
    EXPECT_EQ(h.GemVar("ControlState"), c.control_state);
    EXPECT_EQ(Fields().CommState, c.comm_text);
    EXPECT_EQ(Fields().ControlState, c.control_text);
    EXPECT_TRUE(h.driver->sent.empty());  // no S6F11, no S1F13
    EXPECT_TRUE(h.errors.empty());
    EXPECT_FALSE(window->EstablishTimerRunning());
    ASSERT_FALSE(h.events.empty());
    EXPECT_EQ(h.EventNames().back(), "KestTool/Load");
}

INSTANTIATE_TEST_SUITE_P(Settings, StartUp,
                         ::testing::Values(StartCase{"EquipmentOffline", 1, 1, 1, 5, "1", "1",
                                                     "Not Communicating", "Equipment Offline"},
                                           StartCase{"AttemptOnline", 1, 1, 2, 5, "1", "2",
                                                     "Not Communicating", "Attempt Online"},
                                           StartCase{"HostOffline", 1, 1, 3, 4, "1", "3",
                                                     "Not Communicating", "Host Offline"},
                                           StartCase{"DisabledOnlineRemote", 0, 2, 3, 5, "0", "5",
                                                     "Not Communicating", "Online Remote"},
                                           StartCase{"OnlineLocal", 1, 2, 1, 4, "1", "4",
                                                     "Not Communicating", "Online Local"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, LoadOpensThePortWhenConfiguredBeforeRaisingLoad) {
    int opened_at_load = -1;
    std::string states_at_load;
    auto listening = h.server->Subscribe({.EventNotification = [&](const KestEvent& e) {
        if (e.ServiceName != "KestTool" || e.EventName != "Load") return;
        opened_at_load = h.driver->open_calls;
        states_at_load = h.GemVar("CommState") + h.GemVar("ControlState");
    }});
    StartTool();
    EXPECT_EQ(opened_at_load, 1);
    EXPECT_EQ(states_at_load, "15");
    EXPECT_EQ(Fields().Connection, "DISCONNECT");  // the link comes later, by the driver's event
    EXPECT_TRUE(Fields().OpenPortEnabled);
    EXPECT_FALSE(Fields().ClosePortEnabled);
    EXPECT_FALSE(window->AdminMode());
}

TEST_F(WindowTest, LoadLeavesThePortClosedUnlessConfigured) {
    h.core->SetSetting("PortOpenAtStartUp", "FALSE");
    StartTool();
    EXPECT_EQ(h.driver->open_calls, 0);
}

TEST_F(WindowTest, TheConnectionFieldFollowsTheLink) {
    h.core->SetSetting("PortOpenAtStartUp", "FALSE");
    h.core->SetSetting("PortOpened", "TRUE");
    StartTool();
    EXPECT_EQ(Fields().Connection, "CONNECT");
    EXPECT_FALSE(Fields().OpenPortEnabled);
    EXPECT_TRUE(Fields().ClosePortEnabled);
    h.driver->RaiseDisconnect();
    EXPECT_EQ(Fields().Connection, "DISCONNECT");
    EXPECT_TRUE(Fields().OpenPortEnabled);
    h.driver->RaiseConnect();
    EXPECT_EQ(Fields().Connection, "CONNECT");
}

TEST_F(WindowTest, LoadShowsTheStoredStatusAndLists) {
    h.SetGemVar("ProcessState", "RUN");
    h.SetGemVar("PreviousProcessState", "IDLE");
    h.SetGemVar("PPExecName", "RECIPE-7");
    h.SetGemVar("PPChangeName", "RECIPE-8");
    h.SetGemVar("PPChangeStatus", 3);
    ASSERT_TRUE(h.Db().LimitAddAttr({4, 7, "90", "10", 1}));
    h.SetGemVar("ConfigSpool", 0);  // the spool stays as creation left it
    StartTool();
    EXPECT_EQ(Fields().ProcessState, "RUN");
    EXPECT_EQ(Fields().PreviousProcessState, "IDLE");
    EXPECT_EQ(Fields().PPExecName, "RECIPE-7");
    EXPECT_EQ(Fields().PPChangeName, "RECIPE-8");
    EXPECT_EQ(Fields().PPChangeStatus, "Deleted");
    EXPECT_EQ(Fields().EquipmentModel, "KEST");
    EXPECT_EQ(Fields().SoftwareRevision, "0.1.0");
    EXPECT_EQ(Fields().SpoolState, "InActive");  // set at the control's creation
    EXPECT_EQ(Fields().SpoolLoadSubstate, "Not Full");
    EXPECT_EQ(Fields().SpoolUnloadSubstate, "No Spool Output");
    EXPECT_FALSE(Fields().EnabledEvents.empty());  // every event is enabled at creation
    ASSERT_EQ(Fields().Limits.size(), 1u);
    EXPECT_EQ(Fields().Limits[0].LimitID, 4);
}

TEST_F(WindowTest, UnloadStopsTheTimerClosesTheOpenPortAndStopsListening) {
    StartTool();
    auto kept = window->shared_from_this();
    h.driver->RaiseConnect();  // "PortOpened" TRUE; the establish timer runs
    ASSERT_TRUE(window->EstablishTimerRunning());
    h.ClearRecords();
    EXPECT_TRUE(h.server->StopGEMTool());
    EXPECT_EQ(h.core->FrmGEMTool(), nullptr);
    EXPECT_FALSE(kept->EstablishTimerRunning());
    EXPECT_EQ(h.driver->close_calls, 1);
    EXPECT_EQ(h.EventNames(), (std::vector<std::string>{"KestTool/Unload"}));
    EXPECT_EQ(kept->GetParent(), nullptr);
    // Without a window nothing carries out the transitions any more.
    h.driver->RaiseDisconnect();
    EXPECT_EQ(h.GemVar("CommState"), "1");
    kept->EnableCommunication();
    kept->EstablishTick();
    EXPECT_TRUE(h.driver->sent.empty());
}

TEST_F(WindowTest, UnloadLeavesAClosedPortAlone) {
    StartTool();
    EXPECT_TRUE(h.server->StopGEMTool());
    EXPECT_EQ(h.driver->close_calls, 0);
}

TEST_F(WindowTest, ASecondStartReplacesTheWindowAndOnlyTheNewOneActs) {
    h.SetGemVar("EstablishCommunicationTimeout", 5);
    StartTool();
    auto first = window->shared_from_this();
    StartTool();
    EXPECT_NE(window, first.get());
    EXPECT_EQ(first->GetParent(), nullptr);
    h.driver->RaiseConnect();
    Seconds();
    EXPECT_EQ(Count("S1F13"), 1u);  // one window answers the link, not two
}

TEST_F(WindowTest, TheOperatorMayCloseTheWindowOnlyAsAdministrator) {
    StartTool();
    EXPECT_FALSE(window->Close());
    EXPECT_EQ(h.boxes->texts,
              (std::vector<std::string>{"You only allow to exit in Administrator Mode!"}));
    EXPECT_EQ(h.core->FrmGEMTool(), window);
    window->SetAdminMode(true);
    EXPECT_TRUE(window->Close());
    EXPECT_EQ(h.core->FrmGEMTool(), nullptr);
    EXPECT_EQ(h.EventNames(), (std::vector<std::string>{"KestTool/Unload"}));
}

TEST_F(WindowTest, WithoutADatabaseTheLoadFailsIntoTheErrorTrap) {
    ControlHarness bare({.with_database = false});
    bare.ClearRecords();
    ASSERT_TRUE(bare.server->StartGEMTool());
    ASSERT_FALSE(bare.errors.empty());
    EXPECT_EQ(bare.errors[0].ErrSource, "frmMain:Form_Load");
    EXPECT_EQ(bare.errors[0].ErrCode, 91);
    EXPECT_EQ(bare.driver->open_calls, 0);
}

}  // namespace
}  // namespace kest::test
