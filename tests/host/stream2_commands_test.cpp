#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

class RemoteCommands : public HostTest {};

TEST_F(RemoteCommands, S2F41BecomesACommandWithTrimmedNamesAndItsParameters) {
    Receive(2, 41, L(A("  START  "), L(L(A(" LOT "), A("L1")), L(A("SLOTS"), U1(1, 2, 3)))));
    ASSERT_EQ(h.commands.size(), 1u);
    const KestCommand& c = h.commands[0];
    EXPECT_EQ(c.RCMD, "START");
    EXPECT_FALSE(c.IsEnhanced);
    ASSERT_EQ(c.Inputs().size(), 2u);
    EXPECT_EQ(c.Inputs()[0].CPNAME, "LOT");
    EXPECT_EQ(c.Inputs()[0].CPFORMAT, enmItemFormat::FormatAscii);
    EXPECT_EQ(c.Inputs()[0].CPVAL.ToText(), "L1");
    EXPECT_EQ(c.Inputs()[1].CPFORMAT, enmItemFormat::FormatU1);
    EXPECT_EQ(c.Inputs()[1].CPVAL.ToText(), "1,2,3");  // an array keeps every value
    EXPECT_TRUE(h.driver->replies.empty());            // the application answers
    EXPECT_EQ(h.core->Commands().Size(), 1u);
}

TEST_F(RemoteCommands, TheApplicationsAnswerIsS2F42) {
    auto answer = h.server->Subscribe({.CommandNotification = [&](KestCommand& c) {
        c.HCACK = 4;
        c.AddOutputs("LOT", 2);
        h.server->ReplyCommand(c);
    }});
    Receive(2, 41, L(A("START"), L(L(A("LOT"), A("L1")))));
    EXPECT_EQ(OnlyReplyBody("S2F42"), L(B({4}), L(L(A("LOT"), B({2})))));
    EXPECT_EQ(h.core->Commands().Size(), 0u);
}

TEST_F(RemoteCommands, AnUnansweredCommandTimesOut) {
    Receive(2, 41, L(A("START"), L()));
    h.server->SetGEMTimeout(3);
    h.Tick(h.server->GEMTimeout() + 150);
    EXPECT_EQ(h.core->Commands().Size(), 0u);
    EXPECT_EQ(h.EventNames().back(), "GEMCommand/GEMTimeout");
}

struct Malformed {
    const char* name;
    SecsItem body;
    const char* stream9;
};

class MalformedCommands : public HostTest, public ::testing::WithParamInterface<Malformed> {};

TEST_P(MalformedCommands, AreRefusedWithStream9AndRaiseNothing) {
    Receive(2, GetParam().name[4] == '9' ? 49 : 41, GetParam().body);
    EXPECT_TRUE(h.commands.empty());
    EXPECT_EQ(Sent(), std::vector<std::string>{GetParam().stream9});
}

INSTANTIATE_TEST_SUITE_P(
    Host, MalformedCommands,
    ::testing::Values(Malformed{"S2F41_three_items", L(A("X"), L(), L()), "S9F11"},
                      Malformed{"S2F41_rcmd_not_text", L(U4(1), L()), "S9F7"},
                      Malformed{"S2F41_rcmd_blank", L(A("   "), L()), "S9F7"},
                      Malformed{"S2F41_parameters_not_list", L(A("X"), A("Y")), "S9F7"},
                      Malformed{"S2F41_pair_of_one", L(A("X"), L(L(A("P")))), "S9F11"},
                      Malformed{"S2F41_cpname_not_text", L(A("X"), L(L(U4(1), U4(2)))), "S9F7"},
                      Malformed{"S2F49_three_items", L(U4(1), A("O"), A("X")), "S9F11"},
                      Malformed{"S2F49_objspec_not_text", L(U4(1), U4(1), A("X"), L()), "S9F7"},
                      Malformed{"S2F49_mixed_list",
                                L(U4(1), A("O"), A("X"), L(L(A("P"), L(U4(1), A("a"))))), "S9F7"},
                      Malformed{"S2F49_empty_list", L(U4(1), A("O"), A("X"), L(L(A("P"), L()))),
                                "S9F7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RemoteCommands, S2F49JoinsListValuesAndKeepsObjspec) {
    Receive(2, 49,
            L(U4(7), A(" CHAMBER1 "), A("PP-SELECT"),
              L(L(A("SLOTS"), L(U4(1), U4(2), U4(3))), L(A("PPID"), A("RECIPE-A")))));
    ASSERT_EQ(h.commands.size(), 1u);
    const KestCommand& c = h.commands[0];
    EXPECT_TRUE(c.IsEnhanced);
    EXPECT_EQ(c.OBJSPEC, "CHAMBER1");
    EXPECT_EQ(c.RCMD, "PP-SELECT");
    ASSERT_EQ(c.Inputs().size(), 2u);
    EXPECT_EQ(c.Inputs()[0].CPVAL.ToText(), "1,2,3");
    EXPECT_EQ(c.Inputs()[1].CPVAL.ToText(), "RECIPE-A");
    EXPECT_EQ(c.S2F49type, "TypeDefault");  // the last parameter decides
}

}  // namespace
}  // namespace kest::test
