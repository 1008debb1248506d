// Creating a database from the compiled-in SQL, and checking one for what the system needs.
#include "gemdb/database_setup.h"

#include <gtest/gtest.h>

#include <fstream>

#include "gemdb/gem_catalog.h"
#include "gemdb/sqlite_connection.h"
#include "gemdb_fixture.h"
#include "support/test_helpers.h"

namespace kest::testing {
namespace {

using kest::test::ErrorNumber;

void Sql(const std::filesystem::path& path, const std::string& sql) {
    SqliteConnection::Open(path, SqliteOpenMode::ReadWrite)->ExecuteScript(sql);
}

TEST(CreateGemDatabase, RefusesAnExistingFileUnlessTold) {
    TempDir dir;
    auto path = dir.Path() / "GEM.mdb";
    CreateGemDatabase(path, false);
    Sql(path, "UPDATE secs_setting SET set_value = 'changed' WHERE set_field = 'DeviceID'");
    EXPECT_EQ(ErrorNumber([&] { CreateGemDatabase(path, false); }), 58);
    GEMDB kept(dir.Path());
    EXPECT_EQ(kept.SettingGetField("DeviceID", FLDID_SETTING::SET_VALUE), Variant("changed"));

    CreateGemDatabase(path, true);
    GEMDB fresh(dir.Path());
    EXPECT_EQ(fresh.SettingGetField("DeviceID", FLDID_SETTING::SET_VALUE), Variant("0"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "GEM.mdb.creating"));
}

TEST(CreateGemDatabase, OverwriteDropsTheOldWriteAheadLog) {
    TempDir dir;
    auto path = dir.Path() / "GEM.mdb";
    CreateGemDatabase(path, false);
    // Leave a write-ahead log behind, as a crashed writer would.
    std::filesystem::copy_file(path, dir.Path() / "copy.mdb");
    {
        auto writer = SqliteConnection::Open(path, SqliteOpenMode::ReadWrite);
        writer->ExecuteScript(
            "PRAGMA wal_autocheckpoint=0;"
            "UPDATE secs_setting SET set_value = 'old' WHERE set_field = 'DeviceID'");
        ASSERT_TRUE(std::filesystem::exists(dir.Path() / "GEM.mdb-wal"));
        std::filesystem::copy_file(dir.Path() / "GEM.mdb-wal", dir.Path() / "saved-wal");
    }
    std::filesystem::copy_file(dir.Path() / "saved-wal", dir.Path() / "GEM.mdb-wal",
                               std::filesystem::copy_options::overwrite_existing);
    CreateGemDatabase(path, true);
    GEMDB fresh(dir.Path());
    EXPECT_EQ(fresh.SettingGetField("DeviceID", FLDID_SETTING::SET_VALUE), Variant("0"));
    EXPECT_EQ(fresh.LastError().number, 0);
}

TEST(CreateGemDatabase, ReportsAnUnwritableLocation) {
    TempDir dir;
    auto path = dir.Path() / "no" / "such" / "dir" / "GEM.mdb";
    EXPECT_NE(ErrorNumber([&] { CreateGemDatabase(path, false); }), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ApplyGemSql, AddsAnEquipmentsRowsAllOrNothing) {
    TempDir dir;
    auto path = dir.Path() / "GEM.mdb";
    CreateGemDatabase(path, false);
    ApplyGemSql(path,
                "INSERT INTO secs_cusevent (evt_id, evt_name, evt_enable) VALUES (1001, 'A', 1);"
                "INSERT INTO secs_cusevent (evt_id, evt_name, evt_enable) VALUES (1002, 'B', 1);");
    // A failing statement leaves the rows of the same script out.
    EXPECT_NE(ErrorNumber([&] {
                  ApplyGemSql(path,
                              "INSERT INTO secs_cusevent (evt_id, evt_name) VALUES (1003, 'C');"
                              "INSERT INTO secs_cusevent (evt_id, evt_name) VALUES (5, 'Low');");
              }),
              0);
    GEMDB db(dir.Path());
    EXPECT_EQ(db.EventGetAll(false), (std::vector<std::int32_t>{1001, 1002}));
}

TEST(CheckGemDatabase, AFreshDatabaseIsComplete) {
    TempDir dir;
    auto path = dir.Path() / "GEM.mdb";
    CreateGemDatabase(path, false);
    GemDatabaseCheck check = CheckGemDatabase(path);
    EXPECT_TRUE(check.Complete());
    EXPECT_TRUE(check.Describe().empty());
}

TEST(CheckGemDatabase, NamesEverythingThatIsMissing) {
    TempDir dir;
    auto path = dir.Path() / "GEM.mdb";
    CreateGemDatabase(path, false);
    Sql(path,
        "DROP TABLE secs_ec_changed;"
        "ALTER TABLE secs_alarm DROP COLUMN alm_set;"
        "DELETE FROM secs_gemvar WHERE var_name IN ('Clock', 'WBITS10');"
        "DELETE FROM secs_gemevent WHERE evt_name = 'GemSpoolingActivated';"
        "DELETE FROM secs_setting WHERE set_field = 'AutoPurge';"
        "DELETE FROM secsgem_host_to_equip;");
    GemDatabaseCheck check = CheckGemDatabase(path);
    EXPECT_FALSE(check.Complete());
    EXPECT_EQ(check.missing_tables, std::vector<std::string>{"secs_ec_changed"});
    EXPECT_EQ(check.missing_columns, std::vector<std::string>{"secs_alarm.alm_set"});
    EXPECT_EQ(check.missing_variables, (std::vector<std::string>{"Clock", "WBITS10"}));
    EXPECT_EQ(check.missing_events, std::vector<std::string>{"GemSpoolingActivated"});
    EXPECT_EQ(check.missing_settings, std::vector<std::string>{"AutoPurge"});
    EXPECT_EQ(check.missing_rows,
              std::vector<std::string>{"secsgem_host_to_equip S10F3/MessageFromHost"});
    auto lines = check.Describe();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "missing GEM variable: WBITS10"), lines.end());
}

TEST(CheckGemDatabase, AMissingVariableTableMakesEveryVariableMissing) {
    TempDir dir;
    auto path = dir.Path() / "GEM.mdb";
    CreateGemDatabase(path, false);
    Sql(path, "ALTER TABLE secs_gemvar RENAME COLUMN var_name TO name");
    GemDatabaseCheck check = CheckGemDatabase(path);
    EXPECT_EQ(check.missing_columns, std::vector<std::string>{"secs_gemvar.var_name"});
    EXPECT_EQ(check.missing_variables.size(), RequiredGemVariables().size());
}

TEST(CheckGemDatabase, RefusesFilesThatAreNotDatabases) {
    TempDir dir;
    EXPECT_EQ(ErrorNumber([&] { CheckGemDatabase(dir.Path() / "absent.mdb"); }), 14);
    auto junk = dir.Path() / "junk.mdb";
    std::ofstream(junk) << std::string(4096, 'x');
    EXPECT_EQ(ErrorNumber([&] { CheckGemDatabase(junk); }), 26);
}

}  // namespace
}  // namespace kest::testing
