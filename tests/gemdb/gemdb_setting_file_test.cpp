// Settings rows, the DBFile property and attaching to the control.
#include <gtest/gtest.h>

#include "gemdb_fixture.h"

namespace kest::testing {
namespace {

using Settings = GemDbTest;

TEST_F(Settings, ValueAndDefaultColumns) {
    EXPECT_EQ(db->SettingGetField("T3Timeout", FLDID_SETTING::SET_VALUE), Variant("45"));
    db->SettingSetField("T3Timeout", FLDID_SETTING::SET_VALUE, 60);
    EXPECT_EQ(db->SettingGetField("t3timeout", FLDID_SETTING::SET_VALUE), Variant("60"))
        << "stored as text, found without regard to case";
    EXPECT_EQ(db->SettingGetField("T3Timeout", FLDID_SETTING::SET_DEFAULTVAL), Variant("45"));
    db->SettingSetField("T3Timeout", FLDID_SETTING::SET_DEFAULTVAL, "90");
    EXPECT_EQ(db->SettingGetField("T3Timeout", FLDID_SETTING::SET_DEFAULTVAL), Variant("90"));
    EXPECT_TRUE(NoErrors());
}

TEST_F(Settings, MissingRowsReadNullAndAreNotCreated) {
    EXPECT_EQ(db->SettingGetField("NoSuchSetting", FLDID_SETTING::SET_VALUE), Variant("NULL"));
    db->SettingSetField("NoSuchSetting", FLDID_SETTING::SET_VALUE, "x");
    EXPECT_EQ(db->SettingGetField("NoSuchSetting", FLDID_SETTING::SET_VALUE), Variant("NULL"));
    EXPECT_TRUE(NoErrors());
}

TEST_F(Settings, NamesWithApostrophesAreData) {
    db->SettingSetField("x' OR '1'='1", FLDID_SETTING::SET_VALUE, "broken");
    EXPECT_EQ(db->SettingGetField("PortOpened", FLDID_SETTING::SET_VALUE), Variant("FALSE"));
}

using DBFile = GemDbTest;

TEST_F(DBFile, DefaultsToGemMdbInTheProgramDirectory) {
    GEMDB fresh(dir.Path());
    EXPECT_EQ(fresh.DBFile(), (dir.Path() / "GEM.mdb").string());
    EXPECT_EQ(fresh.SettingGetField("PortOpened", FLDID_SETTING::SET_VALUE), Variant("FALSE"));
}

TEST_F(DBFile, AttachingRecordsThePath) {
    EXPECT_EQ(db->SettingGetField("GEMDatabase", FLDID_SETTING::SET_VALUE),
              Variant(db_path.string()));
}

TEST_F(DBFile, BadPathsAreRefusedAndTheDatabaseStays) {
    db->SetDBFile("");
    EXPECT_EQ(LastErrorNumber(), 5004);
    EXPECT_EQ(events->errors.back().text, "Invalid null value of DBFile.");
    EXPECT_EQ(events->errors.back().source, "GEMDB:Let DBFile");
    db->SetDBFile((dir.Path() / "OTHER.MDB").string());
    EXPECT_EQ(LastErrorNumber(), 5003);
    EXPECT_EQ(events->errors.back().text, "Invalid value without <.mdb> of DBFile.");
    EXPECT_EQ(db->DBFile(), db_path.string());
    EXPECT_EQ(db->SettingGetField("PortOpened", FLDID_SETTING::SET_VALUE), Variant("FALSE"));
    EXPECT_EQ(events->errors.size(), 2u);
}

TEST_F(DBFile, SwitchingRecordsTheNewPathInThePreviousDatabase) {
    std::filesystem::path other = dir.Path() / "other.mdb";
    CreateGemDatabase(other, false);
    db->SetDBFile(other.string());
    EXPECT_TRUE(NoErrors());
    EXPECT_EQ(db->DBFile(), other.string());
    db->SettingSetField("DeviceID", FLDID_SETTING::SET_VALUE, "7");

    GEMDB previous(dir.Path());
    EXPECT_EQ(previous.SettingGetField("GEMDatabase", FLDID_SETTING::SET_VALUE),
              Variant(other.string()));
    EXPECT_EQ(previous.SettingGetField("DeviceID", FLDID_SETTING::SET_VALUE), Variant("0"))
        << "writes go to the new database";
}

TEST_F(DBFile, AMissingFileIsReportedByEachOperationAndRetried) {
    std::filesystem::path missing = dir.Path() / "missing.mdb";
    db->SetDBFile(missing.string());
    ASSERT_EQ(events->errors.size(), 1u);
    EXPECT_EQ(events->errors[0].source, "GEMDB:Let DBFile");
    EXPECT_FALSE(std::filesystem::exists(missing)) << "a missing database is never created";

    EXPECT_EQ(db->VariableGetField("CommState", FLDID_VARIABLE::VAR_VAL, true), Variant("NULL"));
    ASSERT_EQ(events->errors.size(), 2u);
    EXPECT_EQ(events->errors[1].source, "GEMDB:VariableGetField");
    EXPECT_EQ(events->errors[1].number, 14);  // SQLITE_CANTOPEN
    EXPECT_NE(events->errors[1].text.find("missing.mdb"), std::string::npos);

    CreateGemDatabase(missing, false);
    EXPECT_EQ(db->VariableGetField("CommState", FLDID_VARIABLE::VAR_VAL, true), Variant("0"));
    EXPECT_EQ(events->errors.size(), 2u);
}

TEST_F(DBFile, AFileThatIsNotADatabaseIsReported) {
    std::filesystem::path junk = dir.Path() / "junk.mdb";
    {
        std::FILE* f = std::fopen(junk.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(
            "Standard Jet DB, not SQLite at all........................................."
            "..........................................................................",
            f);
        std::fclose(f);
    }
    db->SetDBFile(junk.string());
    EXPECT_EQ(LastErrorNumber(), 26);  // SQLITE_NOTADB
    EXPECT_FALSE(db->AlarmEnableAll(true));
    EXPECT_EQ(LastErrorNumber(), 26);
}

TEST_F(DBFile, WithoutAParentErrorsAreKeptNotThrown) {
    GEMDB orphan(dir.Path());
    EXPECT_EQ(orphan.LastError().number, 0);
    EXPECT_FALSE(orphan.AlarmDeleteRecord(1.5));
    EXPECT_EQ(orphan.LastError().number, 5002);
    EXPECT_EQ(orphan.LastError().source, "GEMDB:AlarmDeleteRecord");
}

TEST_F(DBFile, StatementsAreReused) {
    for (int i = 0; i < 3; ++i) {
        db->VariableGetField("CommState", FLDID_VARIABLE::VAR_VAL, true);
        db->VariableSetField("SpoolCountTotal", FLDID_VARIABLE::VAR_VAL, i, true);
        db->AlarmGetRecord(i);
    }
    std::size_t after_first_rounds = db->CachedStatementCount();
    for (int i = 0; i < 500; ++i) {
        db->VariableGetField("CommState", FLDID_VARIABLE::VAR_VAL, true);
        db->VariableSetField("SpoolCountTotal", FLDID_VARIABLE::VAR_VAL, i, true);
        db->AlarmGetRecord(i);
        db->AlarmGetRecord("name " + std::to_string(i));
    }
    EXPECT_LE(db->CachedStatementCount(), after_first_rounds + 1)
        << "statements must not embed their values";
}

}  // namespace
}  // namespace kest::testing
