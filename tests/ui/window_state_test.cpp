// The window hands the operator's switches to the state model and its fields follow the model,
// whoever moved it (the transition tables themselves: tests/core/state_model_test.cpp).
#include <gtest/gtest.h>

#include "window_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

class WindowState : public WindowTest {
  protected:
    void SetUp() override {
        h.SetGemVar("ConfigSpool", 0);  // only the control-state reports go out
        h.SetGemVar("OfflineSubstate", 1);
        h.SetGemVar("OnlineSubstate", 5);
        h.SetGemVar("OnlineFailed", 3);
        StartTool();
    }
    // The host's primary; returns the reply the equipment sent.
    SecsItem Host(int function, SecsItem body = {}) {
        const std::size_t before = h.driver->replies.size();
        h.driver->InjectPrimary(function == 13 ? SecsMessage(1, 13, true, std::move(body))
                                               : SecsMessage(1, function, true));
        EXPECT_EQ(h.driver->replies.size(), before + 1) << "no reply";
        return h.driver->replies.empty() ? SecsItem() : h.driver->replies.back().Item(1);
    }
};

TEST_F(WindowState, TheOperatorsSwitchesReachTheModelAndTheFieldsFollow) {
    Communicate();
    EXPECT_EQ(Fields().CommState, "Communicating");
    window->GoLocal();
    EXPECT_EQ(Fields().ControlState, "Online Local");
    window->GoRemote();
    EXPECT_EQ(Fields().ControlState, "Online Remote");
    window->GoOffline();
    EXPECT_EQ(Fields().ControlState, "Equipment Offline");
    h.server->SetGEMTimeout(1);
    window->GoOnline();
    EXPECT_EQ(Fields().ControlState, "Attempt Online");
    ASSERT_EQ(Count("S1F1"), 1u);
    Seconds();  // the S1F1 times out: "OnlineFailed", and communication is lost
    EXPECT_EQ(Fields().ControlState, "Host Offline");
    EXPECT_EQ(Fields().CommState, "Not Communicating");
    EXPECT_EQ(Fields().Results, std::vector<std::string>{"AreYouThere timeout occured."});

    window->DisableCommunication();
    EXPECT_EQ(h.GemVar("CommState"), "0");
    EXPECT_FALSE(window->EstablishTimerRunning());
    window->EnableCommunication();
    EXPECT_EQ(h.GemVar("CommState"), "1");
    EXPECT_EQ(Count("S1F13"), 2u);  // at once
    EXPECT_TRUE(window->EstablishTimerRunning());
    AnswerS1F13(0);
    EXPECT_EQ(Fields().CommState, "Communicating");
    window->GoOnline();
    AnswerS1F1();
    EXPECT_EQ(Fields().ControlState, "Online Remote");
}

TEST_F(WindowState, TheHostsRequestsThroughTheDispatcherMoveTheFields) {
    h.driver->RaiseConnect();
    ASSERT_TRUE(window->EstablishTimerRunning());
    EXPECT_EQ(Host(13, L()), L(B({0}), L(A("KEST"), A("0.1.0"))));
    EXPECT_EQ(Fields().CommState, "Communicating");
    EXPECT_FALSE(window->EstablishTimerRunning());

    EXPECT_EQ(Host(15), B({0}));
    EXPECT_EQ(Fields().ControlState, "Host Offline");
    EXPECT_EQ(h.GemVar("PreviousControlState"), "5");
    EXPECT_EQ(Host(15), B({0}));  // already host offline: no second report
    EXPECT_EQ(ReportedCEIDs(), (std::vector<std::int32_t>{1}));
    EXPECT_EQ(Host(17), B({0}));
    EXPECT_EQ(Fields().ControlState, "Online Remote");
    EXPECT_EQ(Host(17), B({2}));  // already online
    EXPECT_EQ(ReportedCEIDs(), (std::vector<std::int32_t>{1, 3}));
}

TEST_F(WindowState, TheSpoolAreaFollowsTheSpoolVariables) {
    h.SetGemVar("SpoolState", 1);
    h.SetGemVar("SpoolLoadSubstate", 7);
    h.SetGemVar("SpoolUnloadSubstate", 4);
    EXPECT_EQ(Fields().SpoolState, "Active");
    EXPECT_EQ(Fields().SpoolLoadSubstate, "Full");
    EXPECT_EQ(Fields().SpoolUnloadSubstate, "Transmit");
}

}  // namespace
}  // namespace kest::test
