// GEMTerminal: the terminal number's range, S10F1 on the wire with the W-bit of "WBITS10", and
// every way its exchange ends, each reported once as "ACKC10".
#include <gtest/gtest.h>

#include <functional>

#include "service_fixture.h"
#include "services/gem_terminal.h"

namespace kest::test {
namespace {

using namespace kest::build;

class Terminal : public ServiceTest {
  protected:
    void SetUp() override {
        h.Communicating();
        h.ClearRecords();
    }

    /// The "ACKC10" outputs reported so far, each checked to carry the request's inputs.
    std::vector<int> Acks(std::int32_t tid, const std::string& text) const {
        std::vector<int> acks;
        for (const auto& m : h.methods) {
            if (m.ServiceName != "GEMTerminal") continue;  // state changes report events too
            EXPECT_EQ(m.MethodName, "TerminalRequest");
            std::string inputs;
            for (const auto& input : m.Inputs())
                inputs += input.ItemName + "=" + input.ItemValue.ToText() + ";";
            EXPECT_EQ(inputs, "TID=" + std::to_string(tid) + ";TEXT=" + text + ";");
            acks.push_back(m.Output("ACKC10").ToInt32());
        }
        return acks;
    }

    /// This service's events as "EventName MethodName" (failures move the states too).
    std::vector<std::string> Timeouts() const {
        std::vector<std::string> found;
        for (const auto& e : h.events) {
            if (e.ServiceName == "GEMTerminal")
                found.push_back(e.EventName + " " + e.Output("MethodName").ToText());
        }
        return found;
    }
};

struct RangeCase {
    const char* label;
    std::int32_t tid;
    bool accepted;
};

class TerminalNumber : public Terminal, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(TerminalNumber, IsOneByteOrRefusedWithNothingSent) {
    const RangeCase& c = GetParam();
    auto terminal = h.server->GEMTerminal();
    terminal->SetTEXT("earlier");
    EXPECT_EQ(terminal->TerminalRequest(c.tid, " Lot 7 done "), c.accepted);
    if (!c.accepted) {
        EXPECT_EQ(terminal->TEXT(), "NULL");
        EXPECT_EQ(Errors(), (std::vector<ErrorRow>{{"GEMTerminal:TerminalRequest", 4022,
                                                    "Invalid value TID parameter (0-255) in "
                                                    "[GEMTerminal.TerminalRequest]."}}));
        EXPECT_TRUE(h.driver->sent.empty());
        EXPECT_EQ(LiveTransactions(), 0u);
        return;
    }
    EXPECT_TRUE(h.errors.empty());
    ASSERT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S10F1"}));
    const auto& sent = h.driver->LastSent();
    // The text goes as given, blanks included.
    EXPECT_EQ(sent->Primary().Item(1), L(B({static_cast<std::uint8_t>(c.tid)}), A(" Lot 7 done ")));
    EXPECT_TRUE(sent->ReplyExpected());
    EXPECT_EQ(terminal->TID(), c.tid);
    EXPECT_TRUE(h.methods.empty());
    EXPECT_EQ(LiveTransactions(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Bounds, TerminalNumber,
                         ::testing::Values(RangeCase{"below", -1, false},
                                           RangeCase{"lowest", 0, true},
                                           RangeCase{"highest", 255, true},
                                           RangeCase{"above", 256, false}),
                         kLabel);

struct EndCase {
    const char* label;
    std::function<void(ControlHarness&, const std::shared_ptr<SecsTransaction>&)> end;
    int ackc10;
};

class TerminalExchange : public Terminal, public ::testing::WithParamInterface<EndCase> {};

TEST_P(TerminalExchange, EndsWithOneAcknowledge) {
    auto terminal = h.server->GEMTerminal();
    ASSERT_TRUE(terminal->TerminalRequest(3, ""));
    ASSERT_EQ(h.driver->sent.size(), 1u);
    EXPECT_EQ(h.driver->LastSent()->Primary().Item(1), L(B({3}), A("")));
    GetParam().end(h, h.driver->LastSent());
    EXPECT_EQ(Acks(3, ""), (std::vector<int>{GetParam().ackc10}));
    EXPECT_EQ(LiveTransactions(), 0u);
    h.Tick(150);
    EXPECT_EQ(Timeouts(), std::vector<std::string>{});
}

EndCase Replied(const char* label, int code) {
    return {label,
            [code](ControlHarness& h, const std::shared_ptr<SecsTransaction>& t) {
                h.driver->InjectReply(t, Reply(10, 2, B({static_cast<std::uint8_t>(code)})));
            },
            code};
}

EndCase DriverError(const char* label, int code) {
    return {label,
            [code](ControlHarness& h, const std::shared_ptr<SecsTransaction>&) {
                h.driver->RaiseError(code, "timer expired");
            },
            code};
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, TerminalExchange,
    ::testing::Values(Replied("accepted", 0), Replied("will_not_display", 1),
                      Replied("terminal_not_available", 2),
                      EndCase{"link_lost",
                              [](ControlHarness& h, const std::shared_ptr<SecsTransaction>&) {
                                  h.driver->RaiseDisconnect();
                              },
                              3002},
                      DriverError("t3_expired", 3005), DriverError("send_timeout", 3014)),
    kLabel);

TEST_F(Terminal, WithoutWBitItIsAcknowledgedBeforeTheRequestReturns) {
    h.SetGemVar("WBITS10", 0);
    auto terminal = h.server->GEMTerminal();
    bool reported_inside = false;
    auto listening = h.server->Subscribe(
        {.MethodNotification = [&](const KestMethod&) { reported_inside = true; }});
    ASSERT_TRUE(terminal->TerminalRequest(0, "x"));
    EXPECT_TRUE(reported_inside);
    EXPECT_FALSE(h.driver->LastSent()->ReplyExpected());
    EXPECT_EQ(Acks(0, "x"), (std::vector<int>{0}));
    EXPECT_EQ(LiveTransactions(), 0u);
}

TEST_F(Terminal, ARefusedSendIsError6002AndAUnansweredOneTimesOut) {
    h.SetGemVar("ControlState", 1);  // equipment off-line: the send routine refuses
    h.ClearRecords();
    auto terminal = h.server->GEMTerminal();
    EXPECT_TRUE(terminal->TerminalRequest(1, "a"));
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{4021, 6002}));
    EXPECT_EQ(Errors()[1],
              (ErrorRow{"EDTerminalRequest:Set IEDAction_Source", 6002, SendFailed("S10F1")}));
    EXPECT_EQ(Acks(1, "a"), (std::vector<int>{6002}));

    h.Communicating();
    h.ClearRecords();
    ASSERT_TRUE(terminal->TerminalRequest(1, "b"));
    h.Tick(149);
    EXPECT_EQ(Timeouts(), std::vector<std::string>{});
    h.Tick(1);
    EXPECT_EQ(Timeouts(), std::vector<std::string>{"GEMTimeout TerminalRequest"});
    EXPECT_EQ(Acks(1, "b"), std::vector<int>{});
}

TEST_F(Terminal, TheWindowSendsToTheMainTerminal) {
    EXPECT_FALSE(h.server->Send_Msg("early"));
    EXPECT_EQ(h.ErrorCodes(), std::vector<int>{4005});
    ASSERT_TRUE(h.server->StartGEMTool());
    h.Communicating();
    h.ClearRecords();
    h.driver->sent.clear();
    EXPECT_FALSE(h.server->Send_Msg("Door open"));  // the window's procedure gives no result
    ASSERT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S10F1"}));
    EXPECT_EQ(h.driver->LastSent()->Primary().Item(1), L(B({0}), A("Door open")));
    EXPECT_TRUE(h.errors.empty());
}

}  // namespace
}  // namespace kest::test
