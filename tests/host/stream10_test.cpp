// Stream 10 from the host: terminal displays acknowledged, stamped with the equipment's time,
// stored for the equipment software and announced; blank ones close the message window; and
// the refusals of malformed ones.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

constexpr const char* kKept = "earlier";

struct DisplayCase : HostCase {
    std::optional<std::string>
        text;  ///< the announced and stored text after the stamp; none: blank
};

/// The message window open on an earlier text, the stored message that text, and the clock at
/// 10:01:23 (the harness starts it at 10:00:00 UTC on 5 December 2026).
class TerminalDisplay : public HostTest, public ::testing::WithParamInterface<DisplayCase> {
  protected:
    void SetUp() override {
        h.clock->Advance(std::chrono::seconds(83));
        h.core->DisplayMessage("earlier");
        ASSERT_TRUE(
            h.Db().UpdateMessageToMDB("secsgem_host_to_equip", "S10F3", "MessageFromHost", kKept));
        Forget();
    }

    std::string Stored() const {
        return h.Db().readfrommysqlgen("secsgem_host_to_equip", "S10F3", "MessageFromHost");
    }
};

TEST_P(TerminalDisplay, IsAcknowledgedStoredAndAnnounced) {
    const DisplayCase& c = GetParam();
    Check(c);
    if (c.refusal != nullptr) {
        EXPECT_EQ(Stored(), kKept);
        EXPECT_TRUE(h.core->MessageWindowOpen());
        return;
    }
    const std::string stamped = "S10F320261205 10:01:23> " + c.text.value_or("");
    EXPECT_EQ(Stored(), c.text ? stamped : kKept);
    // The handler shows nothing itself; a blank display closes the window.
    EXPECT_EQ(h.core->MessageWindowOpen(), c.text.has_value());
    ASSERT_EQ(h.EventNames(), std::vector<std::string>{"GEMTerminal/MessageReceived"});
    EXPECT_EQ(h.events[0].Outputs().size(), 1u);
    EXPECT_EQ(h.events[0].Output("TEXT").ToText(), c.text ? stamped : "NULL");
}

DisplayCase Shown(const char* label, int function, SecsItem body, std::optional<std::string> text) {
    return {{label, SecsMessage(10, function, true, std::move(body)), B({0})}, text};
}

DisplayCase Refused(const char* label, int function, std::optional<SecsItem> body,
                    const char* refusal = "S9F7") {
    SecsMessage primary =
        body ? SecsMessage(10, function, true, std::move(*body)) : SecsMessage(10, function, true);
    return {{label, std::move(primary), std::nullopt, refusal}, std::nullopt};
}

SecsItem ManyLines() {
    SecsItem lines = L();
    for (int i = 0; i < 1000; ++i)
        lines.AddItem(A(" x "));
    return L(B({0}), std::move(lines));
}

std::string ManyJoined() {
    std::string joined = "x";
    for (int i = 1; i < 1000; ++i)
        joined += "|x";
    return joined;
}

INSTANTIATE_TEST_SUITE_P(
    Stream10, TerminalDisplay,
    ::testing::Values(Shown("single_trimmed", 3, L(B({0}), A("  Hello  ")), "Hello"),
                      Shown("single_tid_any_format", 3, L(U4(7), A("Go on")), "Go on"),
                      Shown("single_empty", 3, L(B({0}), A("")), std::nullopt),
                      Shown("single_blanks_only", 3, L(B({0}), A("   ")), std::nullopt),
                      Shown("multi_joined", 5, L(B({0}), L(A("A"), A("  B "))), "A|B"),
                      Shown("multi_blank_lead_skipped", 5,
                            L(B({0}), L(A(" "), A("A"), A(""), A("B"))), "A||B"),
                      Shown("multi_no_lines", 5, L(B({0}), L()), std::nullopt),
                      Shown("multi_thousand_lines", 5, ManyLines(), ManyJoined()),
                      Refused("single_no_body", 3, std::nullopt),
                      Refused("single_text_as_binary", 3, L(B({0}), B({'H', 'i'}))),
                      Refused("single_text_as_list", 3, L(B({0}), L(A("Hi")))),
                      Refused("single_three_items", 3, L(B({0}), A("Hi"), A("x")), "S9F11"),
                      Refused("single_not_a_list", 3, A("Hi"), "S9F11"),
                      Refused("multi_no_body", 5, std::nullopt),
                      Refused("multi_a_binary_line", 5, L(B({0}), L(A("A"), B({'B'})))),
                      Refused("multi_lines_not_a_list", 5, L(B({0}), A("A"))),
                      Refused("multi_one_item", 5, L(B({0})), "S9F11")),
    kLabel);

TEST_F(HostTest, ATerminalDisplayWithoutWBitIsStillAnnounced) {
    Receive(SecsMessage(10, 3, false, L(B({0}), A("quiet"))));
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(h.EventNames(), std::vector<std::string>{"GEMTerminal/MessageReceived"});
}

}  // namespace
}  // namespace kest::test
