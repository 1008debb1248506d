// The checks in front of every host primary, in their order: communication state, device ID,
// control state, admission; then routing, the stream 9 senders, and the host's secondaries.
#include <gtest/gtest.h>

#include "host/stream9_senders.h"
#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

class Dispatcher : public HostTest {};

struct CommCase {
    const char* label;
    const char* comm_state;  ///< as stored
    SecsMessage primary;
    bool foreign_device;
    const char* refused_in;  ///< the state the error 6001 names; null: admitted
};

class CommunicationState : public HostTest, public ::testing::WithParamInterface<CommCase> {};

TEST_P(CommunicationState, AdmitsTheLinkMessagesOnlyOnceEnabled) {
    const CommCase& c = GetParam();
    h.Sql(std::string("UPDATE secs_gemvar SET var_val = '") + c.comm_state +
          "' WHERE var_name = 'CommState'");
    h.driver->InjectPrimary(c.primary, DeviceID() + (c.foreign_device ? 1 : 0));
    std::vector<ErrorRow> errors;
    if (c.refused_in != nullptr) {
        errors.emplace_back("EDPrimaryIn:IEDAction_ReceivedPrimary", 6001,
                            "SECSTrans [" + c.primary.Name() +
                                "] received in communication state - " + c.refused_in + ".");
    }
    EXPECT_EQ(Errors(), errors);
    EXPECT_EQ(h.driver->replies.size(), errors.empty() ? 1u : 0u);
    EXPECT_EQ(h.events.empty(), !errors.empty());
    EXPECT_TRUE(Sent().empty()) << "no stream 9 message";
}

INSTANTIATE_TEST_SUITE_P(
    States, CommunicationState,
    ::testing::Values(
        CommCase{"Disabled_S1F1", "0", SecsMessage(1, 1, true), false, "disable"},
        CommCase{"Disabled_S3F1", "0", SecsMessage(3, 1, true), false, "disable"},
        CommCase{"Disabled_ForeignDevice", "0", SecsMessage(1, 1, true), true, "disable"},
        CommCase{"NotANumber", "up", SecsMessage(1, 1, true), false, "disable"},
        CommCase{"NotCommunicating_S1F3", "1", SecsMessage(1, 3, true, L()), false,
                 "enable not communicating"},
        CommCase{"NotCommunicating_S1F1", "1", SecsMessage(1, 1, true), false, nullptr},
        CommCase{"NotCommunicating_S1F13", "1", SecsMessage(1, 13, true, L()), false, nullptr}),
    kLabel);

class OfflineControlState : public HostTest, public ::testing::WithParamInterface<int> {};

TEST_P(OfflineControlState, AbortsAllButTheLinkAndStateRequests) {
    SetState("ControlState", GetParam());
    Receive(2, 13, L(U4(6)));
    Receive(1, 3, L());
    Receive(3, 1);  // not even routed: the control state is checked first
    Receive(SecsMessage(2, 13, false, L(U4(6))));  // no abort reply without the W-bit
    // The device ID is checked first, and S9F1 is refused by the send routine while off-line.
    h.driver->InjectPrimary(SecsMessage(2, 13, true, L()), DeviceID() + 1);
    EXPECT_EQ(h.driver->replies,
              (std::vector<SecsMessage>{SecsMessage(2, 0, false), SecsMessage(1, 0, false),
                                        SecsMessage(3, 0, false)}));
    EXPECT_TRUE(Sent().empty()) << ::testing::PrintToString(Sent());
    EXPECT_EQ(h.ErrorCodes(), std::vector<int>{4021});

    h.driver->replies.clear();
    Receive(1, 1);
    Receive(1, 13, L());
    Receive(1, 15);
    Receive(1, 17);
    std::vector<std::string> names;
    for (const SecsMessage& reply : h.driver->replies)
        names.push_back(reply.Name());
    EXPECT_EQ(names, (std::vector<std::string>{"S1F2", "S1F14", "S1F16", "S1F18"}));
}

INSTANTIATE_TEST_SUITE_P(States, OfflineControlState, ::testing::Values(1, 2, 3));

class UnroutedPrimary : public HostTest, public ::testing::WithParamInterface<HostCase> {};

TEST_P(UnroutedPrimary, IsRefusedWithStream9) {
    Check(GetParam());
}

