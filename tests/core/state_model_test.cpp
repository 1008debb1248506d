// The GEM state model without a window: its start, and every row of the communication and
// control transition tables, read at the database (the state variables) and at the wire (the
// S1F13, S1F1 and S6F11 sent).
#include "core/state_model.h"

#include <gtest/gtest.h>

#include "services/gem_estab_comm.h"
#include "services/gem_heart_beat.h"
#include "ui/window_fixture.h"

namespace kest::test {
namespace {

constexpr int kOff = 1;  // CEIDs of the defaults
constexpr int kLocal = 2;
constexpr int kRemote = 3;
constexpr int kUntouched = 0;  // "PreviousControlState" before each row

class StateModel : public WindowTest {
  protected:
    void SetUp() override {
        h.SetGemVar("ConfigSpool", 0);  // only the control-state reports go out
        h.SetGemVar("EstablishCommunicationTimeout", 5);
        h.core->SetSetting("PortOpened", "TRUE");
    }

    // The state before a trigger, the establish timer started by an S1F13 time-out; the
    // variables are written behind the model's back, as the application may.
    void Be(int comm, int control, bool timer = false) {
        if (timer) {
            h.SetGemVar("CommState", 1);
            h.core->FireEvent(KestEvent("GEMEstabComm", "GEMTimeout"));
        }
        h.SetGemVar("CommState", comm);
        h.SetGemVar("ControlState", control);
        h.SetGemVar("PreviousControlState", kUntouched);
        ASSERT_EQ(TimerRunning(), timer);
        h.ClearRecords();
        h.driver->sent.clear();
    }

    // The row's choice, if any, in the variable the transition reads.
    void Choose(const char* variable) {
        if (choice != 0) h.SetGemVar(variable, choice);
    }
    int choice = 0;

    void SendS1F13() { ASSERT_TRUE(h.server->GEMEstabComm()->Connect()); }
    void SendS1F1() { ASSERT_TRUE(h.server->GEMHeartBeat()->AreYouThere()); }

