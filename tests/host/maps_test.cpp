// The host's wafer-map replies stored into "secs_S12data_HostToEquip": the rows each one changes
// (and only those), and the replies refused whole with nothing stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

constexpr const char* kTable =
    "SELECT attribute_name, NumberX, attribute_format, attribute_value "
    "FROM secs_S12data_HostToEquip ORDER BY attribute_name, NumberX";

struct StoreCase {
    const char* label;
    SecsMessage reply;  ///< to the equipment's primary of the same stream, function - 1
    std::vector<std::string> changed;  ///< rows "name|number|format|value"; none: refused
    const char* refusal = "S9F7";
};

class MapReplies : public HostTest, public ::testing::WithParamInterface<StoreCase> {
  protected:
    void SetUp() override {
        // The occurrences an application adds for its maps; BINLT 4 stays as it is.
        h.Sql(
            "INSERT INTO secs_S12data_HostToEquip VALUES ('REFP', '1', 'NotUsed', 'NULL'), "
            "('REFP', '2', 'NotUsed', 'NULL'), ('RSINF', '1', 'NotUsed', 'NULL'), "
            "('RSINF', '2', 'NotUsed', 'NULL'), ('RSINF', '3', 'NotUsed', 'NULL'), "
            "('XYPOS', '1', 'NotUsed', 'NULL'), ('XYPOS', '2', 'NotUsed', 'NULL'), "
            "('BINLT', '1', 'NotUsed', 'NULL'), ('BINLT', '2', 'NotUsed', 'NULL'), "
            "('BINLT', '3', 'NotUsed', 'NULL'), ('BINLT', '4', 'A', 'old')");
    }
    // The rows that differ from `before`, sorted.
    std::vector<std::string> Changed(const std::vector<std::string>& before) const {
        std::vector<std::string> after = h.Rows(kTable), changed;
        std::copy_if(after.begin(), after.end(), std::back_inserter(changed), [&](auto& row) {
            return std::find(before.begin(), before.end(), row) == before.end();
        });
        std::sort(changed.begin(), changed.end());
        return changed;
    }
};

TEST_P(MapReplies, StoreEveryItemOrNothing) {
    const StoreCase& c = GetParam();
    const std::vector<std::string> before = h.Rows(kTable);
    const std::string primary = MessageName(12, c.reply.Function() - 1);
    h.driver->InjectReply(h.driver->CreateTransaction(primary), c.reply);
    EXPECT_TRUE(h.errors.empty()) << h.errors.front().ErrText;
    std::vector<std::string> expected = c.changed;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Changed(before), expected);
    if (c.changed.empty()) {
        EXPECT_EQ(Sent().size(), 1u);
        ExpectStream9(0, c.refusal,
                      {0x80, 0x00, 12, static_cast<std::uint8_t>(c.reply.Function()), 0x80, 0x01, 0,
                       0, 0, 0});
    } else {
        EXPECT_TRUE(Sent().empty());
    }
}

SecsMessage R(int function, SecsItem body) {
    return Reply(12, function, std::move(body));
}

std::string Trigger(const char* name) {
    return std::string("S12_Trigger|NotUsed|A|") + name;
}

