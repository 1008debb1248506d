// Equipment constants from the host: read, changed (all checks before any write) and listed.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

struct ConstantCase : HostCase {
    const char* temp = "100";  ///< the value of constant 2001 afterwards
    const char* changed = "";  ///< the event's outputs as "Name=Value;", or "" for no event
};

/// User constants 2001 Temp (U4 100, 0..500 C, default 50), 2002 Mode (A, "A".."B" ignored),
/// 2003 Gain (F4 1.5, only a minimum) and the status variable 2004 Pressure.
class Constants : public HostTest, public ::testing::WithParamInterface<ConstantCase> {
  protected:
    void SetUp() override {
        AddConstant(2001, "Temp", enmItemFormat::FormatU4, "100", "0", "500", "50", "C");
        AddConstant(2002, "Mode", enmItemFormat::FormatAscii, "AUTO", "A", "B", "NULL", "NULL");
        AddConstant(2003, "Gain", enmItemFormat::FormatF4, "1.5", "1", "NULL", "NULL", "NULL");
        AddVariable(2004, "Pressure", enmItemFormat::FormatU4, "7");
        Forget();
    }
    void AddConstant(std::int32_t id, const std::string& name, enmItemFormat format,
                     const std::string& value, const std::string& min, const std::string& max,
                     const std::string& def, const std::string& unit) {
        KestRecVariable v;
        v.SetID(id);
        v.SetName(name);
        v.SetVarFormat(static_cast<int>(format));
        v.SetValue(value);
        v.SetVarType("EC");
        v.SetMin(min);
        v.SetMax(max);
        v.SetDefaultValue(def);
        v.SetUnit(unit);
        ASSERT_TRUE(h.Db().VariableAddRecord(v)) << name;
    }
    std::string Value(std::int32_t id) const {
        return h.Db().VariableGetField(Variant(id), FLDID_VARIABLE::VAR_VAL, false).ToText();
    }
    std::string Changed() const {
        std::string text;
        for (const KestEvent& e : h.events) {
            EXPECT_EQ(e.ServiceName + "/" + e.EventName, "GEMConstant/ConstantChanged");
            for (const KestItem& item : e.Outputs())
                text += item.ItemName + "=" + item.ItemValue.ToText() + ";";
        }
        return text;
    }
};

TEST_P(Constants, AreAnsweredAndChangedOnlyWhenEveryPairIsGood) {
    const ConstantCase& c = GetParam();
    Check(c);
    EXPECT_EQ(Value(2001), c.temp);
    EXPECT_EQ(Changed(), c.changed);
}

ConstantCase Ask(const char* label, int function, SecsItem body, SecsItem reply) {
    return {{label, SecsMessage(2, function, true, std::move(body)), std::move(reply)}};
}

ConstantCase Set(const char* label, SecsItem pairs, int eac, const char* temp = "100",
                 const char* changed = "") {
    return {
        {label, SecsMessage(2, 15, true, std::move(pairs)), B({std::uint8_t(eac)})}, temp, changed};
}

ConstantCase Refused(const char* label, int function, SecsItem body, const char* refusal = "S9F7") {
    return {{label, SecsMessage(2, function, true, std::move(body)), std::nullopt, refusal}};
}

SecsItem TempName() {
    return L(U4(2001), A("Temp"), U4(0), U4(500), U4(50), A("C"));
}

INSTANTIATE_TEST_SUITE_P(
    Stream2, Constants,
    ::testing::Values(
        Ask("values", 13, L(U4(2001), U4(2004), U4(9999), U4(2002)),
            L(U4(100), A(), A(), A("AUTO"))),
        Ask("names", 29, L(U4(2001), U4(2004), U4(2002)),
            L(TempName(), L(), L(U4(2002), A("Mode"), A("A"), A("B"), A(), A()))),
        Refused("values_ecid_u2", 13, L(U2(2001))), Refused("names_not_list", 29, U4(2001)),
        Set("two_pairs", L(L(U4(2001), U4(500)), L(U4(2002), A("AB"))), 0, "500",
            "Temp=500;Mode=AB;"),
        Set("second_out_of_range", L(L(U4(2001), U4(200)), L(U4(2001), U4(900))), 4),
        Set("above_max", L(L(U4(2001), U4(501))), 4),
        Set("only_a_minimum", L(L(U4(2003), F4(1000))), 0, "100", "Gain=1000;"),
        Set("not_a_constant", L(L(U4(2001), U4(1)), L(U4(2004), U4(1))), 1),
        Set("unknown", L(L(U4(9999), U4(1))), 1), Refused("value_as_u2", 15, L(L(U4(2001), U2(1)))),
        Refused("ecid_as_u1", 15, L(L(U1(1), U4(1)))), Refused("empty", 15, L(), "S9F11"),
        Refused("pair_of_three", 15, L(L(U4(2001), U4(1), U4(2))), "S9F11")),
    kLabel);

TEST_F(Constants, AnAcceptedChangeIsRecordedAndEveryConstantIsListed) {
    Check(Set("three", L(L(U4(2003), F4(2)), L(U4(2001), U4(0)), L(U4(2002), A("B"))), 0, "0",
              "Gain=2;Temp=0;Mode=B;"));
    EXPECT_EQ(h.Rows("SELECT * FROM secs_ec_changed ORDER BY rowid"),
              (std::vector<std::string>{"1|TotalChanged|3", "2|ECID|2003", "3|ECID|2001",
                                        "4|ECID|2002"}));
    Forget();
    Receive(2, 13, L());
    const SecsItem all = OnlyReplyBody("S2F14");
    const auto constants = h.Db().VariableGetAll(true, "EC").size() + 3;
    ASSERT_EQ(all.Count(), constants);
    EXPECT_EQ(all.Item(constants - 2), U4(0));  // user constants last, in ID order
    Forget();
    Receive(2, 29, L());
    EXPECT_EQ(OnlyReplyBody("S2F30").Item(constants - 2), TempName());
}

TEST_F(Constants, ATextOutsideItsBoundsIsLeftToTheDatabaseWhichRefusesIt) {
    // No EAC 4 for text; the write itself refuses, so EAC 2 and the constants before it stay.
    Receive(2, 15, L(L(U4(2001), U4(300)), L(U4(2002), A("Z")), L(U4(2003), F4(3))));
    EXPECT_EQ(OnlyReplyBody("S2F16"), B({2}));
    EXPECT_EQ(h.ErrorCodes(), std::vector<int>{5011});
    EXPECT_EQ(Value(2001), "300");
    EXPECT_EQ(Value(2003), "1.5");
    EXPECT_EQ(Changed(), "Temp=300;");
}

}  // namespace
}  // namespace kest::test
