// Comma-separated text results, the changed-constant list, the wafer-map attribute reads and
// the direct statements of the host-message handlers.
#include <gtest/gtest.h>

#include "gemdb/sqlite_connection.h"
#include "gemdb_fixture.h"

namespace kest::testing {
namespace {

class TextResults : public GemDbTest {
  protected:
    TextResults() { Sql("DELETE FROM secs_evt_rpt"); }
};

TEST_F(TextResults, ReportAndVariableListsJoinWithCommas) {
    EXPECT_EQ(db->GetReportList(150), "");
    ASSERT_TRUE(db->EvtRptLinkReport(150, 7, 2));
    ASSERT_TRUE(db->EvtRptLinkReport(150, 5, 1));
    EXPECT_EQ(db->GetReportList(150), "5,7");
    ASSERT_TRUE(db->EvtRptAddVariable(1001, 33, 2));
    ASSERT_TRUE(db->EvtRptAddVariable(1001, 4, 1));
    EXPECT_EQ(db->GetVIDList(1001), "4,33");
    EXPECT_EQ(db->GetVIDList(1002), "");
    EXPECT_TRUE(NoErrors());
}

TEST_F(TextResults, VariableDetailsAndEventStatus) {
    KestRecVariable variable;
    variable.SetID(200);
    variable.SetVarFormat(44);
    variable.SetValue("25");
    ASSERT_TRUE(db->VariableAddRecord(variable));
    EXPECT_EQ(db->GetVariableDetails(200, "secs_cusvar"), "U4,25");
    EXPECT_EQ(db->GetVariableDetails(200, "secs_gemvar"), ",");
    EXPECT_EQ(db->GetVariableDetails(2, "secs_gemvar"), "U1,0");

    EXPECT_EQ(db->GetEventStatus(1, "secs_gemevent"), "True");
    ASSERT_TRUE(db->EventSetField(1, FLDID_EVENT::EVT_ENABLE, false, true));
    EXPECT_EQ(db->GetEventStatus(1, "secs_gemevent"), "False");
    EXPECT_EQ(db->GetEventStatus(1, "secs_cusevent"), "");
    EXPECT_TRUE(NoErrors());
}

TEST_F(TextResults, TableNamesMustBeOnTheAllowList) {
    EXPECT_EQ(db->GetVariableDetails(2, "secs_setting"), ",");
    EXPECT_EQ(db->LastError().number, errc::kInvalidArgument);
    EXPECT_EQ(db->LastError().source, "GEMDB:GetVariableDetails");
    EXPECT_EQ(db->GetEventStatus(1, "secs_gemevent; DROP TABLE secs_alarm"), "");
    EXPECT_EQ(db->LastError().source, "GEMDB:GetEventStatus");
    EXPECT_TRUE(NoErrors()) << "the text operations fail without a notification";
    EXPECT_EQ(db->GetEventStatus(1, "SECS_GEMEVENT"), "True") << "table names ignore case";
}

TEST_F(TextResults, RecipePathIsThePPDirectoryValue) {
    EXPECT_EQ(db->GetRecipePath(), "NULL");
    ASSERT_TRUE(db->VariableSetField("PPDirectory", FLDID_VARIABLE::VAR_VAL, "/srv/pp", true));
    EXPECT_EQ(db->GetRecipePath(), "/srv/pp");
}

TEST_F(TextResults, UseTheProgramDirectoryDatabaseWhateverDBFileSays) {
    std::filesystem::path other = dir.Path() / "other.mdb";
    CreateGemDatabase(other, false);
    db->SetDBFile(other.string());
    ASSERT_TRUE(db->EvtRptLinkReport(150, 9, 1));  // goes to other.mdb
    EXPECT_EQ(db->GetReportList(150), "") << "reads GEM.mdb of the program directory";
    ASSERT_TRUE(db->VariableSetField("PPDirectory", FLDID_VARIABLE::VAR_VAL, "/other", true));
    EXPECT_EQ(db->GetRecipePath(), "NULL");
}

TEST_F(TextResults, FailuresAreKeptQuietly) {
    std::filesystem::remove(db_path);
    GEMDB missing(dir.Path());
    missing.SetParent(events);
    events->errors.clear();
    EXPECT_EQ(missing.GetReportList(1), "");
    EXPECT_TRUE(events->errors.empty());
    EXPECT_EQ(missing.LastError().source, "GEMDB:GetReportList");
}

using ChangedConstants = GemDbTest;

TEST_F(ChangedConstants, FirstOneClearsTheTable) {
    auto rows = [&] {
        std::vector<std::string> out;
        // Read through a second GEMDB-independent path: the table itself.
        auto connection = SqliteConnection::Open(db_path, SqliteOpenMode::ReadOnly);
        auto statement = connection->Prepare(
            "SELECT [Number], NamesX, V_alue FROM secs_ec_changed ORDER BY rowid");
        while (statement.Step())
            out.push_back(statement.Text(0) + "|" + statement.Text(1) + "|" + statement.Text(2));
        return out;
    };
    db->InsertECChanged("1", "TotalChanged", "2");
    db->InsertECChanged("2", "ECID", "4");
    db->InsertECChanged("3", "ECID", "5");
    EXPECT_EQ(rows(), (std::vector<std::string>{"1|TotalChanged|2", "2|ECID|4", "3|ECID|5"}));
    db->InsertECChanged("2", "ECID", "6");
    EXPECT_EQ(rows().size(), 4u) << "a first value other than 1 appends";
    db->InsertECChanged("1", "TotalChanged", "1");
    EXPECT_EQ(rows(), (std::vector<std::string>{"1|TotalChanged|1"}));
    db->InsertECChanged("2", "ECID", "O'Neil");
    EXPECT_EQ(rows().back(), "2|ECID|O'Neil");
    EXPECT_TRUE(NoErrors());
}

class MapData : public GemDbTest {
  protected:
    MapData() {
        Sql("INSERT INTO secs_S12setting (attribute_name, attribute_format, attribute_value) "
            "VALUES ('MapType', 'U1', '3');"
            "INSERT INTO secs_S12data_EquipToHost VALUES ('REFP', '2', 'I2', '5 -5');"
            "INSERT INTO secs_S12data_EquipToHost VALUES ('MID', 'NotUsed', 'A', 'W01');");
    }
};

TEST_F(MapData, AttributesAreReadByNameAndOccurrence) {
    std::string format;
    std::string data;
    EXPECT_TRUE(db->getMapData("maptype", format, data));
    EXPECT_EQ(format, "U1");
    EXPECT_EQ(data, "3");
    EXPECT_TRUE(db->getMapData2("secs_S12data_EquipToHost", "REFP", "2", format, data));
    EXPECT_EQ(format, "I2");
    EXPECT_EQ(data, "5 -5");
    EXPECT_TRUE(db->getMapData2("secs_S12data_EquipToHost", "MID", "NotUsed", format, data));
    EXPECT_EQ(data, "W01");
    EXPECT_TRUE(NoErrors());
}

TEST_F(MapData, MissingRowsAndForeignTablesAreReported) {
    std::string format = "keep";
    std::string data = "keep";
    EXPECT_FALSE(db->getMapData("Nothing", format, data));
    EXPECT_EQ(LastErrorNumber(), 3021);
    EXPECT_EQ(events->errors.back().source, "GEMDB:getMapData");
    EXPECT_FALSE(db->getMapData2("secs_S12data_EquipToHost", "REFP", "3", format, data));
    EXPECT_EQ(LastErrorNumber(), 3021);
    EXPECT_FALSE(db->getMapData2("secs_alarm", "REFP", "2", format, data));
    EXPECT_EQ(LastErrorNumber(), errc::kInvalidArgument);
    EXPECT_EQ(format, "keep");
}

using DirectStatements = GemDbTest;

TEST_F(DirectStatements, RemoteCommandLookups) {
    Sql("INSERT INTO RemoteCommand_RCMD VALUES ('START', '0'), ('PP-SELECT', '1')");
    EXPECT_EQ(db->ReadFromDB("START"), "0");
    EXPECT_EQ(db->ReadTotalCPNames("pp-select"), "1");
    EXPECT_EQ(db->ReadFromDB("STOP"), "");
    EXPECT_EQ(db->ReadFromDB("START' OR '1'='1"), "");
    EXPECT_TRUE(NoErrors());
}

TEST_F(DirectStatements, MessageRowsAreUpdatedNeverInserted) {
    EXPECT_EQ(db->readfrommysqlgen("secsgem_equip_to_host", "S2F42", "HCACK_NeedReply_To_Host"),
              "0");
    EXPECT_TRUE(db->UpdateMessageToMDB("secsgem_host_to_equip", "S10F3", "MessageFromHost",
                                       "S10F320240101 10:00:00> It's done"));
    EXPECT_EQ(db->readfrommysqlgen("secsgem_host_to_equip", "S10F3", "MessageFromHost"),
              "S10F320240101 10:00:00> It's done");
    EXPECT_TRUE(NoErrors());

    // A row that is missing is neither inserted nor an error.
    EXPECT_TRUE(db->UpdateMessageToMDB("secsgem_host_to_equip", "S10F5", "MessageFromHost", "x"));
    EXPECT_TRUE(NoErrors());
    EXPECT_EQ(db->readfrommysqlgen("secsgem_host_to_equip", "S10F5", "MessageFromHost"), "");
    EXPECT_EQ(LastErrorNumber(), 3021);
    EXPECT_EQ(db->readfrommysqlgen("secs_setting", "S2F42", "x"), "");
    EXPECT_EQ(LastErrorNumber(), errc::kInvalidArgument);
}

TEST_F(DirectStatements, StreamTwelveReplyRows) {
    EXPECT_TRUE(db->UpdateValueToMDB("secs_S12data_HostToEquip", "SDACK", "NotUsed", "0"));
    EXPECT_TRUE(db->UpdateFormatToMDB("secs_S12data_HostToEquip", "SDACK", "NotUsed", 8));
    EXPECT_TRUE(db->UpdateFormatToMDB("secs_S12data_HostToEquip", "MID", "NotUsed", 17));
    std::string format;
    std::string data;
    ASSERT_TRUE(db->getMapData2("secs_S12data_HostToEquip", "SDACK", "NotUsed", format, data));
    EXPECT_EQ(format, "B");
    EXPECT_EQ(data, "0");
    ASSERT_TRUE(db->getMapData2("secs_S12data_HostToEquip", "MID", "NotUsed", format, data));
    EXPECT_EQ(format, "NotUsed");
    // A fourth REFP point that has no row is not inserted, and that is no error.
    const auto errors = events->errors.size();
    EXPECT_TRUE(db->UpdateValueToMDB("secs_S12data_HostToEquip", "REFP", "4", "1 1"));
    EXPECT_EQ(events->errors.size(), errors);
    EXPECT_FALSE(db->getMapData2("secs_S12data_HostToEquip", "REFP", "4", format, data));
}

}  // namespace
}  // namespace kest::testing