SecsItem SetupData(SecsItem points) {
    return L(A("W1"), B({0}), U2(90), B({2}), U1(1), std::move(points), A("mm"), U4(10), U4(11),
             U4(12), U4(13), U4(100), A("1"), A("."), U4(200));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, MapReplies,
    ::testing::Values(
        StoreCase{"S12F2", R(2, B({0})), {"SDACK|NotUsed|B|0", Trigger("S12F2")}},
        StoreCase{"S12F2_trimmed", R(2, A(" 3 ")), {"SDACK|NotUsed|A|3", Trigger("S12F2")}},
        StoreCase{"S12F6", R(6, B({1})), {"GRNT|NotUsed|B|1", Trigger("S12F6")}},
        StoreCase{"S12F8", R(8, U1(2)), {"MDACK|NotUsed|U1|2", Trigger("S12F8")}},
        StoreCase{"S12F10", R(10, B({0})), {"MDACK|NotUsed|B|0", Trigger("S12F10")}},
        StoreCase{"S12F12", R(12, B({3})), {"MDACK|NotUsed|B|3", Trigger("S12F12")}},
        StoreCase{"S12F4",
                  R(4, SetupData(L(I4(1, 2), I4(-3, 4)))),
                  {"BCEQU|NotUsed|A|1", "COLCT|NotUsed|U4|13", "DUTMS|NotUsed|A|mm",
                   "FNLOC|NotUsed|U2|90", "IDTYP|NotUsed|B|0", "MID|NotUsed|A|W1",
                   "MLCL|NotUsed|U4|200", "NULBC|NotUsed|A|.", "ORLOC|NotUsed|B|2",
                   "PRDCT|NotUsed|U4|100", "REFP|1|I4|1,2", "REFP|2|I4|-3,4", "ROWCT|NotUsed|U4|12",
                   "RPSEL|NotUsed|U1|1", "S12F4_ChildCount|NotUsed|U4|2",
                   "S12_Trigger|NotUsed|A|S12F4", "XDIES|NotUsed|U4|10", "YDIES|NotUsed|U4|11"}},
        StoreCase{"S12F14_three_of_four",
                  R(14, L(A("W1"), B({0}),
                          L(L(I4(0, 0, 3), A("111")), L(I4(0, 1, 3), A("222")),
                            L(I4(0, 2, 3), A("333"))))),
                  {"BINLT|1|A|111", "BINLT|2|A|222", "BINLT|3|A|333", "IDTYP|NotUsed|B|0",
                   "MID|NotUsed|A|W1", "RSINF|1|I4|0,0,3", "RSINF|2|I4|0,1,3", "RSINF|3|I4|0,2,3",
                   "S12F14_ChildCount|NotUsed|U4|3", Trigger("S12F14")}},
        StoreCase{"S12F16",
                  R(16, L(A("W2"), B({1}), I2(3, 4), A("0101"))),
                  {"BINLT|NotUsed|A|0101", "IDTYP|NotUsed|B|1", "MID|NotUsed|A|W2",
                   "STRP|NotUsed|I2|3,4", Trigger("S12F16")}},
        StoreCase{
            "S12F18_values_as_text",
            R(18, L(A("W3"), B({2}), L(L(F4(0.1f), Boolean({true, false})), L(I2(), A())))),
            {"BINLT|1|BL|True,False", "BINLT|2|A|", "IDTYP|NotUsed|B|2", "MID|NotUsed|A|W3",
             "S12F18_ChildCount|NotUsed|U4|2", Trigger("S12F18"), "XYPOS|1|F4|0.1", "XYPOS|2|I2|"}},
        StoreCase{"S12F2_two_codes", R(2, B({0, 1})), {}},
        StoreCase{"S12F2_no_code", R(2, B()), {}}, StoreCase{"S12F2_empty_text", R(2, A()), {}},
        StoreCase{"S12F6_as_list", R(6, L(B({0}))), {}},
        StoreCase{"S12F8_header_only", Reply(12, 8), {}},
        StoreCase{"S12F4_fourteen_items", R(4, L(A("W1"), B({0}))), {}},
        StoreCase{"S12F4_point_as_list", R(4, SetupData(L(I4(1), L()))), {}},
        StoreCase{"S12F4_points_not_a_list", R(4, SetupData(I4(1))), {}},
        StoreCase{
            "S12F14_pair_of_three", R(14, L(A("W1"), B({0}), L(L(I4(1), A("1"), A("2"))))), {}},
        StoreCase{"S12F14_pairs_as_text", R(14, L(A("W1"), B({0}), A("11"))), {}},
        StoreCase{"S12F16_three_items", R(16, L(A("W2"), B({1}), I2(3))), {}},
        StoreCase{"S12F16_five_items", R(16, L(A("W2"), B({1}), I2(3), A("1"), A("2"))), {}},
        StoreCase{"S12F18_mid_as_list", R(18, L(L(), B({0}), L())), {}},
        StoreCase{
            "S12F18_die_as_leaf", R(18, L(A("W1"), B({0}), L(L(I2(1), A("1")), A("2")))), {}}),
    kLabel);

TEST_F(MapReplies, MoreThanAMillionPointsOrDiesAreTooLong) {
    const std::vector<std::string> before = h.Rows(kTable);
    // The count is refused before any element is looked at.
    SecsItem many;
    many.ReserveChildren(1'000'001);
    for (int i = 0; i < 1'000'001; ++i)
        many.AddItem(enmItemFormat::FormatI4);
    h.driver->InjectReply(h.driver->CreateTransaction("S12F17"), R(18, L(A("W1"), B({0}), many)));
    h.driver->InjectReply(h.driver->CreateTransaction("S12F3"), R(4, SetupData(std::move(many))));
    EXPECT_EQ(Changed(before), std::vector<std::string>{});
    EXPECT_EQ(Sent(), (std::vector<std::string>{"S9F11", "S9F11"}));
}

TEST_F(MapReplies, SetupDataFromTheHostUnaskedIsStoredAndNotAnswered) {
    const std::vector<std::string> before = h.Rows(kTable);
    Receive(SecsMessage(12, 4, false, SetupData(L())));
    EXPECT_TRUE(h.errors.empty());
    const std::vector<std::string> changed = Changed(before);
    EXPECT_EQ(changed.size(), 15u);  // the count of no points was already 0
    EXPECT_NE(std::find(changed.begin(), changed.end(), Trigger("S12F4")), changed.end());
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(h.driver->replies.empty());
}

}  // namespace
}  // namespace kest::test
