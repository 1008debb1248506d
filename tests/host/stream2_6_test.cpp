// Streams 2 and 6 from the host: remote commands handed to the application until it answers
// or their time-out; event and report data on request; the spool transmitted or purged; and
// the refusals of malformed requests.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

/// The commands raised, each as RCMD, OBJSPEC, S2F49type, "enhanced" for S2F49, then each
/// parameter as "; name format value".
std::string Describe(const std::vector<KestCommand>& commands) {
    std::string text;
    for (const KestCommand& c : commands) {
        text += c.RCMD + " " + c.OBJSPEC + " " + c.S2F49type + (c.IsEnhanced ? " enhanced" : "");
        for (const KestCmdItem& p : c.Inputs())
            text += "; " + p.CPNAME + " " + std::string(FormatName(p.CPFORMAT)) + " " +
                    p.CPVAL.ToText();
    }
    return text;
}

struct RequestCase : HostCase {
    const char* command = "";  ///< the command raised, described
};

/// Report 1010 {Count 3, Name "W1"} and the empty report 1020, both linked to event 1500.
class Request : public HostTest, public ::testing::WithParamInterface<RequestCase> {
  protected:
    void SetUp() override {
        AddVariable(1101, "Count", enmItemFormat::FormatU4, "3");
        AddVariable(1102, "Name", enmItemFormat::FormatAscii, "W1");
        AddReport(1010, {1101, 1102});
        AddReport(1020, {});
        Link(1500, {1010, 1020});
    }
};

TEST_P(Request, IsAnsweredOrHandedToTheApplicationUntilItsTimeout) {
    Check(GetParam());  // a command is answered by the application: no reply yet
    EXPECT_EQ(Describe(h.commands), GetParam().command);
    h.Tick(149);
    EXPECT_EQ(h.core->Commands().Size(), h.commands.size());
    h.Tick(1);
    EXPECT_EQ(h.core->Commands().Size(), 0u);
}

RequestCase Command(const char* label, int function, SecsItem body, const char* command) {
    return {{label, SecsMessage(2, function, true, std::move(body))}, command};
}

RequestCase Data(const char* label, int function, SecsItem body, SecsItem reply) {
    return {{label, SecsMessage(6, function, true, std::move(body)), std::move(reply)}};
}

RequestCase Refused(const char* label, int stream, int function, SecsItem body,
                    const char* refusal = "S9F7") {
    return {{label, SecsMessage(stream, function, true, std::move(body)), std::nullopt, refusal}};
}

INSTANTIATE_TEST_SUITE_P(
    Streams2And6, Request,
    ::testing::Values(
        Command("S2F41", 41,
                L(A("  START  "), L(L(A(" LOT "), A("L1")), L(A("SLOTS"), U1(1, 2, 3)))),
                "START NULL NULL; LOT A L1; SLOTS U1 1,2,3"),
        Command("S2F49_text_last", 49,
                L(U4(7), A(" CHAMBER1 "), A("PP-SELECT"),
                  L(L(A("SLOTS"), L(U4(1), U4(2), U4(3))), L(A("PPID"), A("RECIPE-A")))),
                "PP-SELECT CHAMBER1 TypeDefault enhanced; SLOTS U4 1,2,3; PPID A RECIPE-A"),
        Command("S2F49_list_last", 49,
                L(U4(7), A("O"), A("X"), L(L(A("P"), U1(5)), L(A("Q"), L(A("a"), A("b"))))),
                "X O TypeA enhanced; P U1 5; Q A a,b"),
        Refused("S2F41_three_items", 2, 41, L(A("X"), L(), L()), "S9F11"),
        Refused("S2F41_rcmd_not_text", 2, 41, L(U4(1), L())),
        Refused("S2F41_rcmd_blank", 2, 41, L(A("   "), L())),
        Refused("S2F41_parameters_not_list", 2, 41, L(A("X"), A("Y"))),
        Refused("S2F41_pair_of_one", 2, 41, L(A("X"), L(L(A("P")))), "S9F11"),
        Refused("S2F41_cpname_not_text", 2, 41, L(A("X"), L(L(U4(1), U4(2))))),
        Refused("S2F49_three_items", 2, 49, L(U4(1), A("O"), A("X")), "S9F11"),
        Refused("S2F49_objspec_not_text", 2, 49, L(U4(1), U4(1), A("X"), L())),
        Refused("S2F49_mixed_list", 2, 49,
                L(U4(1), A("O"), A("X"), L(L(A("P"), L(U4(1), A("a")))))),
        Refused("S2F49_empty_list", 2, 49, L(U4(1), A("O"), A("X"), L(L(A("P"), L())))),
        Data("S6F15", 15, U4(1500),
             L(U4(1), U4(1500), L(L(U4(1010), L(U4(3), A("W1"))), L(U4(1020), L())))),
        Data("S6F15_no_reports", 15, U4(4242), L(U4(1), U4(4242), L())),
        Data("S6F19", 19, U4(1010), L(U4(3), A("W1"))), Data("S6F19_unknown", 19, U4(9999), L()),
        Refused("S6F15_u2", 6, 15, U2(1500)), Refused("S6F19_list", 6, 19, L()),
        Refused("S6F23_u4", 6, 23, U4(0))),
    kLabel);

