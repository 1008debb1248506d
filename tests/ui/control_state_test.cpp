// Every row of the control state table: the operator's switches, the are-you-there outcome,
// the host's requests and a lost alarm report, with "PreviousControlState", the field and the
// collection events that go out as S6F11.
#include <gtest/gtest.h>

#include "services/gem_heart_beat.h"
#include "ui/status_texts.h"
#include "window_fixture.h"

namespace kest::test {
namespace {

constexpr int kOffline = 1;  // CEIDs of the defaults
constexpr int kLocal = 2;
constexpr int kRemote = 3;
constexpr const char* kUntouched = "0";  // "PreviousControlState" before each case

class Control : public WindowTest {
  protected:
    void SetUp() override {
        h.SetGemVar("ConfigSpool", 0);  // only the control-state reports go out
        StartTool();
        Communicate();
    }
    // The state before a trigger: `from`, with the previous state marked untouched.
    void Be(int from, int comm = 2) {
        h.SetGemVar("CommState", comm);
        h.SetGemVar("ControlState", from);
        h.SetGemVar("PreviousControlState", kUntouched);
        h.ClearRecords();
        h.driver->sent.clear();
    }
    void Expect(int to, const char* previous, std::vector<std::int32_t> ceids) {
        EXPECT_EQ(h.GemVar("ControlState"), std::to_string(to));
        EXPECT_EQ(h.GemVar("PreviousControlState"), previous);
        EXPECT_EQ(Fields().ControlState, ControlStateText(to));
        EXPECT_EQ(ReportedCEIDs(), ceids);
    }
};

enum class Switch { Offline, Online, Local, Remote, HostOnline, HostOffline };

struct ControlCase {
    const char* name;
    Switch trigger;
    int from;
    int comm;
    int substate;  // "OfflineSubstate", "OnlineSubstate" or "OnlineFailed", as the row reads
    int to;
    const char* previous;
    std::vector<std::int32_t> ceids;
    std::size_t s1f1;
};

class ControlRows : public Control, public ::testing::WithParamInterface<ControlCase> {
  protected:
    void Run() {
        const ControlCase& c = GetParam();
        h.SetGemVar("OfflineSubstate", c.trigger == Switch::Offline ? c.substate : 1);
        h.SetGemVar("OnlineSubstate", c.trigger == Switch::HostOnline ? c.substate : 5);
        h.SetGemVar("OnlineFailed", c.trigger == Switch::Online ? c.substate : 3);
        Be(c.from, c.comm);
        switch (c.trigger) {
            case Switch::Offline:
                window->GoOffline();
                break;
            case Switch::Online:
                window->GoOnline();
                break;
            case Switch::Local:
                window->GoLocal();
                break;
            case Switch::Remote:
                window->GoRemote();
                break;
            case Switch::HostOnline:  // as ReplyS1F17 raises it after ONLACK 0
                h.core->FireEvent(KestEvent("GEMControl", "RequestOnline"));
                break;
            case Switch::HostOffline:  // as ReplyS1F15 raises it
                h.core->FireEvent(KestEvent("GEMControl", "RequestOffline"));
                break;
        }
    }
};

TEST_P(ControlRows, MoveAsTheTableSays) {
    Run();
    const ControlCase& c = GetParam();
    Expect(c.to, c.previous, c.ceids);
    EXPECT_EQ(Count("S1F1"), c.s1f1);
    EXPECT_TRUE(h.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ControlRows,
    ::testing::Values(
        // Operator offline: from online to "OfflineSubstate"'s choice; offline states stay.
        ControlCase{"OfflineLocalToEquipment", Switch::Offline, 4, 2, 1, 1, "4", {kOffline}, 0},
        ControlCase{"OfflineRemoteToHost", Switch::Offline, 5, 2, 3, 3, "5", {kOffline}, 0},
        ControlCase{"OfflineRemoteSubstate2", Switch::Offline, 5, 2, 2, 1, "5", {kOffline}, 0},
        ControlCase{"OfflineFromEquipment", Switch::Offline, 1, 2, 3, 1, kUntouched, {}, 0},
        ControlCase{"OfflineFromAttempt", Switch::Offline, 2, 2, 3, 2, kUntouched, {}, 0},
        ControlCase{"OfflineFromHost", Switch::Offline, 3, 2, 1, 3, kUntouched, {}, 0},
        // Operator online: attempt online, S1F1 while communicating; previous unchanged.
        ControlCase{"OnlineFromEquipment", Switch::Online, 1, 2, 3, 2, kUntouched, {}, 1},
        ControlCase{"OnlineFromAttempt", Switch::Online, 2, 2, 3, 2, kUntouched, {}, 1},
        ControlCase{"OnlineFromHost", Switch::Online, 3, 2, 3, 2, kUntouched, {}, 1},
        // ... and without communication straight on to "OnlineFailed"'s choice, no S1F1.
        ControlCase{"OnlineNotCommToEquipment", Switch::Online, 3, 1, 1, 1, "2", {}, 0},
        ControlCase{"OnlineNotCommToHost", Switch::Online, 1, 1, 3, 3, "2", {}, 0},
        ControlCase{"OnlineDisabledToHost", Switch::Online, 1, 0, 3, 3, "2", {}, 0},
        ControlCase{"OnlineWhileLocal", Switch::Online, 4, 2, 3, 4, kUntouched, {}, 0},
        ControlCase{"OnlineWhileRemote", Switch::Online, 5, 2, 3, 5, kUntouched, {}, 0},
        // Local and remote switch between the two online states only.
        ControlCase{"RemoteFromLocal", Switch::Remote, 4, 2, 0, 5, "4", {kRemote}, 0},
        ControlCase{"RemoteFromRemote", Switch::Remote, 5, 2, 0, 5, kUntouched, {}, 0},
        ControlCase{"RemoteFromHost", Switch::Remote, 3, 2, 0, 3, kUntouched, {}, 0},
        ControlCase{"LocalFromRemote", Switch::Local, 5, 2, 0, 4, "5", {kLocal}, 0},
        ControlCase{"LocalFromLocal", Switch::Local, 4, 2, 0, 4, kUntouched, {}, 0},
        ControlCase{"LocalFromEquipment", Switch::Local, 1, 2, 0, 1, kUntouched, {}, 0},
        // Host S1F17 accepted: from host offline to "OnlineSubstate"'s choice.
        ControlCase{"HostOnlineToRemote", Switch::HostOnline, 3, 2, 5, 5, "3", {kRemote}, 0},
        ControlCase{"HostOnlineToLocal", Switch::HostOnline, 3, 2, 4, 4, "3", {kLocal}, 0},
        ControlCase{"HostOnlineFromEquipment", Switch::HostOnline, 1, 2, 5, 1, kUntouched, {}, 0},
        ControlCase{"HostOnlineFromAttempt", Switch::HostOnline, 2, 2, 5, 2, kUntouched, {}, 0},
        ControlCase{"HostOnlineFromLocal", Switch::HostOnline, 4, 2, 5, 4, kUntouched, {}, 0},
        // Host S1F15: every state but host offline goes to host offline.
        ControlCase{
            "HostOfflineFromEquipment", Switch::HostOffline, 1, 2, 0, 3, "1", {kOffline}, 0},
        ControlCase{"HostOfflineFromAttempt", Switch::HostOffline, 2, 2, 0, 3, "2", {kOffline}, 0},
        ControlCase{"HostOfflineFromLocal", Switch::HostOffline, 4, 2, 0, 3, "4", {kOffline}, 0},
        ControlCase{"HostOfflineFromRemote", Switch::HostOffline, 5, 2, 0, 3, "5", {kOffline}, 0},
        ControlCase{"HostOfflineFromHost", Switch::HostOffline, 3, 2, 0, 3, kUntouched, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

class AreYouThereOutcome : public Control, public ::testing::WithParamInterface<int> {};

TEST_P(AreYouThereOutcome, AnsweredGoesOnlineAsOnlineSubstateSays) {
    const int online_substate = GetParam();
    h.SetGemVar("OnlineSubstate", online_substate);
    Be(1);
    window->GoOnline();
    ASSERT_EQ(Count("S1F1"), 1u);
    EXPECT_EQ(Fields().ControlState, "Attempt Online");
    AnswerS1F1();
    Expect(online_substate, "2", {online_substate == 5 ? kRemote : kLocal});
    EXPECT_EQ(Fields().ControlState, online_substate == 5 ? "Online Remote" : "Online Local");
}

TEST_P(AreYouThereOutcome, FailedLandsOnOnlineFailedsChoice) {
    const int online_failed = GetParam() == 5 ? 1 : 3;
    h.SetGemVar("OnlineFailed", online_failed);
    Be(3);
    window->GoOnline();
    ASSERT_EQ(Count("S1F1"), 1u);
    h.driver->RaiseError(3014, "T6 expired");  // the S1F1 reports "Online" false
    Expect(online_failed, "2", {});
    EXPECT_EQ(h.GemVar("CommState"), "1");
    EXPECT_TRUE(window->EstablishTimerRunning());
}

TEST_P(AreYouThereOutcome, TimedOutLandsOnOnlineFailedsChoice) {
    const int online_failed = GetParam() == 5 ? 3 : 1;
    h.SetGemVar("OnlineFailed", online_failed);
    h.server->SetGEMTimeout(2);
    Be(1);
    window->GoOnline();
    Seconds(2);
    Expect(online_failed, "2", {});
    // While communicating an are-you-there time-out also drops the communication state.
    EXPECT_EQ(h.GemVar("CommState"), "1");
}

INSTANTIATE_TEST_SUITE_P(Substates, AreYouThereOutcome, ::testing::Values(4, 5));

TEST_F(Control, AnAreYouThereAnsweredWhileOnlineChangesNothing) {
    Be(5);
    ASSERT_TRUE(h.server->GEMHeartBeat()->AreYouThere());  // as the heartbeat sends it
    AnswerS1F1();
    Expect(5, kUntouched, {});
}

TEST_F(Control, AnAreYouThereThatCannotBeSentFailsTheAttemptAtOnce) {
    h.SetGemVar("OnlineFailed", 1);
    Be(3);
    h.core->SetSetting("PortOpened", "FALSE");
    window->GoOnline();
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{4019}));
    Expect(1, "2", {});
}

TEST_F(Control, ALostAlarmReportTakesTheControlOfflineAndTheFieldFollows) {
    Be(5);
    auto alarm = h.driver->CreateTransaction("S5F1");
    alarm->Primary().RootItem().Clear();
    alarm->Primary().RootItem().AddItem(build::L(build::B({128}), build::U4(7), build::A("Door")));
    ASSERT_TRUE(h.core->SendSECSTrans(alarm, "NULL"));
    ASSERT_FALSE(window->Visible());
    h.driver->RaiseError(2015, "send failed: S5F1");
    Expect(3, kUntouched, {kOffline});  // the control moved it; previous stays
    EXPECT_EQ(Fields().ControlState, "Host Offline");
}

TEST_F(Control, ARefusedStateWriteChangesNothingElse) {
    Be(4);
    h.Sql("UPDATE secs_gemvar SET var_min = '1', var_max = '4' WHERE var_name = 'ControlState'");
    window->GoRemote();
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{5011}));
    Expect(4, kUntouched, {});
    EXPECT_EQ(Fields().ControlState, "Online Local");
}

TEST_F(Control, ReportsAreSentEvenWhenTheNewStateIsOffline) {
    Be(5);
    window->GoOffline();
    ASSERT_EQ(Count("S6F11"), 1u);
    EXPECT_TRUE(Sent("S6F11")[0]->ReplyExpected());
    EXPECT_TRUE(h.core->SpoolList().empty());
}

}  // namespace
}  // namespace kest::test
