// The handlers still to be built (these lists shrink as the handlers of the other streams
// arrive), and the replies the handler owns but cannot handle yet.
#include <gtest/gtest.h>

#include "host/routing.h"
#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

TEST(Routing, PendingPrimaryHandlers) {
    EXPECT_EQ(
        PendingHandlers(PrimaryRoutes()),
        (std::vector<std::string>{
            "ReplyS2F13", "ReplyS2F15", "ReplyS2F17", "ReplyS2F21", "ReplyS2F23", "ReplyS2F25",
            "ReplyS2F29", "ReplyS2F31", "ReplyS2F33", "ReplyS2F35", "ReplyS2F37", "ReplyS2F39",
            "ReplyS2F43", "ReplyS2F45", "ReplyS2F47", "ReplyS5F3",  "ReplyS5F5",  "ReplyS5F7",
            "ReplyS7F1",  "ReplyS7F3",  "ReplyS7F5",  "ReplyS7F17", "ReplyS7F19", "ReplyS10F3",
            "ReplyS10F5", "ReplyS12F4"}));
}

TEST(Routing, PendingSecondaryHandlers) {
    EXPECT_EQ(PendingHandlers(SecondaryRoutes()),
              (std::vector<std::string>{"ReplyS12F2", "ReplyS12F4", "ReplyS12F6", "ReplyS12F8",
                                        "ReplyS12F10", "ReplyS12F12", "ReplyS12F14", "ReplyS12F16",
                                        "ReplyS12F18", "ReplyS5F2", "ReplyS6F12", "ReplyS7F4",
                                        "ReplyS7F6", "ReplyS10F2", "ReplyS14F2"}));
}

class SecondaryRouting : public HostTest {};

TEST_F(SecondaryRouting, RepliesWithoutAHandlerAreIgnoredQuietly) {
    auto sent = h.driver->CreateTransaction("S12F3");
    h.driver->InjectReply(sent, SecsMessage(12, 4, false, L(A("MID"))));
    auto alarm = h.driver->CreateTransaction("S5F1");
    h.driver->InjectReply(alarm, SecsMessage(5, 2, false, B({0})));
    auto other = h.driver->CreateTransaction("S1F13");
    h.driver->InjectReply(other,
                          SecsMessage(9, 2, false, B({0x80, 0, 1, 13, 0x80, 1, 0, 0, 0, 0})));
    EXPECT_TRUE(h.errors.empty());
    EXPECT_TRUE(h.events.empty());
    EXPECT_TRUE(h.driver->replies.empty());
    EXPECT_TRUE(Sent().empty());
}

}  // namespace
}  // namespace kest::test
