// The initialisation object: the file settings and the enable-all flags taken from the saved
// defaults, written through to the rows and the driver.
#include "settings/secs_initialize.h"

#include <gtest/gtest.h>

#include <string>

#include "settings_rows.h"
#include "support/control_harness.h"

namespace kest::test {
namespace {

void WriteRow(GEMDB& db, const char* name, const char* value, const char* saved_default) {
    db.SettingSetField(name, FLDID_SETTING::SET_VALUE, value);
    db.SettingSetField(name, FLDID_SETTING::SET_DEFAULTVAL, saved_default);
}

std::shared_ptr<SECSInitialize> Attached(ControlHarness& h) {
    auto init = std::make_shared<SECSInitialize>();
    init->SetParent(h.core);
    return init;
}

TEST(SECSInitializeAttach, TheFileSettingsComeFromTheSavedDefaultsAndSetAlarmsAreCleared) {
    ControlHarness h;
    WriteRow(h.Db(), "SECSDictionaryFile", "/value/dict.xml", "/opt/tool/Messages.xml");
    WriteRow(h.Db(), "SECSLogFile", "/value/secs.log", "logs/SECSII.log");
    WriteRow(h.Db(), "SECSILogPath", "/value", "NULL");
    for (int id : {1, 2}) {
        KestRecAlarm alarm;
        alarm.SetID(id);
        alarm.SetName("Alarm" + std::to_string(id));
        alarm.SetAlarmSet(true);
        ASSERT_TRUE(h.Db().AlarmAddRecord(alarm));
    }
    ASSERT_EQ(h.Db().AlarmGetSet().size(), 2u);
    auto init = Attached(h);
    EXPECT_EQ(h.driver->DictionaryFile(), "/opt/tool/Messages.xml");
    // A relative path belongs to the application directory, not to the working directory.
    EXPECT_EQ(h.driver->SECSIILogFile(), (h.dir / "logs" / "SECSII.log").string());
    EXPECT_EQ(h.driver->SECSILogPath(), "");
    EXPECT_EQ(init->SECSDictionaryFile(), "/opt/tool/Messages.xml");
    EXPECT_TRUE(h.Db().AlarmGetSet().empty());
    EXPECT_TRUE(h.errors.empty());
}

struct FlagCase {
    const char* alarm_default;
    const char* event_default;
    bool alarm;
    bool event;
};

class SECSInitializeFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(SECSInitializeFlags, TakenFromTheSavedDefaults) {
    const FlagCase& c = GetParam();
    ControlHarness h;
    // The values say the opposite, so only the defaults can give the expected result.
    WriteRow(h.Db(), "AlarmEnableAll", c.alarm ? "FALSE" : "TRUE", c.alarm_default);
    WriteRow(h.Db(), "EventEnableAll", c.event ? "FALSE" : "TRUE", c.event_default);
    auto init = Attached(h);
    EXPECT_EQ(init->AlarmEnableAll(), c.alarm);
    EXPECT_EQ(init->EventEnableAll(), c.event);
    EXPECT_EQ(Rows(h.Db(), "AlarmEnableAll EventEnableAll"),
              std::string(c.alarm ? "TRUE" : "FALSE") + (c.event ? " TRUE" : " FALSE"));
}

INSTANTIATE_TEST_SUITE_P(Defaults, SECSInitializeFlags,
                         ::testing::Values(FlagCase{"TRUE", "FALSE", true, false},
                                           FlagCase{"FALSE", "TRUE", false, true},
                                           FlagCase{"NULL", "1", false, false}));

TEST(SECSInitializeFlags, ReadAndWriteTheValueRows) {
    ControlHarness h;
    SECSInitialize& init = *h.core->SECSInitialize();
    init.SetAlarmEnableAll(false);
    init.SetEventEnableAll(true);
    EXPECT_EQ(Rows(h.Db(), "AlarmEnableAll EventEnableAll"), "FALSE TRUE");
    EXPECT_EQ(Defaults(h.Db(), "AlarmEnableAll"), "TRUE");  // the saved default stays
    // The getters read the rows, whoever wrote them.
    h.core->SetSetting("AlarmEnableAll", "TRUE");
    h.core->SetSetting("EventEnableAll", "FALSE");
    EXPECT_TRUE(init.AlarmEnableAll());
    EXPECT_FALSE(init.EventEnableAll());
}

TEST(SECSInitializeFiles, PassStraightToTheDriverAndSaveAsValuesOnly) {
    ControlHarness h;
    SECSInitialize& init = *h.core->SECSInitialize();
    init.SetSECSDictionaryFile("/opt/a.xml");
    init.SetSECSIILogFile("/var/log/kest/SECSII.log");
    init.SetSECSILogPath("/var/log/kest");
    EXPECT_EQ(h.driver->DictionaryFile(), "/opt/a.xml");
    EXPECT_EQ(h.driver->SECSIILogFile(), "/var/log/kest/SECSII.log");
    EXPECT_EQ(h.driver->SECSILogPath(), "/var/log/kest");
    const std::string rows = "SECSDictionaryFile SECSLogFile SECSILogPath";
    const std::string defaults = Defaults(h.Db(), rows);
    EXPECT_TRUE(init.SaveSetting());
    EXPECT_EQ(Rows(h.Db(), rows), "/opt/a.xml /var/log/kest/SECSII.log /var/log/kest");
    EXPECT_EQ(Defaults(h.Db(), rows), defaults);
    h.driver->SetDictionaryFile("/opt/b.xml");
    EXPECT_EQ(init.SECSDictionaryFile(), "/opt/b.xml");
    const int loads = h.driver->load_dictionary_calls;
    EXPECT_EQ(init.LoadXMLDictionary(), Variant(true));
    EXPECT_EQ(h.driver->load_dictionary_calls, loads + 1);
}

TEST(SECSInitializeDetached, DoesNothingWithoutAControl) {
    SECSInitialize init;
    EXPECT_FALSE(init.SaveSetting());
    EXPECT_TRUE(init.LoadXMLDictionary().IsEmpty());
    EXPECT_FALSE(init.AlarmEnableAll());
    EXPECT_EQ(init.SECSDictionaryFile(), "");
}

}  // namespace
}  // namespace kest::test
