// Alarm rows, and the key rules every keyed operation shares.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "gemdb_fixture.h"

namespace kest::testing {
namespace {

class Alarms : public GemDbTest {
  protected:
    KestRecAlarm Alarm(std::int32_t id, const std::string& name, bool enable = true) {
        KestRecAlarm alarm;
        alarm.SetID(id);
        alarm.SetName(name);
        alarm.SetTEXT("Text of " + name);
        alarm.SetEnable(enable);
        alarm.SetSetCEID(120);
        alarm.SetClearCEID(121);
        return alarm;
    }
};

TEST_F(Alarms, AddedRecordReadsBackWithEveryField) {
    KestRecAlarm alarm = Alarm(1001, "Door open");
    alarm.SetGroup("SAFETY");
    alarm.SetSetCEName("DoorOpened");
    alarm.SetClearCEName("DoorClosed");
    alarm.SetAlarmSet(true);
    ASSERT_TRUE(db->AlarmAddRecord(alarm));
    EXPECT_EQ(db->AlarmGetRecord(1001), alarm);
    EXPECT_EQ(db->AlarmGetRecord("door OPEN"), alarm) << "names compare without case";
    EXPECT_TRUE(NoErrors());
}

TEST_F(Alarms, IntegerKeySelectsByIdAndTextKeySelectsByName) {
    ASSERT_TRUE(db->AlarmAddRecord(Alarm(7, "Seven")));
    ASSERT_TRUE(db->AlarmAddRecord(Alarm(8, "7")));
    // Delete with the text 7 takes the alarm named "7", not ALID 7.
    EXPECT_TRUE(db->AlarmDeleteRecord("7"));
    EXPECT_TRUE(db->AlarmGetRecord(7).has_value());
    EXPECT_FALSE(db->AlarmGetRecord(8).has_value());
    EXPECT_TRUE(db->AlarmDeleteRecord(7));
    EXPECT_FALSE(db->AlarmGetRecord(7).has_value());
}

TEST_F(Alarms, KeysThatAreNeitherTextNorA32BitIntegerAreRefusedWith5002) {
    ASSERT_TRUE(db->AlarmAddRecord(Alarm(7, "Seven")));
    const Variant bad_keys[] = {Variant(7.0), Variant(true), Variant(),
                                Variant(std::int64_t{1} << 32),
                                Variant(std::numeric_limits<std::uint64_t>::max())};
    for (const Variant& key : bad_keys) {
        events->errors.clear();
        EXPECT_FALSE(db->AlarmDeleteRecord(key));
        ASSERT_EQ(events->errors.size(), 1u) << key.ToText();
        EXPECT_EQ(events->errors[0].number, 5002);
        EXPECT_EQ(events->errors[0].text, "Invalid type of input for Key.");
        EXPECT_EQ(events->errors[0].source, "GEMDB:AlarmDeleteRecord");
    }
    EXPECT_EQ(db->AlarmGetField(7.0, FLDID_ALARM::ALM_TEXT), Variant("NULL"));
    EXPECT_FALSE(db->AlarmGetRecord(Variant()).has_value());
    EXPECT_EQ(LastErrorNumber(), 5002);
    EXPECT_TRUE(db->AlarmGetRecord(7).has_value()) << "a refused key touches nothing";
    // A 16-bit or 32-bit integer is a valid ID key.
    EXPECT_TRUE(db->AlarmGetRecord(std::int16_t{7}).has_value());
    EXPECT_TRUE(db->AlarmGetRecord(std::int64_t{7}).has_value());
}

TEST_F(Alarms, MissingRowsAreSilentFailures) {
    EXPECT_FALSE(db->AlarmDeleteRecord(999));
    EXPECT_FALSE(db->AlarmDeleteRecord("nobody"));
    EXPECT_FALSE(db->AlarmGetRecord(999).has_value());
    EXPECT_EQ(db->AlarmGetField(999, FLDID_ALARM::ALM_ENABLE), Variant("NULL"));
    EXPECT_TRUE(NoErrors());
}

TEST_F(Alarms, NamesWithApostrophesAndQuotesAreData) {
    ASSERT_TRUE(db->AlarmAddRecord(Alarm(5, "O'Brien's \"door\"")));
    EXPECT_EQ(db->AlarmGetRecord("O'Brien's \"door\"")->ID(), 5);
    // Text that would be SQL if pasted into the statement selects nothing.
    EXPECT_FALSE(db->AlarmGetRecord("x' OR '1'='1").has_value());
    EXPECT_FALSE(db->AlarmDeleteRecord("x' OR '1'='1"));
    EXPECT_EQ(db->AlarmGetAll(), std::vector<std::int32_t>{5});
    EXPECT_TRUE(db->AlarmDeleteRecord("O'Brien's \"door\""));
    EXPECT_TRUE(NoErrors());
}

TEST_F(Alarms, DuplicateIdIsReportedWithTheDatabaseError) {
    ASSERT_TRUE(db->AlarmAddRecord(Alarm(3, "A")));
    EXPECT_FALSE(db->AlarmAddRecord(Alarm(3, "B")));
    ASSERT_EQ(events->errors.size(), 1u);
    EXPECT_EQ(events->errors[0].source, "GEMDB:AlarmAddRecord");
    EXPECT_EQ(events->errors[0].number, 1555);  // SQLITE_CONSTRAINT_PRIMARYKEY
    EXPECT_NE(events->errors[0].text.find("secs_alarm.alm_id"), std::string::npos);
}

TEST_F(Alarms, FieldsReadAsTheirColumnType) {
    ASSERT_TRUE(db->AlarmAddRecord(Alarm(4, "Four")));
    EXPECT_EQ(db->AlarmGetField(4, FLDID_ALARM::ALM_NAME), Variant("Four"));
    EXPECT_EQ(db->AlarmGetField(4, FLDID_ALARM::ALM_SET_CEID), Variant(120));
    Variant enable = db->AlarmGetField(4, FLDID_ALARM::ALM_ENABLE);
    EXPECT_EQ(enable, Variant(true));
    EXPECT_EQ(enable.ToText(), "True");
}

TEST_F(Alarms, SetFieldRefusesTheKeysAndWritesTheRest) {
    ASSERT_TRUE(db->AlarmAddRecord(Alarm(4, "Four", false)));
    EXPECT_FALSE(db->AlarmSetField(4, FLDID_ALARM::ALM_ID, 5));
    EXPECT_EQ(events->errors.back().number, 5009);
    EXPECT_EQ(events->errors.back().text, "Cannot modify Alarm ID due to it is primary key.");
    EXPECT_FALSE(db->AlarmSetField(4, FLDID_ALARM::ALM_NAME, "Five"));
    EXPECT_EQ(events->errors.back().text, "Cannot modify Alarm Name due to it is primary key.");

    EXPECT_TRUE(db->AlarmSetField(4, FLDID_ALARM::ALM_ENABLE, true));
    EXPECT_TRUE(db->AlarmSetField("four", FLDID_ALARM::ALM_SET, "TRUE"));
    EXPECT_TRUE(db->AlarmSetField(4, FLDID_ALARM::ALM_CLR_CEID, "130"));
    auto alarm = db->AlarmGetRecord(4);
    EXPECT_TRUE(alarm->Enable());
    EXPECT_TRUE(alarm->AlarmSet());
    EXPECT_EQ(alarm->ClearCEID(), 130);
}

TEST_F(Alarms, SetFieldOnAMissingRowIsReported) {
    EXPECT_FALSE(db->AlarmSetField(999, FLDID_ALARM::ALM_ENABLE, true));
    ExpectOnlyError(3021);
}

TEST_F(Alarms, EnabledSetAndBulkChanges) {
    ASSERT_TRUE(db->AlarmAddRecord(Alarm(1, "A", true)));
    ASSERT_TRUE(db->AlarmAddRecord(Alarm(2, "B", false)));
    ASSERT_TRUE(db->AlarmAddRecord(Alarm(3, "C", true)));
    EXPECT_EQ(db->AlarmGetEnabled(true), (std::vector<std::int32_t>{1, 3}));
    EXPECT_EQ(db->AlarmGetEnabled(false), (std::vector<std::int32_t>{2}));
    EXPECT_TRUE(db->AlarmGetSet().empty());

    EXPECT_TRUE(db->AlarmEnableSet(true));
    EXPECT_EQ(db->AlarmGetSet(), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_TRUE(db->AlarmEnableAll(false));
    EXPECT_TRUE(db->AlarmGetEnabled(true).empty());
    EXPECT_EQ(db->AlarmGetAll(), (std::vector<std::int32_t>{1, 2, 3}));
}

TEST_F(Alarms, NonZeroFlagsCountAsTrue) {
    // A flag written by another tool as -1 (or any non-zero number) is set.
    ASSERT_TRUE(db->AlarmAddRecord(Alarm(1, "A", false)));
    Sql("UPDATE secs_alarm SET alm_enable = -1 WHERE alm_id = 1");
    EXPECT_EQ(db->AlarmGetEnabled(true), std::vector<std::int32_t>{1});
    EXPECT_TRUE(db->AlarmGetRecord(1)->Enable());
}

}  // namespace
}  // namespace kest::testing
