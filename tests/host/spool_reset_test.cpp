// S2F43: the host chooses which messages are spooled; a refused request changes nothing.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

struct ResetCase : HostCase {
    std::vector<std::string> spooled;  ///< the messages spooled afterwards
};

class SpoolReset : public HostTest, public ::testing::WithParamInterface<ResetCase> {
  protected:
    // Every message whose row enables spooling, as "S5F1".
    std::vector<std::string> Spooled() const {
        std::vector<std::string> names;
        for (int stream = 1; stream <= 20; ++stream) {
            for (std::int32_t function : h.Db().SpoolSupportFunc(stream)) {
                auto row = h.Db().SFGetRecord(stream, function);
                if (row && row->spool_enable) names.push_back(MessageName(stream, function));
            }
        }
        return names;
    }
};

TEST_P(SpoolReset, SpoolsWhatTheHostChose) {
    const std::vector<std::string> before = Spooled();
    ASSERT_GT(before.size(), 3u);
    Check(GetParam());
    const auto& spooled = GetParam().spooled;
    EXPECT_EQ(Spooled(), spooled.size() == 1 && spooled[0] == "unchanged" ? before : spooled);
}

ResetCase Reset(const char* label, SecsItem body, SecsItem reply,
                std::vector<std::string> spooled = {"unchanged"}) {
    return {{label, SecsMessage(2, 43, true, std::move(body)), std::move(reply)},
            std::move(spooled)};
}

ResetCase Refused(const char* label, SecsItem body, const char* refusal) {
    return {{label, SecsMessage(2, 43, true, std::move(body)), std::nullopt, refusal},
            {"unchanged"}};
}

SecsItem Rejected(int strid, int strack, SecsItem functions = L()) {
    return L(B({1}), L(L(U1(strid), B({std::uint8_t(strack)}), std::move(functions))));
}

INSTANTIATE_TEST_SUITE_P(
    Stream2, SpoolReset,
    ::testing::Values(
        Reset("nothing_spooled", L(), L(B({0}), L()), {}),
        Reset("stream_5_only_s5f1", L(L(U1(5), L(U1(1)))), L(B({0}), L()),
              {"S5F1", "S6F1", "S6F11", "S10F1"}),
        Reset("stream_6_only_s6f11", L(L(U1(6), L(U1(11)))), L(B({0}), L()),
              {"S5F1", "S6F11", "S10F1"}),
        Reset("stream_1", L(L(U1(1), L(U1(13)))), Rejected(1, 1)),
        Reset("unknown_stream", L(L(U1(99), L(U1(1)))), Rejected(99, 2)),
        Reset("reply_function", L(L(U1(6), L(U1(11), U1(12)))), Rejected(6, 4, L(U1(12)))),
        Reset("unspoolable_function", L(L(U1(6), L(U1(15)))), Rejected(6, 3, L(U1(15)))),
        Reset("second_entry_refused", L(L(U1(5), L()), L(U1(1), L())), Rejected(1, 1)),
        Refused("entry_of_one", L(L(U1(5))), "S9F11"),
        Refused("strid_two_values", L(L(U1(5, 6), L())), "S9F7"),
        Refused("strid_as_u2", L(L(U2(5), L(U1(1)))), "S9F7"),
        Refused("fcnid_as_a", L(L(U1(5), L(A("1")))), "S9F7"),
        Refused("not_a_list", U1(5), "S9F7")),
    kLabel);

TEST_F(SpoolReset, AStreamWithNoFunctionsIsNoLongerSpooled) {
    Check(Reset("stream_5_none", L(L(U1(5), L()), L(U1(6), L(U1(11)))), L(B({0}), L())));
    const std::vector<std::string> spooled = Spooled();
    EXPECT_EQ(std::count_if(spooled.begin(), spooled.end(),
                            [](const std::string& n) { return n.starts_with("S5F"); }),
              0);
    EXPECT_EQ(std::count(spooled.begin(), spooled.end(), "S6F11"), 1);
    EXPECT_EQ(std::count(spooled.begin(), spooled.end(), "S6F1"), 0);
}

}  // namespace
}  // namespace kest::test
