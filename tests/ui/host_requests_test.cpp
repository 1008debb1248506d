// The host's S1F13, S1F15 and S1F17 through the dispatcher: its handlers answer and raise the
// requests, and the window moves the states.
#include <gtest/gtest.h>

#include "window_fixture.h"

namespace kest::test {
namespace {

class HostRequests : public WindowTest {
  protected:
    void SetUp() override {
        h.SetGemVar("ConfigSpool", 0);
        StartTool();
    }
    // The host's primary; returns the reply the equipment sent.
    SecsMessage Host(SecsMessage primary) {
        const std::size_t before = h.driver->replies.size();
        h.driver->InjectPrimary(std::move(primary));
        EXPECT_EQ(h.driver->replies.size(), before + 1) << "no reply";
        return h.driver->replies.empty() ? SecsMessage() : h.driver->replies.back();
    }
    void Be(int control_state) {
        h.SetGemVar("ControlState", control_state);
        h.SetGemVar("PreviousControlState", 0);
        h.driver->sent.clear();
        h.ClearRecords();
    }
};

TEST_F(HostRequests, AnAcceptedS1F17GoesOnlineAndASecondOneFindsItOnline) {
    Communicate();
    h.SetGemVar("OnlineSubstate", 5);
    Be(3);
    EXPECT_EQ(Host(SecsMessage(1, 17, true)).Item(1), build::B({0}));
    EXPECT_EQ(h.GemVar("ControlState"), "5");
    EXPECT_EQ(h.GemVar("PreviousControlState"), "3");
    EXPECT_EQ(Fields().ControlState, "Online Remote");
    EXPECT_EQ(ReportedCEIDs(), (std::vector<std::int32_t>{3}));
    EXPECT_EQ(Host(SecsMessage(1, 17, true)).Item(1), build::B({2}));
    EXPECT_EQ(ReportedCEIDs(), (std::vector<std::int32_t>{3}));
}

TEST_F(HostRequests, AnS1F17WhileEquipmentOfflineIsRefusedAndChangesNothing) {
    Communicate();
    Be(1);
    EXPECT_EQ(Host(SecsMessage(1, 17, true)).Item(1), build::B({1}));
    EXPECT_EQ(h.GemVar("ControlState"), "1");
    EXPECT_EQ(h.GemVar("PreviousControlState"), "0");
    EXPECT_TRUE(ReportedCEIDs().empty());
}

TEST_F(HostRequests, AnS1F15TakesTheControlHostOfflineOnce) {
    Communicate();
    Be(4);
    EXPECT_EQ(Host(SecsMessage(1, 15, true)).Item(1), build::B({0}));
    EXPECT_EQ(h.GemVar("ControlState"), "3");
    EXPECT_EQ(h.GemVar("PreviousControlState"), "4");
    EXPECT_EQ(Fields().ControlState, "Host Offline");
    EXPECT_EQ(ReportedCEIDs(), (std::vector<std::int32_t>{1}));
    EXPECT_EQ(Host(SecsMessage(1, 15, true)).Item(1), build::B({0}));
    EXPECT_EQ(ReportedCEIDs(), (std::vector<std::int32_t>{1}));
}

TEST_F(HostRequests, TheHostsS1F13EstablishesCommunication) {
    h.driver->RaiseConnect();
    ASSERT_TRUE(window->EstablishTimerRunning());
    SecsMessage reply = Host(SecsMessage(1, 13, true, build::L()));
    EXPECT_EQ(reply.Item(1),
              build::L(build::B({0}), build::L(build::A("KEST"), build::A("0.1.0"))));
    EXPECT_EQ(h.GemVar("CommState"), "2");
    EXPECT_EQ(Fields().CommState, "Communicating");
    EXPECT_FALSE(window->EstablishTimerRunning());
}

}  // namespace
}  // namespace kest::test
