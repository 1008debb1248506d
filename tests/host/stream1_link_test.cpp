// S1F1, S1F13, S1F15 and S1F17: the replies, the events the state model acts on, and the
// refusals of malformed requests.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

class LinkRequests : public HostTest {
  protected:
    void SetControlState(int state) { SetState("ControlState", state); }
};

TEST_F(LinkRequests, AreYouThereAnswersModelAndRevisionAndReportsCommunication) {
    h.SetGemVar("EquipmentModel", "ETCHER-9");
    SetState("SoftwareRevision", "NULL");
    Receive(1, 1);
    EXPECT_EQ(OnlyReplyBody("S1F2"), L(A("ETCHER-9"), A("")));
    EXPECT_EQ(h.EventNames(), std::vector<std::string>{"GEMEstabComm/CommEstablished"});
}

TEST_F(LinkRequests, AreYouThereWithoutWBitStillReportsCommunication) {
    Receive(SecsMessage(1, 1, false));
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_EQ(h.EventNames(), std::vector<std::string>{"GEMEstabComm/CommEstablished"});
}

TEST_F(LinkRequests, EstablishCommunicationsAcceptsTheEmptyList) {
    Receive(1, 13, L());
    EXPECT_EQ(OnlyReplyBody("S1F14"), L(B({0}), L(A("KEST"), A("0.1.0"))));
    EXPECT_EQ(h.EventNames(), std::vector<std::string>{"GEMEstabComm/CommEstablished"});
}

TEST_F(LinkRequests, EstablishCommunicationsWithDataGetsS9F11AndNoEvent) {
    Receive(1, 13, L(A("HOST"), A("1.0")));
    ExpectOnlyStream9("S9F11", {0x80, 0x00, 0x01, 0x0D, 0x80, 0x01, 0, 0, 0, 0});
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(h.events.empty());
}

struct Malformed {
    const char* what;
    SecsMessage primary;
};

void PrintTo(const Malformed& malformed, std::ostream* os) {
    *os << malformed.what;
}

class MalformedLinkRequest : public HostTest, public ::testing::WithParamInterface<Malformed> {};

TEST_P(MalformedLinkRequest, GetsS9F7AndNothingElse) {
    const SecsMessage& primary = GetParam().primary;
    Receive(primary);
    ExpectOnlyStream9("S9F7", {0x80, 0x00, 0x01, static_cast<std::uint8_t>(primary.Function()),
                               0x80, 0x01, 0, 0, 0, 0});
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(h.events.empty());
    EXPECT_TRUE(h.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Messages, MalformedLinkRequest,
    ::testing::Values(Malformed{"S1F1 with a body", SecsMessage(1, 1, true, L())},
                      Malformed{"S1F13 header only", SecsMessage(1, 13, true)},
                      Malformed{"S1F13 not a list", SecsMessage(1, 13, true, A())},
                      Malformed{"S1F15 with a body", SecsMessage(1, 15, true, B({0}))},
                      Malformed{"S1F17 with a body", SecsMessage(1, 17, true, L())}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name) {
            if (c == ' ') c = '_';
        }
        return name;
    });

TEST_F(LinkRequests, OfflineRequestIsAcknowledgedAndReportedWhenOnline) {
    Receive(1, 15);
    EXPECT_EQ(OnlyReplyBody("S1F16"), B({0}));
    EXPECT_EQ(h.EventNames(), std::vector<std::string>{"GEMControl/RequestOffline"});
}

TEST_F(LinkRequests, OfflineRequestInHostOfflineIsAcknowledgedWithoutEvent) {
    SetControlState(3);
    Receive(1, 15);
    EXPECT_EQ(OnlyReplyBody("S1F16"), B({0}));
    EXPECT_TRUE(h.events.empty());
}

TEST_F(LinkRequests, OfflineRequestInEquipmentOfflineIsReported) {
    SetControlState(1);
    Receive(SecsMessage(1, 15, false));
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_EQ(h.EventNames(), std::vector<std::string>{"GEMControl/RequestOffline"});
}

struct OnlineCase {
    int control_state;
    std::uint8_t onlack;
    bool requested;
};

class OnlineRequest : public LinkRequests, public ::testing::WithParamInterface<OnlineCase> {};

TEST_P(OnlineRequest, AnswersOnlackByControlState) {
    const OnlineCase& c = GetParam();
    SetControlState(c.control_state);
    std::vector<std::size_t> replies_at_event;
    auto listening = h.server->Subscribe({.EventNotification = [&](const KestEvent&) {
        replies_at_event.push_back(h.driver->replies.size());
    }});
    Receive(1, 17);
    EXPECT_EQ(OnlyReplyBody("S1F18"), B({c.onlack}));
    if (c.requested) {
        EXPECT_EQ(h.EventNames(), std::vector<std::string>{"GEMControl/RequestOnline"});
        EXPECT_EQ(replies_at_event, std::vector<std::size_t>{1}) << "raised after the reply";
    } else {
        EXPECT_TRUE(h.events.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(States, OnlineRequest,
                         ::testing::Values(OnlineCase{1, 1, false}, OnlineCase{2, 1, false},
                                           OnlineCase{3, 0, true}, OnlineCase{4, 2, false},
                                           OnlineCase{5, 2, false}));

TEST_F(LinkRequests, SecondOnlineRequestAfterGoingOnlineIsAlreadyOnline) {
    SetControlState(3);
    Receive(1, 17);
    h.SetGemVar("ControlState", 5);  // what the state model does on "RequestOnline"
    Receive(1, 17);
    ASSERT_EQ(h.driver->replies.size(), 2u);
    EXPECT_EQ(h.driver->replies[0].Item(1), B({0}));
    EXPECT_EQ(h.driver->replies[1].Item(1), B({2}));
}

TEST_F(LinkRequests, OnlineRequestWithoutWBitIsStillReported) {
    SetControlState(3);
    Receive(SecsMessage(1, 17, false));
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_EQ(h.EventNames(), std::vector<std::string>{"GEMControl/RequestOnline"});
}

}  // namespace
}  // namespace kest::test