TEST_F(HostTest, TheApplicationsAnswerToS2F41IsS2F42) {
    auto answer = h.server->Subscribe({.CommandNotification = [&](KestCommand& c) {
        c.HCACK = 4;
        c.AddOutputs("LOT", 2);
        h.server->ReplyCommand(c);
    }});
    Receive(2, 41, L(A("START"), L(L(A("LOT"), A("L1")))));
    EXPECT_EQ(OnlyReplyBody("S2F42"), L(B({4}), L(L(A("LOT"), B({2})))));
    EXPECT_EQ(h.core->Commands().Size(), 0u);
}

class SpoolRequests : public HostTest {
  protected:
    // Spooling active with `n` messages in the spool.
    void Spool(int n) {
        h.Sql("UPDATE secs_gemvar SET var_max='100' WHERE var_name='MaxSpoolTransmit'");
        h.driver->RaiseDisconnect();  // spooling activates; its own event is spooled
        for (int i = 1; i < n; ++i) {
            h.core->SendSECSTrans(h.driver->CreateTransaction("S6F11"), "NULL");
        }
        ASSERT_EQ(h.core->SpoolList().size(), static_cast<std::size_t>(n));
        h.Communicating();
        Forget();
    }
    /// The RSDA that S6F23 with `rsdc` is answered with.
    SecsItem Rsda(int rsdc) {
        h.driver->replies.clear();
        Receive(6, 23, U1(rsdc));
        return OnlyReplyBody("S6F24");
    }
    void ExpectSpool(std::size_t size, const char* state) {
        EXPECT_EQ(h.core->SpoolList().size(), size);
        EXPECT_EQ(h.GemVar("SpoolState"), state);
    }
};

TEST_F(SpoolRequests, TransmitSendsAtMostMaxSpoolTransmitInOrderThenEndsSpooling) {
    EXPECT_EQ(Rsda(2), B({1}));  // neither transmit nor purge
    EXPECT_EQ(Rsda(0), B({2}));  // spooling inactive
    EXPECT_EQ(Rsda(1), B({2}));
    Spool(10);
    auto first = h.core->SpoolList()[0];
    h.SetGemVar("MaxSpoolTransmit", 4);
    h.driver->sent.clear();
    EXPECT_EQ(Rsda(0), B({0}));
    EXPECT_EQ(Sent().size(), 4u);
    EXPECT_EQ(h.driver->sent[0], first);
    ExpectSpool(6, "1");  // still spooling: the next request takes the next four
    EXPECT_EQ(Rsda(0), B({0}));
    ExpectSpool(2, "1");
    EXPECT_EQ(Rsda(0), B({0}));
    ASSERT_EQ(Sent().size(), 11u);  // ten spooled, then "GemSpoolingDeactivated"
    ExpectSpool(0, "2");
    EXPECT_EQ(h.GemVar("SpoolUnloadSubstate"), "5");
    EXPECT_EQ(h.GemVar("SpoolLoadSubstate"), "6");
    auto deactivated = h.Db().EventGetRecord("GemSpoolingDeactivated", true);
    ASSERT_TRUE(deactivated.has_value());
    EXPECT_EQ(h.driver->sent[10]->Primary().Item(1).Item(2), U4(deactivated->ID()));
    EXPECT_EQ(Rsda(0), B({2}));  // spooling inactive again
}

TEST_F(SpoolRequests, PurgeEmptiesTheSpoolWithoutSending) {
    Spool(3);
    EXPECT_EQ(Rsda(1), B({0}));
    ExpectSpool(0, "2");
    EXPECT_EQ(Sent(), std::vector<std::string>{"S6F11"});  // only "GemSpoolingDeactivated"
}

}  // namespace
}  // namespace kest::test
