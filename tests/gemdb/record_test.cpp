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

TEST(RecordText, EmptyAndBlankStoreTheDefault) {
    KestRecAlarm alarm;
    alarm.SetGroup("");
    EXPECT_EQ(alarm.Group(), "NORMAL");
    alarm.SetGroup("   ");
    EXPECT_EQ(alarm.Group(), "NORMAL");
    alarm.SetTEXT("");
    EXPECT_EQ(alarm.TEXT(), "NULL");

    KestRecVariable variable;
    variable.SetGroup(" ");
    EXPECT_EQ(variable.Group(), "GEM");
    variable.SetValue("");
    EXPECT_EQ(variable.Value(), "NULL");

    KestRecEvent event;
    event.SetGroup("");
    EXPECT_EQ(event.Group(), "NULL");
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

struct LimitCase {
    const char* property;
    std::size_t limit;
    std::string (*write)(const std::string&);
};

std::string AlarmText(const std::string& s) {
    KestRecAlarm r;
    r.SetTEXT(s);
    return r.TEXT();
}
std::string AlarmSetCEName(const std::string& s) {
    KestRecAlarm r;
    r.SetSetCEName(s);
    return r.SetCEName();
}
std::string AlarmClearCEName(const std::string& s) {
    KestRecAlarm r;
    r.SetClearCEName(s);
    return r.ClearCEName();
}
std::string AlarmGroup(const std::string& s) {
    KestRecAlarm r;
    r.SetGroup(s);
    return r.Group();
}
std::string EventText(const std::string& s) {
    KestRecEvent r;
    r.SetTEXT(s);
    return r.TEXT();
}
std::string EventGroup(const std::string& s) {
    KestRecEvent r;
    r.SetGroup(s);
    return r.Group();
}
std::string ReportDescription(const std::string& s) {
    KestRecReport r;
    r.SetDescription(s);
    return r.Description();
}
std::string VariableName(const std::string& s) {
    KestRecVariable r;
    r.SetName(s);
    return r.Name();
}
std::string VariableDescription(const std::string& s) {
    KestRecVariable r;
    r.SetDescription(s);
    return r.Description();
}
std::string VariableUnit(const std::string& s) {
    KestRecVariable r;
    r.SetUnit(s);
    return r.Unit();
}
std::string VariableAccessID(const std::string& s) {
    KestRecVariable r;
    r.SetAccessID(s);
    return r.AccessID();
}
std::string VariableMax(const std::string& s) {
    KestRecVariable r;
    r.SetMax(s);
    return r.Max();
}

class RecordLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(RecordLimit, KeepsExactlyTheLimit) {
    const LimitCase& c = GetParam();
    if (c.limit == 0) {
        std::string long_text(5000, 'v');
        EXPECT_EQ(c.write(long_text), long_text) << c.property;
        return;
    }
    EXPECT_EQ(c.write(std::string(c.limit, 'a')), std::string(c.limit, 'a')) << c.property;
    EXPECT_EQ(c.write(std::string(c.limit + 1, 'b')), std::string(c.limit, 'b')) << c.property;
}

INSTANTIATE_TEST_SUITE_P(
    Properties, RecordLimit,
    ::testing::Values(LimitCase{"KestRecAlarm.TEXT", 255, AlarmText},
                      LimitCase{"KestRecAlarm.Group", 50, AlarmGroup},
                      LimitCase{"KestRecAlarm.SetCEName", 100, AlarmSetCEName},
                      LimitCase{"KestRecAlarm.ClearCEName", 100, AlarmClearCEName},
                      LimitCase{"KestRecEvent.TEXT", 255, EventText},
                      LimitCase{"KestRecEvent.Group", 50, EventGroup},
                      LimitCase{"KestRecReport.Description", 255, ReportDescription},
                      LimitCase{"KestRecVariable.Name", 100, VariableName},
                      LimitCase{"KestRecVariable.Description", 255, VariableDescription},
                      LimitCase{"KestRecVariable.Unit", 50, VariableUnit},
                      LimitCase{"KestRecVariable.AccessID", 50, VariableAccessID},
                      LimitCase{"KestRecVariable.Max", 0, VariableMax}),
    [](const auto& info) {
        std::string name = info.param.property;
        for (char& c : name)
            if (c == '.') c = '_';
        return name;
    });

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
