// GEMTerminal: the terminal number's range, S10F1 on the wire with the W-bit of "WBITS10", and
// every way its exchange ends, each reported once as "ACKC10".
#include <gtest/gtest.h>

#include "service_fixture.h"
#include "services/gem_terminal.h"

namespace kest::test {
namespace {

using namespace kest::build;

class Terminal : public ServiceTest {
  protected:
    void SetUp() override { Fresh(); }
    void Fresh() {
        h.Communicating();
        h.ClearRecords();
        h.driver->sent.clear();
    }

    /// This service's outcomes as "TID=..;TEXT=..;ACKC10" (state changes report other services).
    std::vector<std::string> Acks() const {
        std::vector<std::string> acks;
        for (const auto& m : h.methods) {
            if (m.ServiceName != "GEMTerminal" || m.MethodName != "TerminalRequest") continue;
            std::string line;
            for (const auto& input : m.Inputs())
                line += input.ItemName + "=" + input.ItemValue.ToText() + ";";
            acks.push_back(line + m.Output("ACKC10").ToText());
        }
        return acks;
    }
    /// This service's events as "EventName MethodName".
    std::vector<std::string> Timeouts() const {
        std::vector<std::string> found;
        for (const auto& e : h.events) {
            if (e.ServiceName == "GEMTerminal")
                found.push_back(e.EventName + " " + e.Output("MethodName").ToText());
        }
        return found;
    }
};

using Strings = std::vector<std::string>;

TEST_F(Terminal, TheNumberIsOneByteOrRefusedWithNothingSent) {
    for (std::int32_t tid : {-1, 0, 255, 256}) {
        Fresh();
        auto terminal = h.server->GEMTerminal();
        terminal->SetTEXT("earlier");
        const bool accepted = tid == 0 || tid == 255;
        EXPECT_EQ(terminal->TerminalRequest(tid, " Lot 7 done "), accepted) << tid;
        if (!accepted) {
            EXPECT_EQ(terminal->TEXT(), "NULL");
            EXPECT_EQ(Errors(), (std::vector<ErrorRow>{{"GEMTerminal:TerminalRequest", 4022,
                                                        "Invalid value TID parameter (0-255) in "
                                                        "[GEMTerminal.TerminalRequest]."}}));
            EXPECT_TRUE(h.driver->sent.empty());
            continue;
        }
        ASSERT_EQ(h.driver->SentNames(), Strings{"S10F1"});
        EXPECT_TRUE(h.driver->LastSent()->ReplyExpected());
        // The text goes as given, blanks included.
        EXPECT_EQ(h.driver->LastSent()->Primary().Item(1),
                  L(B({static_cast<std::uint8_t>(tid)}), A(" Lot 7 done ")));
        EXPECT_TRUE(h.methods.empty());
    }
}

TEST_F(Terminal, EachEndOfTheExchangeIsOneAcknowledge) {
    // Codes below 256 come in the host's S10F2; 3002 is the link lost; the rest driver errors.
    for (int code : {0, 1, 2, 3002, 3005, 3014}) {
        Fresh();
        ASSERT_TRUE(h.server->GEMTerminal()->TerminalRequest(3, ""));
        ASSERT_EQ(h.driver->sent.size(), 1u);
        EXPECT_EQ(h.driver->LastSent()->Primary().Item(1), L(B({3}), A("")));
        if (code < 256)
            h.driver->InjectReply(h.driver->LastSent(), Reply(10, 2, B({std::uint8_t(code)})));
        else if (code == 3002)
            h.driver->RaiseDisconnect();
        else
            h.driver->RaiseError(code, "timer expired");
        EXPECT_EQ(Acks(), Strings{"TID=3;TEXT=;" + std::to_string(code)});
        EXPECT_EQ(LiveTransactions(), 0u) << code;
        h.Tick(150);
        EXPECT_EQ(Timeouts(), Strings{}) << code;
    }
}

TEST_F(Terminal, WithoutWBitItIsAcknowledgedBeforeTheRequestReturns) {
    h.SetGemVar("WBITS10", 0);
    bool reported_inside = false;
    auto listening = h.server->Subscribe(
        {.MethodNotification = [&](const KestMethod&) { reported_inside = true; }});
    ASSERT_TRUE(h.server->GEMTerminal()->TerminalRequest(0, "x"));
    EXPECT_TRUE(reported_inside);
    EXPECT_FALSE(h.driver->LastSent()->ReplyExpected());
    EXPECT_EQ(Acks(), Strings{"TID=0;TEXT=x;0"});
    EXPECT_EQ(LiveTransactions(), 0u);
}

TEST_F(Terminal, ARefusedSendIsError6002AndAnUnansweredOneTimesOut) {
    h.SetGemVar("ControlState", 1);  // equipment off-line: the send routine refuses
    h.ClearRecords();
    auto terminal = h.server->GEMTerminal();
    EXPECT_TRUE(terminal->TerminalRequest(1, "a"));
    ASSERT_EQ(h.ErrorCodes(), (std::vector<int>{4021, 6002}));
    EXPECT_EQ(Errors()[1],
              (ErrorRow{"EDTerminalRequest:Set IEDAction_Source", 6002, SendFailed("S10F1")}));
    EXPECT_EQ(Acks(), Strings{"TID=1;TEXT=a;6002"});

    Fresh();
    ASSERT_TRUE(terminal->TerminalRequest(1, "b"));
    h.Tick(149);
    EXPECT_EQ(Timeouts(), Strings{});
    h.Tick(1);
    EXPECT_EQ(Timeouts(), Strings{"GEMTimeout TerminalRequest"});
    EXPECT_EQ(Acks(), Strings{});
}

TEST_F(Terminal, TheWindowSendsToTheMainTerminal) {
    EXPECT_FALSE(h.server->Send_Msg("early"));
    EXPECT_EQ(h.ErrorCodes(), std::vector<int>{4005});
    ASSERT_TRUE(h.server->StartGEMTool());
    Fresh();
    EXPECT_FALSE(h.server->Send_Msg("Door open"));  // the window's procedure gives no result
    ASSERT_EQ(h.driver->SentNames(), Strings{"S10F1"});
    EXPECT_EQ(h.driver->LastSent()->Primary().Item(1), L(B({0}), A("Door open")));
    EXPECT_TRUE(h.errors.empty());
}

}  // namespace
}  // namespace kest::test
