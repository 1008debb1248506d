// Variable limits from the host: defined only when the whole message is good, read back in
// each variable's format.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

struct LimitCase : HostCase {
    std::vector<std::string> rows;  ///< the limit table afterwards: "id|vid|upper|lower"
};

const std::vector<std::string> kSeeded{"1|2001|400|300"};

/// Status variables 2001 Temp (U4, 0..500 C) with limit 1 (400/300), 2002 Level (F4, 0..10),
/// 2003 Count (U4, no maximum) and 2004 Part (U4 0..9, the child of list 2005).
class Limits : public HostTest, public ::testing::WithParamInterface<LimitCase> {
  protected:
    void SetUp() override {
        Add(2001, enmItemFormat::FormatU4, "0", "500", 0, "C");
        Add(2002, enmItemFormat::FormatF4, "0", "10", 0);
        Add(2003, enmItemFormat::FormatU4, "0", "NULL", 0);
        Add(2005, enmItemFormat::FormatList, "NULL", "NULL", 0);
        Add(2004, enmItemFormat::FormatU4, "0", "9", 2005);
        ASSERT_TRUE(h.Db().LimitAddAttr({1, 2001, "400", "300", 0}));
        Forget();
    }
    void Add(std::int32_t id, enmItemFormat format, const std::string& min, const std::string& max,
             std::int32_t parent, const std::string& unit = "NULL") {
        KestRecVariable v;
        v.SetID(id);
        v.SetName("V" + std::to_string(id));
        v.SetVarFormat(static_cast<int>(format));
        v.SetValue("1");
        v.SetVarType("SV");
        v.SetMin(min);
        v.SetMax(max);
        v.SetUnit(unit);
        v.SetParentKey(parent);
        ASSERT_TRUE(h.Db().VariableAddRecord(v)) << id;
    }
    std::vector<std::string> Rows() const {
        return h.Rows(
            "SELECT limit_id, var_id, UpperDB, LowerDB FROM limit_definition "
            "ORDER BY var_id, limit_id");
    }
};

TEST_P(Limits, AreDefinedOnlyWhenTheWholeMessageIsGood) {
    const LimitCase& c = GetParam();
    Check(c);
    EXPECT_EQ(Rows(), c.rows);
    const bool accepted = c.reply && c.reply->Item(1) == B({0});
    EXPECT_EQ(h.EventNames(), accepted ? std::vector<std::string>{"GEMLimit/LimitSetup"}
                                       : std::vector<std::string>{});
}

SecsItem Band(std::uint8_t id, SecsItem upper, SecsItem lower) {
    return L(B({id}), L(std::move(upper), std::move(lower)));
}

LimitCase Define(const char* label, SecsItem variables, std::vector<std::string> rows) {
    return {{label, SecsMessage(2, 45, true, L(U4(1), std::move(variables))), L(B({0}), L())},
            std::move(rows)};
}

// Refused with VLAACK 1 and the entry {VID, LVACK, limit}: nothing changes.
LimitCase Fault(const char* label, SecsItem variables, std::uint32_t vid, std::uint8_t lvack,
                SecsItem limit = L()) {
    return {{label, SecsMessage(2, 45, true, L(U4(1), std::move(variables))),
             L(B({1}), L(L(U4(vid), B({lvack}), std::move(limit))))},
            kSeeded};
}

LimitCase Refused(const char* label, SecsItem body, const char* refusal = "S9F7") {
    return {{label, SecsMessage(2, 45, true, std::move(body)), std::nullopt, refusal}, kSeeded};
}

SecsItem LimitAck(std::uint8_t id, std::uint8_t ack) {
    return L(B({id}), B({ack}));
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Stream2, Limits,
    ::testing::Values(
        Define("replace_add_and_delete",
               L(L(U4(2001), L(Band(2, U4(450), U4(50)), L(B({1}), L()))),
                 L(U4(2002), L(L(U1(3), L(F4(9.5F), F4(9.5F)))))),
               {"2|2001|450|50", "3|2002|9.5|9.5"}),
        Define("every_limit_of_a_variable", L(L(U4(2001), L())), {}),
        Define("every_limit", L(), {}), Fault("unknown_vid", L(L(U4(9999), L())), 9999, 1),
        Fault("child_of_a_list", L(L(U4(2004), L())), 2004, 1),
        Fault("no_maximum", L(L(U4(2003), L())), 2003, 2),
        Fault("vid_twice", L(L(U4(2001), L()), L(U4(2002), L()), L(U4(2001), L())), 2001, 3),
        Fault("limit_id_0", L(L(U4(2001), L(Band(0, U4(2), U4(1))))), 2001, 4, LimitAck(0, 1)),
        Fault("limit_id_256", L(L(U4(2001), L(L(U2(256), L())))), 2001, 4, LimitAck(255, 1)),
        Fault("above_max", L(L(U4(2001), L(Band(5, U4(501), U4(1))))), 2001, 4, LimitAck(5, 2)),
        Fault("below_min", L(L(U4(2002), L(Band(5, F4(1), F4(-0.5F))))), 2002, 4, LimitAck(5, 3)),
        Fault("upper_below_lower", L(L(U4(2001), L(Band(5, U4(1), U4(2))))), 2001, 4,
              LimitAck(5, 4)),
        Fault("other_format", L(L(U4(2001), L(Band(5, U2(2), U4(1))))), 2001, 4, LimitAck(5, 5)),
        Fault("not_a_number", L(L(U4(2002), L(Band(5, F4(kNaN), F4(1))))), 2002, 4, LimitAck(5, 5)),
        Fault("infinite", L(L(U4(2002), L(Band(5, F4(1), F4(-kInf))))), 2002, 4, LimitAck(5, 5)),
        Fault("limit_id_twice", L(L(U4(2001), L(Band(5, U4(2), U4(1)), L(B({5}), L())))), 2001, 4,
              LimitAck(5, 7)),
        Fault("good_then_bad",
              L(L(U4(2002), L(Band(4, F4(2), F4(1)))),
                L(U4(2001), L(Band(5, U4(9), U4(1)), Band(6, U4(999), U4(1))))),
              2001, 4, LimitAck(6, 2)),
        Refused("root_of_three", L(U4(1), L(), L()), "S9F11"), Refused("dataid_u2", L(U2(1), L())),
        Refused("vid_u2", L(U2(1), L(L(U2(2001), L())))),
        Refused("variable_of_three", L(U4(1), L(L(U4(2001), L(), L())))),
        Refused("bands_of_one", L(U4(1), L(L(U4(2001), L(L(B({1}), L(U4(1)))))))),
        Refused("limit_id_signed", L(U4(1), L(L(U4(2001), L(L(I4(1), L()))))))),
    kLabel);

TEST_F(Limits, AreReadBackInTheVariablesFormat) {
    Receive(2, 47, L(U4(2001), U4(9999), U4(2004), U4(2002)));
    EXPECT_EQ(OnlyReplyBody("S2F48"),
              L(L(U4(2001), L(A("C"), U4(0), U4(500), L(L(B({1}), U4(400), U4(300))))),
                L(U4(9999), L()), L(U4(2004), L()), L(U4(2002), L(A(), F4(0), F4(10), L()))));
    Forget();
    Receive(2, 47, L());
    EXPECT_EQ(OnlyReplyBody("S2F48"),
              L(L(U4(2001), L(A("C"), U4(0), U4(500), L(L(B({1}), U4(400), U4(300)))))));
    Forget();
    Check({"vid_u1", SecsMessage(2, 47, true, L(U1(1))), std::nullopt, "S9F7"});
}

}  // namespace
}  // namespace kest::test
