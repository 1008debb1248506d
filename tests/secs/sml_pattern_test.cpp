#include "secs/sml_pattern.h"

#include <gtest/gtest.h>

#include "secs/sml.h"

namespace kest {
namespace {

bool Matches(const char* actual, const char* pattern, std::string* why = nullptr) {
    return MatchItem(ParseSml(actual), ParseSml(pattern), why);
}

TEST(SmlPattern, WildcardsExactValuesAndLists) {
    EXPECT_TRUE(Matches("<L [2] <B 0x00> <L [2] <A \"M\"> <A \"1\">>>", "<L <B 0> <V>>"));
    EXPECT_TRUE(Matches("<U4 7>", "<V>"));
    EXPECT_TRUE(Matches("<L>", "<V>"));
    EXPECT_FALSE(Matches("<U4 7>", "<U4 8>"));
    EXPECT_FALSE(Matches("<U4 7>", "<U2 7>"));
    EXPECT_FALSE(Matches("<U4 7 8>", "<U4 7>"));
    EXPECT_FALSE(Matches("<L <U4 1>>", "<L <U4 1> <V>>"));
    std::string why;
    EXPECT_FALSE(Matches("<L <L <U4 1> <A \"x\">>>", "<L <L <U4 1> <A \"y\">>>", &why));
    EXPECT_EQ(why, "item 1.2: expected <A \"y\">, got <A \"x\">");
}

TEST(SmlPattern, MessagesMatchHeaderAndOptionalBody) {
    SecsMessage reply = ParseSmlMessage("S1F14 <L [2] <B 0> <L>>");
    EXPECT_TRUE(MatchMessage(reply, ParseSmlMessage("S1F14")));
    EXPECT_TRUE(MatchMessage(reply, ParseSmlMessage("S1F14 <L <B 0> <V>>")));
    std::string why;
    EXPECT_FALSE(MatchMessage(reply, ParseSmlMessage("S1F4"), &why));
    EXPECT_EQ(why, "expected S1F4, got S1F14");
    EXPECT_FALSE(MatchMessage(ParseSmlMessage("S1F14"), ParseSmlMessage("S1F14 <L>"), &why));
}

}  // namespace
}  // namespace kest