HostCase Unrouted(const char* label, int stream, int function, const char* refusal) {
    return {label, SecsMessage(stream, function, true), std::nullopt, refusal};
}

INSTANTIATE_TEST_SUITE_P(
    Messages, UnroutedPrimary,
    ::testing::Values(Unrouted("S3F1", 3, 1, "S9F3"), Unrouted("S14F1", 14, 1, "S9F3"),
                      Unrouted("S9F1", 9, 1, "S9F3"), Unrouted("S127F255", 127, 255, "S9F3"),
                      Unrouted("S2F99", 2, 99, "S9F5"), Unrouted("S1F5", 1, 5, "S9F5"),
                      Unrouted("S1F2", 1, 2, "S9F5"), Unrouted("S12F1", 12, 1, "S9F5"),
                      Unrouted("S6F11", 6, 11, "S9F5"), Unrouted("S10F1", 10, 1, "S9F5")),
    kLabel);

TEST_F(Dispatcher, AHandlerFailureIsTrappedUnderItsOwnNameAndSendsNothing) {
    AddVariable(1001, "Broken", enmItemFormat::FormatU4, "not a number");
    Receive(1, 3, L(U4(1001)));
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "EDPrimaryIn:ReplyS1F3");
    EXPECT_EQ(h.errors[0].ErrCode, 13);
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Dispatcher, HostRepliesWithoutAHandlerAreIgnoredQuietly) {
    h.driver->InjectReply(h.driver->CreateTransaction("S6F1"), SecsMessage(6, 2, false, B({0})));
    h.driver->InjectReply(h.driver->CreateTransaction("S2F17"), SecsMessage(2, 18, false, A()));
    h.driver->InjectReply(h.driver->CreateTransaction("S1F13"),
                          SecsMessage(9, 2, false, B({0x80, 0, 1, 13, 0x80, 1, 0, 0, 0, 0})));
    EXPECT_TRUE(h.errors.empty());
    EXPECT_TRUE(h.events.empty());
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Dispatcher, Stream9MessagesCarryTheMheadOfTheOffendingMessageWhileThePortIsOpen) {
    // A foreign device ID gets S9F1 carrying this equipment's device ID.
    h.server->SECSProtocol()->SetDeviceID(300);
    h.driver->InjectPrimary(SecsMessage(1, 3, true, L()), 7);
    ExpectStream9(0, "S9F1", {0x81, 0x2C, 0x01, 0x03, 0x80, 0x01, 0, 0, 0, 0});
    EXPECT_TRUE(h.driver->replies.empty());
    const struct {
        bool (*send)(GemContext&, std::int32_t, std::int32_t, std::int32_t);
        const char* name;
        std::int32_t device, stream, function;
        std::initializer_list<std::uint8_t> mhead;
    } rows[] = {{&SendS9F1, "S9F1", 300, 6, 11, {0x81, 0x2C, 0x06, 0x0B, 0x80, 0x01, 0, 0, 0, 0}},
                {&SendS9F3, "S9F3", 5, 1, 3, {0x80, 0x05, 0x01, 0x03, 0x80, 0x01, 0, 0, 0, 0}},
                {&SendS9F5, "S9F5", 32767, 1, 3, {0xFF, 0xFF, 0x01, 0x03, 0x80, 0x01, 0, 0, 0, 0}},
                {&SendS9F7, "S9F7", 65535, 127, 255, {0x80, 0, 0x7F, 0xFF, 0x80, 0x01, 0, 0, 0, 0}},
                {&SendS9F11, "S9F11", 0, 2, 41, {0x80, 0x00, 0x02, 0x29, 0x80, 0x01, 0, 0, 0, 0}}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_TRUE(rows[i].send(*h.core, rows[i].device, rows[i].stream, rows[i].function));
        ExpectStream9(i + 1, rows[i].name, rows[i].mhead);
    }
    EXPECT_EQ(Sent().size(), std::size(rows) + 1);
    EXPECT_TRUE(h.errors.empty());
    h.core->SetSetting("PortOpened", "FALSE");
    for (const auto& row : rows)
        EXPECT_FALSE(row.send(*h.core, 0, 1, 3)) << row.name;
    EXPECT_EQ(Sent().size(), std::size(rows) + 1);
    EXPECT_EQ(h.ErrorCodes(), std::vector<int>(std::size(rows), 4019));
}

}  // namespace
}  // namespace kest::test
