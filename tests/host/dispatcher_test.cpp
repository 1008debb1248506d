// The checks in front of every host primary, in their order: communication state, device ID,
// control state, admission; then routing.
#include <gtest/gtest.h>

#include "host/routing.h"
#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

constexpr const char* kSource = "EDPrimaryIn:IEDAction_ReceivedPrimary";

class Dispatcher : public HostTest {};

TEST_F(Dispatcher, CommunicationDisabledRefusesEveryPrimaryWithError6001) {
    SetState("CommState", 0);
    Receive(1, 1);
    Receive(1, 13, L());
    Receive(3, 1);
    ASSERT_EQ(h.ErrorCodes(), (std::vector<int>{6001, 6001, 6001}));
    EXPECT_EQ(h.errors[0].ErrSource, kSource);
    EXPECT_EQ(h.errors[0].ErrText, "SECSTrans [S1F1] received in communication state - disable.");
    EXPECT_EQ(h.errors[1].ErrText, "SECSTrans [S1F13] received in communication state - disable.");
    EXPECT_EQ(h.errors[2].ErrText, "SECSTrans [S3F1] received in communication state - disable.");
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(Sent().empty()) << "no stream 9 message either";
    EXPECT_TRUE(h.events.empty());
}

TEST_F(Dispatcher, NotCommunicatingAdmitsOnlyS1F1AndS1F13) {
    SetState("CommState", 1);
    Receive(1, 3, L());
    ASSERT_EQ(h.ErrorCodes(), std::vector<int>{6001});
    EXPECT_EQ(h.errors[0].ErrSource, kSource);
    EXPECT_EQ(h.errors[0].ErrText,
              "SECSTrans [S1F3] received in communication state - enable not communicating.");
    EXPECT_TRUE(h.driver->replies.empty());

    h.ClearRecords();
    Receive(1, 1);
    Receive(1, 13, L());
    EXPECT_TRUE(h.errors.empty());
    ASSERT_EQ(h.driver->replies.size(), 2u);
    EXPECT_EQ(h.driver->replies[0].Name(), "S1F2");
    EXPECT_EQ(h.driver->replies[1].Name(), "S1F14");
}

TEST_F(Dispatcher, CommunicationStateComesBeforeTheDeviceID) {
    SetState("CommState", 0);
    h.driver->InjectPrimary(SecsMessage(1, 1, true), DeviceID() + 1);
    EXPECT_EQ(h.ErrorCodes(), std::vector<int>{6001});
    EXPECT_TRUE(Sent().empty());
}

struct DeviceCase {
    std::int32_t equipment;
    std::uint8_t byte0;
    std::uint8_t byte1;
};

class ForeignDevice : public HostTest, public ::testing::WithParamInterface<DeviceCase> {};

