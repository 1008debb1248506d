#include <gtest/gtest.h>

#include "service_fixture.h"
#include "services/gem_clock.h"

namespace kest::test {
namespace {

using namespace kest::build;

class ClockService : public ::testing::Test {
  protected:
    ControlHarness h;
};

TEST_F(ClockService, AnUnattachedServiceDoesNothing) {
    GEMClock service;
    EXPECT_FALSE(service.GetDateTime());
    EXPECT_TRUE(h.driver->sent.empty());
    EXPECT_TRUE(h.errors.empty());
}

TEST_F(ClockService, SendsAHeaderOnlyRequestTaggedWithItsTransaction) {
    h.Communicating();
    h.ClearRecords();
    EXPECT_TRUE(h.server->GEMClock()->GetDateTime());
    auto sent = SentNamed(*h.driver, "S2F17");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0]->ReplyExpected());
    EXPECT_EQ(sent[0]->Primary().BodyCount(), 0u);
    EXPECT_TRUE(h.core->Actions().Contains(TagOf(*sent[0])));
    EXPECT_TRUE(h.errors.empty());
    EXPECT_TRUE(h.methods.empty());
}

struct RefusalCase {
    const char* label;
    const char* port_opened;
    int comm_state;
    int control_state;
    int code;
    const char* text;
};

class ClockRefusal : public ClockService, public ::testing::WithParamInterface<RefusalCase> {};

// There is no port check in the service: the send routine refuses, and the refusal is a send
// failure that reports "DateTime" "NULL" at once.
TEST_P(ClockRefusal, ARefusedSendReportsTheErrorsThenNull) {
    const RefusalCase& c = GetParam();
    h.core->SetSetting("PortOpened", c.port_opened);
    h.SetGemVar("CommState", c.comm_state);
    h.SetGemVar("ControlState", c.control_state);
    h.ClearRecords();
    // Changing the control state may itself report events; only the clock's traffic counts.
    const std::size_t live = LiveTransactions(h);
    EXPECT_TRUE(h.server->GEMClock()->GetDateTime());
    EXPECT_TRUE(SentNamed(*h.driver, "S2F17").empty());
    ASSERT_EQ(h.errors.size(), 2u);
    EXPECT_EQ(h.errors[0].ErrSource, "KestServer:SendSECSTrans");
    EXPECT_EQ(h.errors[0].ErrCode, c.code);
    EXPECT_EQ(h.errors[0].ErrText, c.text);
    EXPECT_EQ(h.errors[1].ErrSource, "EDClock:Set IEDAction_Source");
    EXPECT_EQ(h.errors[1].ErrCode, 6002);
    EXPECT_EQ(h.errors[1].ErrText, "SECS [S2F17] message send failed.");
    ASSERT_EQ(h.methods.size(), 1u);
    EXPECT_EQ(h.methods[0].ServiceName, "GEMClock");
    EXPECT_EQ(h.methods[0].MethodName, "GetDateTime");
    EXPECT_TRUE(h.methods[0].Inputs().empty());
    EXPECT_EQ(h.methods[0].Output("DateTime").ToText(), "NULL");
    // It already reported: nothing is left to time out.
    EXPECT_EQ(LiveTransactions(h), live);
    h.Tick(151);
    EXPECT_EQ(h.methods.size(), 1u);
    for (const auto& e : h.events)
        EXPECT_NE(e.ServiceName, "GEMClock") << e.EventName;
}

INSTANTIATE_TEST_SUITE_P(
    SendRoutine, ClockRefusal,
    ::testing::Values(RefusalCase{"PortClosed", "FALSE", 2, 5, 4019,
                                  "Invalid port connect state to perform this task."},
                      RefusalCase{"NotCommunicating", "TRUE", 1, 5, 4020,
                                  "Invalid communication state to perform this task."},
                      RefusalCase{"HostOffline", "TRUE", 2, 3, 4021,
                                  "Invalid control state to perform this task."},
                      RefusalCase{"EquipmentOffline", "TRUE", 2, 1, 4021,
                                  "Invalid control state to perform this task."}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ClockService, ADriverThatCannotSendIsASendFailureToo) {
    h.Communicating();
    h.driver->accept_sends = false;
    h.ClearRecords();
    EXPECT_TRUE(h.server->GEMClock()->GetDateTime());
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{6002}));
    ASSERT_EQ(h.methods.size(), 1u);
    EXPECT_EQ(h.methods[0].Output("DateTime").ToText(), "NULL");
    EXPECT_EQ(LiveTransactions(h), 0u);
}

struct TimeCase {
    const char* label;
    SecsMessage reply;
    const char* date_time;
};

class ClockReply : public ClockService, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(ClockReply, TheTimeTextIsReportedExactlyAsReceived) {
    h.Communicating();
    const auto before = h.clock->Now();
    ASSERT_TRUE(h.server->GEMClock()->GetDateTime());
    auto sent = SentNamed(*h.driver, "S2F17");
    ASSERT_EQ(sent.size(), 1u);
    h.ClearRecords();
    h.driver->InjectReply(sent[0], GetParam().reply);
    ASSERT_EQ(h.methods.size(), 1u);
    EXPECT_EQ(h.methods[0].TID, TagOf(*sent[0]));
    ASSERT_EQ(h.methods[0].Outputs().size(), 1u);
    EXPECT_EQ(h.methods[0].Outputs()[0].ItemName, "DateTime");
    EXPECT_EQ(h.methods[0].Outputs()[0].ItemValue.ToText(), GetParam().date_time);
    EXPECT_TRUE(h.errors.empty());
    EXPECT_EQ(LiveTransactions(h), 0u);
    EXPECT_EQ(h.clock->Now(), before);  // the local clock is not touched
}

INSTANTIATE_TEST_SUITE_P(
    S2F18, ClockReply,
    ::testing::Values(TimeCase{"TwelveCharacters", Reply(2, 18, A("261205103000")), "261205103000"},
                      TimeCase{"SixteenCharacters", Reply(2, 18, A("2026120510300012")),
                               "2026120510300012"},
                      TimeCase{"Empty", Reply(2, 18, A("")), ""},
                      TimeCase{"BlanksKept", Reply(2, 18, A(" 2612051030 ")), " 2612051030 "},
                      TimeCase{"HeaderOnly", Reply(2, 18), "NULL"},
                      TimeCase{"AListInstead", Reply(2, 18, L(A("261205103000"))), "NULL"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace kest::test
