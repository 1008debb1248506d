// The window's load and unload: the model started, the port, the areas shown.
#include <gtest/gtest.h>

#include "gemdb/gemdb.h"
#include "window_fixture.h"

namespace kest::test {
namespace {

TEST_F(WindowTest, LoadStartsTheModelAndOpensThePortBeforeRaisingLoad) {
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
    EXPECT_EQ(Fields().CommState, "Not Communicating");
    EXPECT_EQ(Fields().ControlState, "Online Remote");
    EXPECT_EQ(Fields().Connection, "DISCONNECT");  // the link comes later, by the driver's event
    EXPECT_TRUE(Fields().OpenPortEnabled);
    EXPECT_FALSE(Fields().ClosePortEnabled);
    EXPECT_FALSE(window->AdminMode());
}

TEST_F(WindowTest, WithThePortClosedAtLoadTheConnectionFieldFollowsTheLink) {
    h.core->SetSetting("PortOpenAtStartUp", "FALSE");
    h.core->SetSetting("PortOpened", "TRUE");
    StartTool();
    EXPECT_EQ(h.driver->open_calls, 0);
    EXPECT_EQ(Fields().Connection, "CONNECT");
    EXPECT_FALSE(Fields().OpenPortEnabled);
    EXPECT_TRUE(Fields().ClosePortEnabled);
    h.driver->RaiseDisconnect();
    EXPECT_EQ(Fields().Connection, "DISCONNECT");
    EXPECT_TRUE(Fields().OpenPortEnabled);
    h.driver->RaiseConnect();
    EXPECT_EQ(Fields().Connection, "CONNECT");
    h.driver->RaiseDisconnect();
    EXPECT_TRUE(h.server->StopGEMTool());
    EXPECT_EQ(h.driver->close_calls, 0);  // unloading leaves a closed port alone
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
    const frmMainFields& f = Fields();
    EXPECT_EQ(f.ProcessState + "|" + f.PreviousProcessState + "|" + f.PPExecName + "|" +
                  f.PPChangeName + "|" + f.PPChangeStatus + "|" + f.EquipmentModel + "|" +
                  f.SoftwareRevision + "|" + f.SpoolUnloadSubstate,
              "RUN|IDLE|RECIPE-7|RECIPE-8|Deleted|KEST|0.1.0|No Spool Output");
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
    h.core->FireEvent(KestEvent("GEMControl", "RequestOffline"));
    EXPECT_EQ(h.GemVar("CommState") + h.GemVar("ControlState"), "15");
    kept->EnableCommunication();
    kept->EstablishTick();
    EXPECT_TRUE(h.driver->sent.empty());
}

TEST_F(WindowTest, ASecondStartReplacesTheWindowAndOnlyTheNewOneActs) {
    h.SetGemVar("EstablishCommunicationTimeout", 5);
    StartTool();
    auto first = window->shared_from_this();
    window->Show(false);
    StartTool();
    EXPECT_NE(window, first.get());
    EXPECT_FALSE(window->Visible());
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
