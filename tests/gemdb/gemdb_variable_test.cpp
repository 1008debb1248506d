// Variables: the reserved range, the GEM-variable write rule, key fields, min/max checks by
// format, the list children and the type filter.
#include <gtest/gtest.h>

#include <tuple>

#include "gemdb_fixture.h"

namespace kest::testing {
namespace {

KestRecVariable Variable(std::int32_t id, const std::string& name, int format,
                         const std::string& min = "NULL", const std::string& max = "NULL") {
    KestRecVariable variable;
    variable.SetID(id);
    variable.SetName(name);
    variable.SetVarFormat(format);
    variable.SetValue("0");
    variable.SetMin(min);
    variable.SetMax(max);
    return variable;
}

using Variables = GemDbTest;

TEST_F(Variables, VidsUpTo100AreReservedForGemVariables) {
    EXPECT_FALSE(db->VariableAddRecord(Variable(100, "V", 41)));
    EXPECT_EQ(LastErrorNumber(), 5006);
    EXPECT_EQ(events->errors.back().text,
              "This VID is reserved for GEM Variable. Please use VID > 100.");
    EXPECT_TRUE(db->VariableAddRecord(Variable(101, "V", 41)));
    EXPECT_TRUE(db->VariableGetRecord(101, false).has_value());
    EXPECT_FALSE(db->VariableGetRecord(101, true).has_value());
}

TEST_F(Variables, RecordRoundTripsWithFormatMnemonic) {
    KestRecVariable variable = Variable(200, "ChamberPressure", 36, "0", "100");
    variable.SetVarType("EC");
    variable.SetDescription("Pressure");
    variable.SetDefaultValue("1.5");
    variable.SetUnit("Pa");
    variable.SetParentKey(0);
    variable.SetAccessID("3");
    variable.SetOrderByAccessID(true);
    variable.SetAllowDuplicates(true);
    ASSERT_TRUE(db->VariableAddRecord(variable));
    EXPECT_EQ(db->VariableGetRecord("chamberpressure", false), variable);
    EXPECT_EQ(db->VariableGetField(200, FLDID_VARIABLE::VAR_FORMAT, false), Variant("F4"));
    EXPECT_EQ(db->VariableGetField(200, FLDID_VARIABLE::VAR_ALLOWDUPLICATES, false), Variant(true));
    EXPECT_EQ(db->VariableGetField(200, FLDID_VARIABLE::VAR_PARENTKEY, false), Variant(0));
}

TEST_F(Variables, UnknownFormatMnemonicReadsAsAscii) {
    ASSERT_TRUE(db->VariableAddRecord(Variable(200, "V", 44)));
    Sql("UPDATE secs_cusvar SET var_format = 'XYZ' WHERE var_id = 200");
    EXPECT_EQ(db->VariableGetRecord(200, false)->VarFormat(), 16);
    // A code without a mnemonic is written as "A".
    ASSERT_TRUE(db->VariableAddRecord(Variable(201, "W", 63)));
    EXPECT_EQ(db->VariableGetField(201, FLDID_VARIABLE::VAR_FORMAT, false), Variant("A"));
}

TEST_F(Variables, OnlyTheValueOfAGemVariableMayChange) {
    // 5005 comes before the database is touched: even with the file gone it is the answer.
    std::filesystem::remove(db_path);
    GEMDB detached(dir.Path());
    detached.SetParent(events);
    events->errors.clear();
    EXPECT_FALSE(detached.VariableSetField("CommState", FLDID_VARIABLE::VAR_DESC, "x", true));
    ExpectOnlyError(5005, "Cannot modify this field for the GEM Variable.",
                    "GEMDB:VariableSetField");
}

TEST_F(Variables, GemVariableValueWrites) {
    EXPECT_TRUE(db->VariableSetField("PPDirectory", FLDID_VARIABLE::VAR_VAL, "/srv/recipes", true));
    EXPECT_EQ(db->VariableGetField("PPDirectory", FLDID_VARIABLE::VAR_VAL, true),
              Variant("/srv/recipes"));
    EXPECT_FALSE(db->VariableSetField("PPDirectory", FLDID_VARIABLE::VAR_DEFAULTVAL, "/x", true));
    EXPECT_EQ(LastErrorNumber(), 5005);
}

class KeyField : public GemDbTest,
                 public ::testing::WithParamInterface<std::tuple<FLDID_VARIABLE, const char*>> {};

TEST_P(KeyField, IsRefusedWith5009) {
    auto [field, text] = GetParam();
    ASSERT_TRUE(db->VariableAddRecord(Variable(200, "V", 41)));
    EXPECT_FALSE(db->VariableSetField(200, field, "1", false));
    ExpectOnlyError(5009, text);
    EXPECT_EQ(db->VariableGetRecord(200, false), Variable(200, "V", 41));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, KeyField,
    ::testing::Values(std::tuple(FLDID_VARIABLE::VAR_ID,
                                 "Cannot modify Variable ID due to it is primary key."),
                      std::tuple(FLDID_VARIABLE::VAR_NAME,
                                 "Cannot modify Variable Name due to it is primary key."),
                      std::tuple(FLDID_VARIABLE::VAR_TYPE,
                                 "Cannot modify Variable Type due to it is primary key."),
                      std::tuple(FLDID_VARIABLE::VAR_FORMAT,
                                 "Cannot modify Variable Format due to it is primary key.")));

struct RangeCase {
    const char* format;
    const char* min;
    const char* max;
    const char* value;
    int expected;  // 0 accepted, 5010, 5011, or a conversion error number
};

class Range : public GemDbTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(Range, ValueAndDefaultAreCheckedByFormat) {
    const RangeCase& c = GetParam();
    KestRecVariable variable = Variable(200, "V", 16, c.min, c.max);
    ASSERT_TRUE(db->VariableAddRecord(variable));
    Sql(std::string("UPDATE secs_cusvar SET var_format = '") + c.format + "'");
    for (auto field : {FLDID_VARIABLE::VAR_VAL, FLDID_VARIABLE::VAR_DEFAULTVAL}) {
        events->errors.clear();
        bool written = db->VariableSetField(200, field, c.value, false);
        EXPECT_EQ(written, c.expected == 0);
        EXPECT_EQ(LastErrorNumber(), c.expected) << c.format << " " << c.value;
        Variant stored = db->VariableGetField(200, field, false);
        EXPECT_EQ(stored,
                  Variant(written ? c.value : (field == FLDID_VARIABLE::VAR_VAL ? "0" : "NULL")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Range,
    ::testing::Values(
        RangeCase{"U1", "0", "255", "300", 5011}, RangeCase{"U1", "0", "255", "255", 0},
        RangeCase{"U1", "0", "255", "0", 0}, RangeCase{"U1", "10", "255", "9", 5010},
        RangeCase{"U1", "0", "0", "300", 0},     // equal bounds: no check
        RangeCase{"U1", "NULL", "5", "300", 0},  // one bound absent
        RangeCase{"I4", "-10", "10", "-11", 5010}, RangeCase{"I4", "-10", "10", "9", 0},
        RangeCase{"F4", "0.5", "1.5", "1.25", 0}, RangeCase{"F8", "0.5", "1.5", "1.51", 5011},
        RangeCase{"U4", "0", "10", "10.9", 0},  // fraction cut: 10
        RangeCase{"I2", "0", "10", "10.5", 0},  // rounds half to even: 10
        RangeCase{"A", "b", "d", "c", 0}, RangeCase{"A", "b", "d", "e", 5011},
        RangeCase{"A", "10", "20", "9", 5011},   // text order
        RangeCase{"U1", "0", "255", "abc", 13},  // type mismatch
        RangeCase{"B", "0", "100", "256", 6}));  // overflow

TEST_F(Variables, RangeMessagesNameTheField) {
    ASSERT_TRUE(db->VariableAddRecord(Variable(200, "V", 41, "1", "5")));
    db->VariableSetField(200, FLDID_VARIABLE::VAR_VAL, "0", false);
    EXPECT_EQ(events->errors.back().text,
              "Cannot modify Variable Value due to less than minimum value.");
    db->VariableSetField(200, FLDID_VARIABLE::VAR_VAL, "6", false);
    EXPECT_EQ(events->errors.back().text,
              "Cannot modify Variable Value due to exceed than maximum value.");
    db->VariableSetField(200, FLDID_VARIABLE::VAR_DEFAULTVAL, "0", false);
    EXPECT_EQ(events->errors.back().text,
              "Cannot modify Variable Default Value due to less than minimum value.");
    db->VariableSetField(200, FLDID_VARIABLE::VAR_DEFAULTVAL, "6", false);
    EXPECT_EQ(events->errors.back().text,
              "Cannot modify Variable Default Value due to exceed than maximum value.");
}

TEST_F(Variables, OtherFieldsOfCustomVariablesAreWritten) {
    ASSERT_TRUE(db->VariableAddRecord(Variable(200, "V", 41)));
    EXPECT_TRUE(db->VariableSetField(200, FLDID_VARIABLE::VAR_DESC, "Described", false));
    EXPECT_TRUE(db->VariableSetField(200, FLDID_VARIABLE::VAR_MIN, "1", false));
    EXPECT_TRUE(db->VariableSetField(200, FLDID_VARIABLE::VAR_MAX, "9", false));
    EXPECT_TRUE(db->VariableSetField(200, FLDID_VARIABLE::VAR_PARENTKEY, "150", false));
    EXPECT_TRUE(db->VariableSetField(200, FLDID_VARIABLE::VAR_ORDERBY_ACCESSID, "TRUE", false));
    auto variable = db->VariableGetRecord(200, false);
    EXPECT_EQ(variable->Description(), "Described");
    EXPECT_EQ(variable->Max(), "9");
    EXPECT_EQ(variable->ParentKey(), 150);
    EXPECT_TRUE(variable->OrderByAccessID());
    EXPECT_FALSE(db->VariableSetField(200, FLDID_VARIABLE::VAR_PARENTKEY, "x", false));
    EXPECT_EQ(LastErrorNumber(), 13);
    EXPECT_FALSE(db->VariableSetField(999, FLDID_VARIABLE::VAR_VAL, "1", false));
    EXPECT_EQ(LastErrorNumber(), 3021);
}

TEST_F(Variables, ChildrenComeInAccessIdOrder) {
    KestRecVariable list = Variable(300, "Wafers", 0);
    ASSERT_TRUE(db->VariableAddRecord(list));
    for (auto [id, access] : {std::pair{301, "3"}, std::pair{302, "1"}, std::pair{303, "2"}}) {
        KestRecVariable child = Variable(id, std::string("W").append(std::to_string(id)), 44);
        child.SetParentKey(300);
        child.SetAccessID(access);
        ASSERT_TRUE(db->VariableAddRecord(child));
    }
    auto children = db->VariableGetChild(db->VariableGetRecord(300, false), false);
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[0].ID(), 302);
    EXPECT_EQ(children[1].ID(), 303);
    EXPECT_EQ(children[2].ID(), 301);
    EXPECT_TRUE(db->VariableGetChild(db->VariableGetRecord(300, false), true).empty());
}

TEST_F(Variables, ChildQueriesNeedAParentWithAnId) {
    EXPECT_TRUE(db->VariableGetChild(std::nullopt, false).empty());
    EXPECT_EQ(LastErrorNumber(), 5012);
    EXPECT_EQ(events->errors.back().text, "Invalid parent item object.");
    EXPECT_TRUE(db->VariableGetChild(KestRecVariable(), false).empty());
    EXPECT_EQ(LastErrorNumber(), 5013);
    EXPECT_EQ(events->errors.back().text, "Invalid parent item ID. ID > 100.");
}

TEST_F(Variables, GetAllFiltersByType) {
    auto gem_ecs = db->VariableGetAll(true, "EC");
    ASSERT_FALSE(gem_ecs.empty());
    for (const auto& v : gem_ecs)
        EXPECT_EQ(v.VarType(), "EC") << v.Name();
    auto gem_all = db->VariableGetAll(true);
    EXPECT_GT(gem_all.size(), gem_ecs.size());
    for (std::size_t i = 1; i < gem_all.size(); ++i)
        EXPECT_LT(gem_all[i - 1].ID(), gem_all[i].ID()) << "table order";
    EXPECT_TRUE(db->VariableGetAll(false).empty());
    EXPECT_TRUE(db->VariableGetAll(true, "XX").empty());
}

TEST_F(Variables, DeleteTakesCustomVariablesOnly) {
    ASSERT_TRUE(db->VariableAddRecord(Variable(200, "CommState", 41)));
    EXPECT_TRUE(db->VariableDeleteRecord("CommState"));
    EXPECT_TRUE(db->VariableGetRecord("CommState", true).has_value());
    EXPECT_FALSE(db->VariableDeleteRecord("CommState"));
    EXPECT_TRUE(NoErrors());
}

}  // namespace
}  // namespace kest::testing