TEST_P(ForeignDevice, GetsS9F1CarryingThisEquipmentsDeviceID) {
    const DeviceCase& c = GetParam();
    h.server->SECSProtocol()->SetDeviceID(c.equipment);
    h.driver->InjectPrimary(SecsMessage(1, 3, true, L()), c.equipment == 7 ? 8 : 7);
    ExpectOnlyStream9("S9F1", {c.byte0, c.byte1, 0x01, 0x03, 0x80, 0x01, 0, 0, 0, 0});
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(h.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(DeviceIDs, ForeignDevice,
                         ::testing::Values(DeviceCase{0, 0x80, 0x00}, DeviceCase{5, 0x80, 0x05},
                                           DeviceCase{300, 0x81, 0x2C},
                                           DeviceCase{32767, 0xFF, 0xFF},
                                           DeviceCase{32768, 0x80, 0x00},
                                           DeviceCase{65535, 0x80, 0x00}));

TEST_F(Dispatcher, DeviceIDComesBeforeTheControlState) {
    SetState("ControlState", 1);
    h.driver->InjectPrimary(SecsMessage(2, 13, true, L()), DeviceID() + 1);
    // No abort reply: S9F1 was tried, and the send routine refuses it while off-line.
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_EQ(h.ErrorCodes(), std::vector<int>{4021});
}

class OfflineControlState : public HostTest, public ::testing::WithParamInterface<int> {
  protected:
    OfflineControlState() { SetState("ControlState", GetParam()); }
};

TEST_P(OfflineControlState, AnswersOtherPrimariesWithFunctionZeroAndNoBody) {
    Receive(2, 13, L(U4(6)));
    Receive(1, 3, L());
    Receive(3, 1);  // not even routed: the control state is checked first
    ASSERT_EQ(h.driver->replies.size(), 3u);
    EXPECT_EQ(h.driver->replies[0], SecsMessage(2, 0, false));
    EXPECT_EQ(h.driver->replies[1], SecsMessage(1, 0, false));
    EXPECT_EQ(h.driver->replies[2], SecsMessage(3, 0, false));
    EXPECT_TRUE(Sent().empty()) << ::testing::PrintToString(Sent());
    EXPECT_TRUE(h.errors.empty());
}

TEST_P(OfflineControlState, AbortReplyNeedsTheWBit) {
    Receive(SecsMessage(2, 13, false, L(U4(6))));
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(Sent().empty());
}

TEST_P(OfflineControlState, LinkAndStateRequestsPass) {
    Receive(1, 1);
    Receive(1, 13, L());
    Receive(1, 15);
    Receive(1, 17);
    ASSERT_EQ(h.driver->replies.size(), 4u);
    EXPECT_EQ(h.driver->replies[0].Name(), "S1F2");
    EXPECT_EQ(h.driver->replies[1].Name(), "S1F14");
    EXPECT_EQ(h.driver->replies[2].Name(), "S1F16");
    EXPECT_EQ(h.driver->replies[3].Name(), "S1F18");
}

INSTANTIATE_TEST_SUITE_P(States, OfflineControlState, ::testing::Values(1, 2, 3));

TEST_F(Dispatcher, OnlineLocalAnswersLikeOnlineRemote) {
    SetState("ControlState", 4);
    Receive(1, 3, L(U4(13)));
    EXPECT_EQ(OnlyReplyBody("S1F4"), L(A("KEST")));
}

struct Unrouted {
    int stream;
    int function;
    const char* error;
};

class UnroutedPrimary : public HostTest, public ::testing::WithParamInterface<Unrouted> {};

TEST_P(UnroutedPrimary, IsRefusedWithStream9) {
    const Unrouted& c = GetParam();
    Receive(c.stream, c.function);
    ExpectOnlyStream9(c.error, {0x80, 0x00, static_cast<std::uint8_t>(c.stream),
                                static_cast<std::uint8_t>(c.function), 0x80, 0x01, 0, 0, 0, 0});
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(h.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Messages, UnroutedPrimary,
                         ::testing::Values(Unrouted{3, 1, "S9F3"}, Unrouted{14, 1, "S9F3"},
                                           Unrouted{9, 1, "S9F3"}, Unrouted{127, 255, "S9F3"},
                                           Unrouted{2, 99, "S9F5"}, Unrouted{1, 5, "S9F5"},
                                           Unrouted{1, 2, "S9F5"}, Unrouted{12, 1, "S9F5"},
                                           Unrouted{6, 11, "S9F5"}, Unrouted{10, 1, "S9F5"}));

TEST_F(Dispatcher, RoutedPrimariesWithoutTheirHandlerYetGetS9F5) {
    for (const HostRoute& route : PrimaryRoutes()) {
        if (route.handler != nullptr) continue;
        h.driver->sent.clear();
        Receive(route.stream, route.function, L());
        ASSERT_EQ(Sent(), std::vector<std::string>{"S9F5"}) << route.HandlerName();
        EXPECT_EQ(h.driver->sent[0]->Primary().Item(1).Data()[3], route.function);
    }
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(h.errors.empty());
}

TEST_F(Dispatcher, AHandlerFailureIsTrappedUnderItsOwnNameAndSendsNothing) {
    AddVariable(1001, "Broken", enmItemFormat::FormatU4, "not a number");
    Receive(1, 3, L(U4(1001)));
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "EDPrimaryIn:ReplyS1F3");
    EXPECT_EQ(h.errors[0].ErrCode, 13);
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Dispatcher, AStateThatIsNotANumberIsNoStateAndAdmitsNothing) {
    h.Sql("UPDATE secs_gemvar SET var_val = 'up' WHERE var_name = 'CommState'");
    Receive(1, 1);
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, kSource);
    EXPECT_EQ(h.errors[0].ErrCode, 6001);
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(Sent().empty());
}

}  // namespace
}  // namespace kest::test
