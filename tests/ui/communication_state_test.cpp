// Every row of the communication state table, driven through the notifications that trigger
// it: the driver's events, the host's replies, the time-out pass and the operator's switches.
#include <gtest/gtest.h>

#include "services/gem_estab_comm.h"
#include "services/gem_heart_beat.h"
#include "window_fixture.h"

namespace kest::test {
namespace {

class Communication : public WindowTest {
  protected:
    void SetUp() override {
        h.SetGemVar("EstablishCommunicationTimeout", 5);
        StartTool();
    }
    std::string CommState() const { return h.GemVar("CommState"); }
};

TEST_F(Communication, LinkUpWhileEnabledStartsTheTimerAndTheFirstS1F13ComesOnTheNextTick) {
    h.driver->RaiseConnect();
    EXPECT_EQ(CommState(), "1");
    EXPECT_EQ(Fields().CommState, "Not Communicating");
    EXPECT_TRUE(window->EstablishTimerRunning());
    EXPECT_EQ(Count("S1F13"), 0u);
    Seconds();
    ASSERT_EQ(Count("S1F13"), 1u);
    EXPECT_EQ(Sent("S1F13")[0]->Primary().RootItem(),
              build::L(build::L(build::A("KEST"), build::A("0.1.0"))));
}

TEST_F(Communication, LinkUpWhileCommunicatingFallsBackAndSendsS1F13AtOnce) {
    Communicate();
    EXPECT_EQ(Fields().CommState, "Communicating");
    h.driver->RaiseConnect();
    EXPECT_EQ(CommState(), "1");
    EXPECT_EQ(Fields().CommState, "Not Communicating");
    EXPECT_EQ(Count("S1F13"), 2u);
    EXPECT_TRUE(window->EstablishTimerRunning());
    Seconds(4);  // the attempt just made counts: no retry before the interval
    EXPECT_EQ(Count("S1F13"), 2u);
    Seconds();
    EXPECT_EQ(Count("S1F13"), 3u);
}

TEST_F(Communication, PortLostAndRegainedStaysDisabledUntilTheOperatorEnables) {
    Communicate();
    h.driver->RaiseDisconnect();
    EXPECT_EQ(CommState(), "0");
    EXPECT_EQ(Fields().CommState, "Not Communicating");
    EXPECT_FALSE(window->EstablishTimerRunning());
    h.driver->RaiseConnect();
    Seconds(10);
    EXPECT_EQ(CommState(), "0");
    EXPECT_EQ(Count("S1F13"), 1u);  // only the first, before the loss
    EXPECT_FALSE(window->EstablishTimerRunning());

    window->EnableCommunication();
    EXPECT_EQ(CommState(), "1");
    EXPECT_EQ(Count("S1F13"), 2u);  // at once
    EXPECT_TRUE(window->EstablishTimerRunning());
    AnswerS1F13(0);
    EXPECT_EQ(CommState(), "2");
    EXPECT_EQ(Fields().CommState, "Communicating");
}

TEST_F(Communication, EnablingWhileEnabledOnlyStartsTheTimer) {
    h.core->SetSetting("PortOpened", "TRUE");
    window->EnableCommunication();
    EXPECT_EQ(CommState(), "1");
    EXPECT_EQ(Count("S1F13"), 0u);
    EXPECT_TRUE(window->EstablishTimerRunning());
    Seconds();
    EXPECT_EQ(Count("S1F13"), 1u);
}

TEST_F(Communication, EnablingWhileShowingCommunicatingKeepsTwoAndStopsTheTimer) {
    Communicate();
    h.server->SetGEMTimeout(1);
    ASSERT_TRUE(h.server->GEMEstabComm()->Connect());  // the application's own S1F13
    Seconds();                                         // times out: the timer starts
    ASSERT_TRUE(window->EstablishTimerRunning());
    h.ClearRecords();
    window->EnableCommunication();
    EXPECT_EQ(CommState(), "2");
    EXPECT_FALSE(window->EstablishTimerRunning());
    EXPECT_FALSE(Raised("GEMCommunication/StateChanged"));  // already 2: not written again
}

TEST_F(Communication, DisablingStopsEverythingAndIsQuietWhenAlreadyDisabled) {
    h.driver->RaiseConnect();
    window->DisableCommunication();
    EXPECT_EQ(CommState(), "0");
    EXPECT_EQ(Fields().CommState, "Not Communicating");
    EXPECT_FALSE(window->EstablishTimerRunning());
    Seconds(6);
    EXPECT_EQ(Count("S1F13"), 0u);
    h.ClearRecords();
    window->DisableCommunication();
    EXPECT_FALSE(Raised("GEMCommunication/StateChanged"));
    EXPECT_TRUE(h.errors.empty());
}

TEST_F(Communication, TheTimerRetriesWhileEnabledAndStopsOnceCommStateIsNotOne) {
    h.driver->RaiseConnect();
    Seconds(11);  // S1F13 at 1, 6 and 11 s
    EXPECT_EQ(Count("S1F13"), 3u);
    // The host's S1F13 is accepted: no further retry.
    h.core->FireEvent(KestEvent("GEMEstabComm", "CommEstablished"));
    EXPECT_EQ(CommState(), "2");
    EXPECT_FALSE(window->EstablishTimerRunning());
    // An S1F13 time-out restarts the timer while communicating; its expiry then stops it.
    h.core->FireEvent(KestEvent("GEMEstabComm", "GEMTimeout"));
    EXPECT_TRUE(window->EstablishTimerRunning());
    Seconds();
    EXPECT_FALSE(window->EstablishTimerRunning());
    EXPECT_EQ(Count("S1F13"), 3u);
    EXPECT_EQ(CommState(), "2");
}

TEST_F(Communication, AnAcceptedS1F13WhileDisabledOnlyStopsTheTimer) {
    h.driver->RaiseConnect();
    ASSERT_TRUE(h.server->GEMEstabComm()->Connect());
    h.SetGemVar("CommState", 0);  // the application disabled it behind the window's back
    ASSERT_TRUE(window->EstablishTimerRunning());
    AnswerS1F13(0);
    EXPECT_EQ(CommState(), "0");
    EXPECT_EQ(Fields().CommState, "Not Communicating");
    EXPECT_FALSE(window->EstablishTimerRunning());
}

TEST_F(Communication, ARefusedS1F13KeepsRetryingWhileEnabled) {
    h.driver->RaiseConnect();
    Seconds();
    AnswerS1F13(1);  // denied, try again
    EXPECT_EQ(CommState(), "1");
    EXPECT_TRUE(window->EstablishTimerRunning());
    Seconds(5);
    EXPECT_EQ(Count("S1F13"), 2u);
}

TEST_F(Communication, ARefusedS1F13WhileCommunicatingRetriesOnTheNextTick) {
    Communicate();
    ASSERT_TRUE(h.server->GEMEstabComm()->Connect());  // the application's own S1F13
    AnswerS1F13(2);
    EXPECT_EQ(CommState(), "1");
    Seconds();  // a freshly started timer retries on the next tick
    EXPECT_EQ(Count("S1F13"), 3u);
}

// The failure rows: an S1F13 refused or timed out, an S1F1 failed or timed out, from each
// communication state, with the establish timer stopped or running before.
enum class Loss { S1F13Refused, S1F13TimedOut, S1F1Failed, S1F1TimedOut };

struct LossCase {
    const char* name;
    Loss trigger;
    int comm_before;
    bool timer_before;
    const char* comm_after;
    bool timer_after;
};

class Losses : public Communication, public ::testing::WithParamInterface<LossCase> {
  protected:
    void Prepare() {
        Communicate();
        // Online local: no control-state row applies, so only the communication rows act.
        h.SetGemVar("ControlState", 4);
        if (GetParam().timer_before) {
            h.core->FireEvent(KestEvent("GEMEstabComm", "GEMTimeout"));  // starts it
        }
        // The application may write the variable behind the window's back.
        h.SetGemVar("CommState", GetParam().comm_before);
        ASSERT_EQ(window->EstablishTimerRunning(), GetParam().timer_before);
        h.ClearRecords();
    }
    void Trigger() {
        switch (GetParam().trigger) {
            case Loss::S1F13Refused:
                ASSERT_TRUE(h.server->GEMEstabComm()->Connect());
                AnswerS1F13(1);
                break;
            case Loss::S1F13TimedOut:
                h.server->SetGEMTimeout(1);
                ASSERT_TRUE(h.server->GEMEstabComm()->Connect());
                Seconds();
                EXPECT_EQ(Fields().Results.back(), "Connect timeout occured.");
                break;
            case Loss::S1F1Failed: {
                ASSERT_TRUE(h.server->GEMHeartBeat()->AreYouThere());
                // The outcome as EDHeartBeat reports a failure ("Online" false).
                KestMethod failed("GEMHeartBeat", "AreYouThere",
                                  Sent("S1F1").back()->Tag().ToInt32());
                failed.AddOutput("Online", false);
                h.core->ReplyMethod(failed);
                ASSERT_EQ(h.methods.size(), 1u);
                break;
            }
            case Loss::S1F1TimedOut:
                h.server->SetGEMTimeout(1);
                ASSERT_TRUE(h.server->GEMHeartBeat()->AreYouThere());
                Seconds();
                EXPECT_EQ(Fields().Results.back(), "AreYouThere timeout occured.");
                break;
        }
    }
};

TEST_P(Losses, MoveTheCommunicationStateAndTheTimer) {
    Prepare();
    Trigger();
    const LossCase& c = GetParam();
    EXPECT_EQ(CommState(), c.comm_after);
    EXPECT_EQ(window->EstablishTimerRunning(), c.timer_after);
    EXPECT_EQ(Fields().CommState,
              std::string(c.comm_after) == "2" ? "Communicating" : "Not Communicating");
    EXPECT_EQ(h.GemVar("ControlState"), "4");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Losses,
    ::testing::Values(
        LossCase{"S1F13RefusedWhileEnabled", Loss::S1F13Refused, 1, false, "1", true},
        LossCase{"S1F13RefusedWhileCommunicating", Loss::S1F13Refused, 2, false, "1", true},
        LossCase{"S1F13RefusedWhileDisabled", Loss::S1F13Refused, 0, true, "0", false},
        LossCase{"S1F13TimedOutWhileEnabled", Loss::S1F13TimedOut, 1, false, "1", true},
        LossCase{"S1F13TimedOutWhileCommunicating", Loss::S1F13TimedOut, 2, false, "2", true},
        LossCase{"S1F13TimedOutWhileDisabled", Loss::S1F13TimedOut, 0, true, "0", false},
        LossCase{"S1F1FailedWhileCommunicating", Loss::S1F1Failed, 2, false, "1", true},
        LossCase{"S1F1FailedWhileEnabled", Loss::S1F1Failed, 1, false, "1", true},
        LossCase{"S1F1FailedWhileDisabled", Loss::S1F1Failed, 0, true, "0", false},
        LossCase{"S1F1TimedOutWhileCommunicating", Loss::S1F1TimedOut, 2, false, "1", true},
        LossCase{"S1F1TimedOutWhileEnabled", Loss::S1F1TimedOut, 1, false, "1", true},
        LossCase{"S1F1TimedOutWhileDisabled", Loss::S1F1TimedOut, 0, true, "0", false}),
    [](const auto& info) { return std::string(info.param.name); });

class DriverFailure : public Communication, public ::testing::WithParamInterface<int> {};

TEST_P(DriverFailure, DropsToNotCommunicatingEvenWithTheWindowHidden) {
    Communicate();
    ASSERT_FALSE(window->Visible());
    h.driver->RaiseError(GetParam(), "link trouble S6F11");
    EXPECT_EQ(CommState(), "1");
    EXPECT_EQ(Fields().CommState, "Not Communicating");
}

INSTANTIATE_TEST_SUITE_P(Codes, DriverFailure, ::testing::Values(2012, 3005, 3013, 3014));

TEST_F(Communication, AStateTheDatabaseRefusesLeavesTheDisplayAsItWas) {
    h.driver->RaiseConnect();
    Seconds();
    // "CommState" may not exceed 1 any more: establishing cannot be recorded.
    h.Sql("UPDATE secs_gemvar SET var_min = '0', var_max = '1' WHERE var_name = 'CommState'");
    h.ClearRecords();
    AnswerS1F13(0);
    EXPECT_EQ(CommState(), "1");
    EXPECT_EQ(Fields().CommState, "Not Communicating");
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{5011}));
}

}  // namespace
}  // namespace kest::test