  public:
    // The triggers, from the driver, the host, the clock, the operator and the control.
    using M = StateModel;
    static void Connect(M& t) { t.h.driver->RaiseConnect(); }
    static void Disconnect(M& t) { t.h.driver->RaiseDisconnect(); }
    static void LinkError(M& t) { t.h.driver->RaiseError(3005, "T6 expired"); }
    static void Expiry(M& t) { t.Seconds(); }
    static void Enable(M& t) { t.Model().EnableCommunication(); }
    static void Disable(M& t) { t.Model().DisableCommunication(); }
    static void HostS1F13(M& t) {  // as the host's S1F13 or S1F1 raises it
        t.h.core->FireEvent(KestEvent("GEMEstabComm", "CommEstablished"));
    }
    static void Accepted(M& t) { t.SendS1F13(), t.AnswerS1F13(0); }
    static void Refused(M& t) { t.SendS1F13(), t.AnswerS1F13(1); }
    static void S1F13TimedOut(M& t) { t.h.server->SetGEMTimeout(1), t.SendS1F13(), t.h.Tick(); }
    static void Answered(M& t) { t.Choose("OnlineSubstate"), t.SendS1F1(), t.AnswerS1F1(); }
    static void Failed(M& t) {  // the outcome as EDHeartBeat reports a failure
        t.Choose("OnlineFailed");
        t.SendS1F1();
        KestMethod failed("GEMHeartBeat", "AreYouThere", t.Sent("S1F1").back()->Tag().ToInt32());
        failed.AddOutput("Online", false);
        t.h.core->ReplyMethod(failed);
        EXPECT_EQ(t.h.methods.size(), 1u);
    }
    static void S1F1TimedOut(M& t) {
        t.Choose("OnlineFailed");
        t.h.server->SetGEMTimeout(1);
        t.SendS1F1();
        t.h.Tick();
    }
    static void Offline(M& t) { t.Choose("OfflineSubstate"), t.Model().SelectOffline(); }
    static void Online(M& t) { t.Choose("OnlineFailed"), t.Model().SelectOnline(); }
    static void Local(M& t) { t.Model().SelectLocal(); }
    static void Remote(M& t) { t.Model().SelectRemote(); }
    static void HostOnline(M& t) {  // as the S1F17 handler raises it after ONLACK 0
        t.Choose("OnlineSubstate");
        t.h.core->FireEvent(KestEvent("GEMControl", "RequestOnline"));
    }
    static void HostOffline(M& t) {  // as the S1F15 handler raises it
        t.h.core->FireEvent(KestEvent("GEMControl", "RequestOffline"));
    }
    static void AlarmLost(M& t) { t.Model().AlarmLost(); }
};

using M = StateModel;
using Trigger = void (*)(M&);

// A failing row prints its name.
template <typename Row>
requires requires(const Row& row) {
    row.name;
}
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

TEST(StateNumber, IsAWholeDecimalNumberOrNothing) {
    EXPECT_EQ(StateNumber(" 5 "), 5);
    EXPECT_EQ(StateNumber("-1"), -1);
    EXPECT_EQ(StateNumber("2147483647"), 2147483647);
    for (const char* text : {"", "NULL", "1.5", "2e0", "abc", "2147483648", "99999999999999999999"})
        EXPECT_EQ(StateNumber(text), std::nullopt) << text;
}

// --- Start ------------------------------------------------------------------------------------

struct StartRow {
    const char* name;
    int init_comm, init_control, offline_substate, online_substate;
    int comm, control;
};

// The model started as the window's load starts it.
class Attached : public StateModel {
  protected:
    void SetUp() override {
        StateModel::SetUp();
        Model().Attach();
    }
};

class Start : public StateModel, public ::testing::WithParamInterface<StartRow> {};

TEST_P(Start, TakesTheInitialStatesWithoutAnyReport) {
    const StartRow& c = GetParam();
    h.SetGemVar("InitCommState", c.init_comm);
    h.SetGemVar("InitControlState", c.init_control);
    h.SetGemVar("OfflineSubstate", c.offline_substate);
    h.SetGemVar("OnlineSubstate", c.online_substate);
    h.SetGemVar("PreviousControlState", kUntouched);
    h.ClearRecords();
    Model().Attach();
    EXPECT_EQ(h.GemVar("CommState"), std::to_string(c.comm));
    EXPECT_EQ(h.GemVar("ControlState"), std::to_string(c.control));
    EXPECT_EQ(h.GemVar("PreviousControlState"), "0");
    EXPECT_TRUE(h.driver->sent.empty());  // no S6F11, no S1F13
    EXPECT_TRUE(h.errors.empty());
    EXPECT_FALSE(TimerRunning());
}

INSTANTIATE_TEST_SUITE_P(Settings, Start,
                         ::testing::Values(StartRow{"EquipmentOffline", 1, 1, 1, 5, 1, 1},
                                           StartRow{"AttemptOnline", 1, 1, 2, 5, 1, 2},
                                           StartRow{"HostOffline", 1, 1, 3, 4, 1, 3},
                                           StartRow{"DisabledOnlineRemote", 0, 2, 3, 5, 0, 5},
                                           StartRow{"OnlineLocal", 1, 2, 1, 4, 1, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Communication ----------------------------------------------------------------------------

// One trigger from one communication state (the control online local, where no control row
// acts), with the timer stopped or running before. After: the state, whether the timer runs,
// the S1F13 sent (the trigger's own included), whether "CommState" was written, and whether
// an S1F13 goes out on the next tick.
struct CommRow {
    const char* name;
    Trigger in;
    int comm;
    bool timer;
    int comm_after;
    bool timer_after;
    std::size_t s1f13;
    bool written;
    bool retry;
};

class CommRows : public Attached, public ::testing::WithParamInterface<CommRow> {};

TEST_P(CommRows, MoveAsTheTableSays) {
    const CommRow& c = GetParam();
    Be(c.comm, 4, c.timer);
    c.in(*this);
    EXPECT_EQ(h.GemVar("CommState"), std::to_string(c.comm_after));
    EXPECT_EQ(Model().ShowsCommunicating(), c.comm_after == 2);
    EXPECT_EQ(TimerRunning(), c.timer_after);
    EXPECT_EQ(Count("S1F13"), c.s1f13);
    EXPECT_EQ(Raised("GEMCommunication/StateChanged"), c.written);
    EXPECT_EQ(h.GemVar("ControlState"), "4");
    h.driver->sent.clear();
    Seconds();
    EXPECT_EQ(Count("S1F13"), c.retry ? 1u : 0u) << "on the next tick";
}

constexpr bool T = true;
constexpr bool F = false;

INSTANTIATE_TEST_SUITE_P(
    Table, CommRows,
    ::testing::Values(
        // The link comes up: from enabled an attempt starts; from communicating S1F13 at once.
        CommRow{"ConnectWhileDisabled", &M::Connect, 0, F, 0, F, 0, F, F},
        CommRow{"ConnectWhileEnabled", &M::Connect, 1, F, 1, T, 0, F, T},
        CommRow{"ConnectWhileCommunicating", &M::Connect, 2, F, 1, T, 1, T, F},
        CommRow{"DisconnectWhileEnabled", &M::Disconnect, 1, T, 0, F, 0, T, F},
        CommRow{"DisconnectWhileDisabled", &M::Disconnect, 0, F, 0, F, 0, F, F},
        // The operator's switches.
        CommRow{"EnableWhileDisabled", &M::Enable, 0, F, 1, T, 1, T, F},
        CommRow{"EnableWhileEnabled", &M::Enable, 1, F, 1, T, 0, F, T},
        CommRow{"EnableWhileCommunicating", &M::Enable, 2, T, 2, F, 0, F, F},
        CommRow{"DisableWhileEnabled", &M::Disable, 1, T, 0, F, 0, T, F},
        CommRow{"DisableWhileDisabled", &M::Disable, 0, F, 0, F, 0, F, F},
        // The timer retries while enabled and stops once "CommState" is not 1.
        CommRow{"ExpiryWhileEnabled", &M::Expiry, 1, T, 1, T, 1, F, F},
        CommRow{"ExpiryWhileCommunicating", &M::Expiry, 2, T, 2, F, 0, F, F},
        CommRow{"ExpiryWhileDisabled", &M::Expiry, 0, T, 0, F, 0, F, F},
        // Established: by the host, or our S1F13 accepted.
        CommRow{"HostS1F13WhileEnabled", &M::HostS1F13, 1, T, 2, F, 0, T, F},
        CommRow{"HostS1F13WhileDisabled", &M::HostS1F13, 0, T, 0, F, 0, F, F},
        CommRow{"AcceptedWhileEnabled", &M::Accepted, 1, T, 2, F, 1, T, F},
        CommRow{"AcceptedWhileDisabled", &M::Accepted, 0, T, 0, F, 1, F, F},
        // The failures: a freshly started timer retries on the next tick.
        CommRow{"RefusedWhileEnabled", &M::Refused, 1, F, 1, T, 1, F, T},
        CommRow{"RefusedWhileCommunicating", &M::Refused, 2, F, 1, T, 1, T, T},
        CommRow{"RefusedWhileDisabled", &M::Refused, 0, T, 0, F, 1, F, F},
        CommRow{"S1F13TimedOutWhileEnabled", &M::S1F13TimedOut, 1, F, 1, T, 1, F, T},
        CommRow{"S1F13TimedOutWhileCommunicating", &M::S1F13TimedOut, 2, F, 2, T, 1, F, F},
        CommRow{"S1F13TimedOutWhileDisabled", &M::S1F13TimedOut, 0, T, 0, F, 1, F, F},
        CommRow{"S1F1FailedWhileCommunicating", &M::Failed, 2, F, 1, T, 0, T, T},
        CommRow{"S1F1FailedWhileEnabled", &M::Failed, 1, F, 1, T, 0, F, T},
        CommRow{"S1F1FailedWhileDisabled", &M::Failed, 0, T, 0, F, 0, F, F},
        CommRow{"S1F1TimedOutWhileCommunicating", &M::S1F1TimedOut, 2, F, 1, T, 0, T, T},
        CommRow{"S1F1TimedOutWhileEnabled", &M::S1F1TimedOut, 1, F, 1, T, 0, F, T},
        CommRow{"S1F1TimedOutWhileDisabled", &M::S1F1TimedOut, 0, T, 0, F, 0, F, F},
        // Driver errors 2012, 3005, 3013 and 3014 write 1 whatever the state.
        CommRow{"LinkErrorWhileCommunicating", &M::LinkError, 2, F, 1, F, 0, T, F},
        CommRow{"LinkErrorWhileDisabled", &M::LinkError, 0, F, 1, F, 0, T, F}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StateModel, RetriesS1F13EveryIntervalReadAtEachRetryUntilCommunicating) {
    h.SetGemVar("EstablishCommunicationTimeout", 2);
    Model().Attach();
    h.driver->RaiseConnect();
    Seconds();
    EXPECT_EQ(Count("S1F13"), 1u);  // the first: the next tick after the start
    h.SetGemVar("EstablishCommunicationTimeout", 4);
    Seconds();
    EXPECT_EQ(Count("S1F13"), 1u);
    Seconds();
    EXPECT_EQ(Count("S1F13"), 2u);  // the interval read at the first retry: 2 s
    Seconds(3);
    EXPECT_EQ(Count("S1F13"), 2u);
    Seconds();
    EXPECT_EQ(Count("S1F13"), 3u);  // then 4 s
    AnswerS1F13(0);
    EXPECT_EQ(h.GemVar("CommState"), "2");
    Seconds(10);
    EXPECT_EQ(Count("S1F13"), 3u);
}

TEST_F(Attached, ACommStateTheDatabaseRefusesLeavesTheDisplayAsItWas) {
    h.driver->RaiseConnect();
    Seconds();
    // "CommState" may not exceed 1 any more: establishing cannot be recorded.
    h.Sql("UPDATE secs_gemvar SET var_min = '0', var_max = '1' WHERE var_name = 'CommState'");
    h.ClearRecords();
    AnswerS1F13(0);
    EXPECT_EQ(h.GemVar("CommState"), "1");
    EXPECT_FALSE(Model().ShowsCommunicating());
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{5011}));
}

// --- Control ----------------------------------------------------------------------------------

// One trigger from one control state with the communication state `comm` and `choice` in the
// variable the row reads ("OfflineSubstate", "OnlineSubstate" or "OnlineFailed"). After: the
// state, "PreviousControlState", the CEIDs reported and the S1F1 sent (the trigger's own
// included).
struct ControlRow {
    const char* name;
    Trigger in;
    int from, comm, choice;
    int to, previous;
    std::vector<std::int32_t> ceids;
    std::size_t s1f1;
};

class ControlRows : public Attached, public ::testing::WithParamInterface<ControlRow> {};

TEST_P(ControlRows, MoveAsTheTableSays) {
    const ControlRow& c = GetParam();
    choice = c.choice;
    Be(c.comm, c.from);
    c.in(*this);
    EXPECT_EQ(h.GemVar("ControlState"), std::to_string(c.to));
    EXPECT_EQ(h.GemVar("PreviousControlState"), std::to_string(c.previous));
    EXPECT_EQ(ReportedCEIDs(), c.ceids);
    EXPECT_EQ(Count("S1F1"), c.s1f1);
    for (const auto& report : Sent("S6F11"))
        EXPECT_TRUE(report->ReplyExpected());
}

using R = ControlRow;
constexpr int kU = kUntouched;

INSTANTIATE_TEST_SUITE_P(
    Table, ControlRows,
    ::testing::Values(
        // Operator offline: from online to "OfflineSubstate"'s choice; offline states stay.
        R{"OfflineLocalToEquipment", &M::Offline, 4, 2, 1, 1, 4, {kOff}, 0},
        R{"OfflineRemoteToHost", &M::Offline, 5, 2, 3, 3, 5, {kOff}, 0},
        R{"OfflineRemoteSubstate2", &M::Offline, 5, 2, 2, 1, 5, {kOff}, 0},
        R{"OfflineFromEquipment", &M::Offline, 1, 2, 3, 1, kU, {}, 0},
        R{"OfflineFromAttempt", &M::Offline, 2, 2, 3, 2, kU, {}, 0},
        R{"OfflineFromHost", &M::Offline, 3, 2, 1, 3, kU, {}, 0},
        // Operator online: attempt online, S1F1 while communicating; previous unchanged ...
        R{"OnlineFromEquipment", &M::Online, 1, 2, 3, 2, kU, {}, 1},
        R{"OnlineFromAttempt", &M::Online, 2, 2, 3, 2, kU, {}, 1},
        R{"OnlineFromHost", &M::Online, 3, 2, 3, 2, kU, {}, 1},
        // ... and without communication straight on to "OnlineFailed"'s choice, no S1F1.
        R{"OnlineNotCommToEquipment", &M::Online, 3, 1, 1, 1, 2, {}, 0},
        R{"OnlineNotCommToHost", &M::Online, 1, 1, 3, 3, 2, {}, 0},
        R{"OnlineDisabledToHost", &M::Online, 1, 0, 3, 3, 2, {}, 0},
        R{"OnlineWhileLocal", &M::Online, 4, 2, 3, 4, kU, {}, 0},
        R{"OnlineWhileRemote", &M::Online, 5, 2, 3, 5, kU, {}, 0},
        // The are-you-there outcome acts in attempt online only.
        R{"AnsweredToRemote", &M::Answered, 2, 2, 5, 5, 2, {kRemote}, 1},
        R{"AnsweredToLocal", &M::Answered, 2, 2, 4, 4, 2, {kLocal}, 1},
        R{"AnsweredWhileRemote", &M::Answered, 5, 2, 4, 5, kU, {}, 1},
        R{"FailedToEquipment", &M::Failed, 2, 2, 1, 1, 2, {}, 1},
        R{"FailedToHost", &M::Failed, 2, 2, 3, 3, 2, {}, 1},
        R{"FailedWhileRemote", &M::Failed, 5, 2, 1, 5, kU, {}, 1},
        R{"TimedOutToEquipment", &M::S1F1TimedOut, 2, 2, 1, 1, 2, {}, 1},
        R{"TimedOutToHost", &M::S1F1TimedOut, 2, 2, 3, 3, 2, {}, 1},
        // Local and remote switch between the two online states only.
        R{"RemoteFromLocal", &M::Remote, 4, 2, 0, 5, 4, {kRemote}, 0},
        R{"RemoteFromRemote", &M::Remote, 5, 2, 0, 5, kU, {}, 0},
        R{"RemoteFromHost", &M::Remote, 3, 2, 0, 3, kU, {}, 0},
        R{"LocalFromRemote", &M::Local, 5, 2, 0, 4, 5, {kLocal}, 0},
        R{"LocalFromLocal", &M::Local, 4, 2, 0, 4, kU, {}, 0},
        R{"LocalFromEquipment", &M::Local, 1, 2, 0, 1, kU, {}, 0},
        // Host S1F17 accepted: from host offline to "OnlineSubstate"'s choice.
        R{"HostOnlineToRemote", &M::HostOnline, 3, 2, 5, 5, 3, {kRemote}, 0},
        R{"HostOnlineToLocal", &M::HostOnline, 3, 2, 4, 4, 3, {kLocal}, 0},
        R{"HostOnlineFromEquipment", &M::HostOnline, 1, 2, 5, 1, kU, {}, 0},
        R{"HostOnlineFromAttempt", &M::HostOnline, 2, 2, 5, 2, kU, {}, 0},
        R{"HostOnlineFromLocal", &M::HostOnline, 4, 2, 5, 4, kU, {}, 0},
        // Host S1F15: every state but host offline goes to host offline.
        R{"HostOfflineFromEquipment", &M::HostOffline, 1, 2, 0, 3, 1, {kOff}, 0},
        R{"HostOfflineFromAttempt", &M::HostOffline, 2, 2, 0, 3, 2, {kOff}, 0},
        R{"HostOfflineFromLocal", &M::HostOffline, 4, 2, 0, 3, 4, {kOff}, 0},
        R{"HostOfflineFromRemote", &M::HostOffline, 5, 2, 0, 3, 5, {kOff}, 0},
        R{"HostOfflineFromHost", &M::HostOffline, 3, 2, 0, 3, kU, {}, 0},
        // An S5F1 that did not reach the host: host offline, the previous state untouched.
        R{"AlarmLostWhileRemote", &M::AlarmLost, 5, 2, 0, 3, kU, {kOff}, 0},
        R{"AlarmLostWhileEquipment", &M::AlarmLost, 1, 2, 0, 3, kU, {kOff}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Attached, AnAreYouThereThatCannotBeSentFailsTheAttemptAtOnce) {
    h.SetGemVar("OnlineFailed", 1);
    Be(2, 3);
    h.core->SetSetting("PortOpened", "FALSE");
    Model().SelectOnline();
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{4019}));
    EXPECT_EQ(h.GemVar("ControlState"), "1");
    EXPECT_EQ(h.GemVar("PreviousControlState"), "2");
}

TEST_F(Attached, ARefusedControlStateWriteChangesNothingElse) {
    Be(2, 4);
    h.Sql("UPDATE secs_gemvar SET var_min = '1', var_max = '4' WHERE var_name = 'ControlState'");
    Model().SelectRemote();
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{5011}));
    EXPECT_EQ(h.GemVar("ControlState"), "4");
    EXPECT_EQ(h.GemVar("PreviousControlState"), "0");
    EXPECT_TRUE(ReportedCEIDs().empty());
}

}  // namespace
}  // namespace kest::test
