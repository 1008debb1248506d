#include <gtest/gtest.h>

#include "service_fixture.h"
#include "services/gem_heart_beat.h"

namespace kest::test {
namespace {

using namespace kest::build;

class HeartBeat : public ::testing::Test {
  protected:
    ControlHarness h;
};

TEST_F(HeartBeat, AreYouThereNeedsAnAttachedControlAndAnOpenPort) {
    GEMHeartBeat unattached;
    EXPECT_FALSE(unattached.AreYouThere());
    EXPECT_TRUE(h.errors.empty());

    h.core->SetSetting("PortOpened", "FALSE");
    EXPECT_FALSE(h.server->GEMHeartBeat()->AreYouThere());
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "GEMHeartBeat:AreYouThere");
    EXPECT_EQ(h.errors[0].ErrCode, 4019);
    EXPECT_EQ(h.errors[0].ErrText, "Invalid port connect state to perform this task.");
    EXPECT_TRUE(h.driver->sent.empty());
    EXPECT_EQ(LiveTransactions(h), 0u);
}

TEST_F(HeartBeat, SendsAHeaderOnlyS1F1DirectlyAndAnyS1F2MeansOnline) {
    // Only the port matters: the S1F1 is not held back by the communication state.
    h.core->SetSetting("PortOpened", "TRUE");
    h.SetGemVar("CommState", 1);
    h.ClearRecords();
    EXPECT_TRUE(h.server->GEMHeartBeat()->AreYouThere());
    auto trans = h.driver->LastSent();
    ASSERT_NE(trans, nullptr);
    EXPECT_EQ(trans->Primary().Name(), "S1F1");
    EXPECT_TRUE(trans->ReplyExpected());
    EXPECT_EQ(trans->Primary().BodyCount(), 0u);
    // The reply's content is not read: even a header-only S1F2 counts.
    h.driver->InjectReply(trans, Reply(1, 2));
    ASSERT_EQ(h.methods.size(), 1u);
    EXPECT_EQ(h.methods[0].ServiceName, "GEMHeartBeat");
    EXPECT_EQ(h.methods[0].MethodName, "AreYouThere");
    EXPECT_TRUE(h.methods[0].Inputs().empty());
    EXPECT_EQ(h.methods[0].Output("Online"), Variant(true));
    EXPECT_TRUE(h.errors.empty());
}

TEST_F(HeartBeat, ASendFailureIsAnErrorOnly) {
    h.core->SetSetting("PortOpened", "TRUE");
    h.driver->accept_sends = false;
    h.ClearRecords();
    EXPECT_TRUE(h.server->GEMHeartBeat()->AreYouThere());
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "EDHeartBeat:Set IEDAction_Source");
    EXPECT_EQ(h.errors[0].ErrCode, 6002);
    EXPECT_EQ(h.errors[0].ErrText, "SECS [S1F1] message send failed.");
    EXPECT_TRUE(h.methods.empty());
    EXPECT_EQ(LiveTransactions(h), 1u);
}

TEST_F(HeartBeat, SetHeartBeatFollowsTheVariable) {
    // The default of "HeartBeat" is 0: off.
    EXPECT_EQ(h.core->HeartBeatInterval(), 0);
    EXPECT_FALSE(h.core->HeartBeatEnabled());
    h.SetGemVar("HeartBeat", 5);
    h.core->SetHeartBeat();
    EXPECT_EQ(h.core->HeartBeatInterval(), 5000);
    EXPECT_TRUE(h.core->HeartBeatEnabled());
    h.SetGemVar("HeartBeat", 0);
    h.core->SetHeartBeat();
    EXPECT_EQ(h.core->HeartBeatInterval(), 0);
    EXPECT_FALSE(h.core->HeartBeatEnabled());
    EXPECT_TRUE(h.errors.empty());
}

TEST_F(HeartBeat, TheTickSendsOnlyWhileCommunicatingAndRearms) {
    h.SetGemVar("HeartBeat", 7);
    h.core->SetHeartBeat();
    h.core->SetSetting("PortOpened", "TRUE");
    for (int state : {0, 1}) {
        h.SetGemVar("CommState", state);
        h.core->HeartBeatTick();
        EXPECT_TRUE(h.driver->sent.empty()) << state;
        EXPECT_TRUE(h.core->HeartBeatEnabled()) << state;  // idle ticks keep it running
    }
    h.SetGemVar("CommState", 2);
    h.ClearRecords();
    h.core->HeartBeatTick();
    EXPECT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S1F1"}));
    EXPECT_EQ(h.core->HeartBeatInterval(), 7000);
    EXPECT_TRUE(h.core->HeartBeatEnabled());
    EXPECT_TRUE(h.errors.empty());
    // The heartbeat's S1F1 is an ordinary are-you-there: it times out like one.
    h.Tick(150);
    ASSERT_EQ(h.events.size(), 1u);
    EXPECT_EQ(h.events[0].ServiceName, "GEMHeartBeat");
    EXPECT_EQ(h.events[0].Output("MethodName").ToText(), "AreYouThere");
}

TEST_F(HeartBeat, ATickWithThePortClosedReportsAndStillRearms) {
    h.SetGemVar("HeartBeat", 2);
    h.core->SetHeartBeat();
    h.core->SetSetting("PortOpened", "FALSE");
    h.SetGemVar("CommState", 2);
    h.ClearRecords();
    h.core->HeartBeatTick();
    EXPECT_TRUE(h.driver->sent.empty());
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{4019}));
    EXPECT_TRUE(h.core->HeartBeatEnabled());
}

}  // namespace
}  // namespace kest::test
