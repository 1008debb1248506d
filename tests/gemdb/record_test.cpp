// Write rules of the record classes: cut to the column length first, then trim, and an empty
// result stores the property's default.
#include <gtest/gtest.h>

#include <string>

#include "gemdb/kest_rec_alarm.h"
#include "gemdb/kest_rec_event.h"
#include "gemdb/kest_rec_report.h"
#include "gemdb/kest_rec_variable.h"
#include "gemdb/record_text.h"

namespace kest {
namespace {

TEST(RecordText, CutsBeforeTrimming) {
    // 120 characters whose 100th is a blank: the cut keeps 100, the trim drops the blank.
    std::string name = std::string(99, 'x') + " " + std::string(20, 'y');
    KestRecAlarm alarm;
    alarm.SetName(name);
    EXPECT_EQ(alarm.Name(), std::string(99, 'x'));

    // Blanks in front count against the limit before they are trimmed.
    alarm.SetName(std::string(10, ' ') + std::string(100, 'z'));
    EXPECT_EQ(alarm.Name(), std::string(90, 'z'));
}

TEST(RecordText, OnlyBlanksAreTrimmedNotTabs) {
    KestRecReport report;
    report.SetName("\tR1\t ");
    EXPECT_EQ(report.Name(), "\tR1\t");
}

TEST(RecordText, CutNeverSplitsACharacter) {
    // "é" is two bytes in UTF-8; 100 of them are 100 characters, not 50.
    std::string accents;
    for (int i = 0; i < 101; ++i)
        accents += "\xC3\xA9";
    KestRecEvent event;
    event.SetName(accents);
    EXPECT_EQ(event.Name().size(), 200u);
    EXPECT_EQ(CutToChars("ab\xE2\x82\xAC"
                         "cd",
                         3),
              "ab\xE2\x82\xAC");
}

// Writes `text` through one property setter and reads it back.
template <typename Record, void (Record::*Set)(std::string_view),
          const std::string& (Record::*Get)() const noexcept>
std::string Through(const std::string& text) {
    Record record;
    (record.*Set)(text);
    return (record.*Get)();
}

struct Property {
    const char* name;
    std::size_t limit;  // characters kept; 0 for no limit
    const char* empty;  // what an empty or blank text stores
    std::string (*write)(const std::string&);
};

#define PROPERTY(R, P, limit, empty)                                                        \
    Property {                                                                              \
#R "_" #P, limit, empty, Through < KestRec##R, &KestRec##R::Set##P, &KestRec##R::P> \
    }

const Property kProperties[] = {
    PROPERTY(Alarm, Name, 100, "NULL"),           PROPERTY(Alarm, Group, 50, "NORMAL"),
    PROPERTY(Alarm, TEXT, 255, "NULL"),           PROPERTY(Alarm, SetCEName, 100, "NULL"),
    PROPERTY(Alarm, ClearCEName, 100, "NULL"),    PROPERTY(Event, Name, 100, "NULL"),
    PROPERTY(Event, Group, 50, "NULL"),           PROPERTY(Event, TEXT, 255, "NULL"),
    PROPERTY(Report, Name, 100, "NULL"),          PROPERTY(Report, Description, 255, "NULL"),
    PROPERTY(Variable, Name, 100, "NULL"),        PROPERTY(Variable, Group, 50, "GEM"),
    PROPERTY(Variable, Description, 255, "NULL"), PROPERTY(Variable, Value, 0, "NULL"),
    PROPERTY(Variable, DefaultValue, 0, "NULL"),  PROPERTY(Variable, Min, 0, "NULL"),
    PROPERTY(Variable, Max, 0, "NULL"),           PROPERTY(Variable, Unit, 50, "NULL"),
    PROPERTY(Variable, AccessID, 50, "NULL")};

class RecordProperty : public ::testing::TestWithParam<Property> {};

TEST_P(RecordProperty, KeepsExactlyTheLimitAndStoresItsDefaultForBlank) {
    const Property& p = GetParam();
    std::size_t limit = p.limit == 0 ? 5000 : p.limit;
    EXPECT_EQ(p.write(std::string(limit, 'a')), std::string(limit, 'a'));
    if (p.limit != 0) {
        EXPECT_EQ(p.write(std::string(limit + 1, 'b')), std::string(limit, 'b'));
    }
    EXPECT_EQ(p.write(""), p.empty);
    EXPECT_EQ(p.write("   "), p.empty);
}

INSTANTIATE_TEST_SUITE_P(All, RecordProperty, ::testing::ValuesIn(kProperties),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RecordVariable, VarTypeKeepsOnlyTheExactCodes) {
    KestRecVariable variable;
    variable.SetVarType("EC");
    EXPECT_EQ(variable.VarType(), "EC");
    variable.SetVarType("DV");
    EXPECT_EQ(variable.VarType(), "DV");
    for (const char* other : {"ec", "dv", "Ec", " EC", "XX", ""}) {
        variable.SetVarType("EC");
        variable.SetVarType(other);
        EXPECT_EQ(variable.VarType(), "SV") << '"' << other << '"';
    }
}

TEST(RecordDefaults, MatchTheDocumentedDefaults) {
    KestRecAlarm alarm;
    EXPECT_EQ(alarm.Name(), "NULL");
    EXPECT_EQ(alarm.Group(), "NORMAL");
    EXPECT_EQ(KestRecEvent().TEXT(), "NULL");
    EXPECT_FALSE(alarm.Enable());
    EXPECT_EQ(alarm.SetCEID(), 0);

    KestRecVariable variable;
    EXPECT_EQ(variable.Group(), "GEM");
    EXPECT_EQ(variable.VarType(), "SV");
    EXPECT_EQ(variable.VarFormat(), 16);
    EXPECT_EQ(variable.Min(), "NULL");
    EXPECT_EQ(variable.ParentKey(), 0);

    KestRecReport report;
    EXPECT_EQ(report.Description(), "NULL");
    EXPECT_FALSE(report.IsDefault());
}

}  // namespace
}  // namespace kest
