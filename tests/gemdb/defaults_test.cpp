// The default database: every GEM variable, GEM collection event and setting the system names
// resolves, in its reserved range, with a format and value a host can use; the stream/function
// table lists every primary the system sends or answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gemdb/gem_catalog.h"
#include "gemdb/var_format.h"
#include "gemdb_fixture.h"

namespace kest::testing {
namespace {

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::istringstream in{std::string(text)};
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// Written out from the system description, not from the catalog, so an omission in either the
// defaults or the catalog shows up.
const std::vector<std::string> kNamedVariables = Words(
    "CommState InitCommState ControlState InitControlState OnlineSubstate "
    "OfflineSubstate OnlineFailed EstablishCommunicationTimeout HeartBeat TimeFormat "
    "EquipmentModel EquipmentName SoftwareRevision ProcessState PreviousProcessState "
    "PPChangeName PPChangeStatus PPExecName PPDirectory PPFileExt AlarmID AlarmState "
    "PreviousCEID PreviousCommand ObjectID SpoolState SpoolLoadSubstate "
    "SpoolUnloadSubstate SpoolCountTotal SpoolFullTime SpoolStartTime ConfigSpool "
    "MaxSpoolTransmit OverWriteSpool WBITS5 WBITS6 WBITS10 Clock SpoolCountActual "
    "AlarmsEnable AlarmsSet EventsEnabled EventLimit LimitVariable TransitionType "
    "PreviousControlState ObjectSpec ObjectType AttributeID AttributeData "
    "AttributeRelationship");

const std::vector<std::string> kNamedEvents = Words(
    "GemControlStateLOCAL GemControlStateREMOTE GemControlStateOFFLINE "
    "GemProcessStateChange GemPPChangeEvent GemSpoolingActivated GemSpoolingDeactivated "
    "GemSpoolTransmitFailure GemLimitZoneTransition GemMessageAcknowledge");

const std::vector<std::string> kNamedSettings = Words(
    "GEMDatabase PortOpened PortOpenAtStartUp ConnectionPortType BaudRate SerialPort "
    "HSMSConnectionType LocalIPAddress LocalIPPort RemoteIPAddress RemoteIPPort DeviceID "
    "T1Timeout T2Timeout T3Timeout T4Timeout T5Timeout T6Timeout T7Timeout T8Timeout "
    "TimeOutRetry ConnectionRetryLimit SECSDictionaryFile SECSLogFile SECSILogPath "
    "AlarmEnableAll EventEnableAll AutoPurge S1F11SupportSV AdministratorPassword");

using Defaults = GemDbTest;

TEST_F(Defaults, EveryNamedGemVariableResolvesWithAUsableValue) {
    std::set<std::int32_t> ids;
    for (const std::string& name : kNamedVariables) {
        auto variable = db->VariableGetRecord(name, true);
        ASSERT_TRUE(variable.has_value()) << name;
        EXPECT_EQ(variable->Name(), name);
        EXPECT_GE(variable->ID(), 1) << name;
        EXPECT_LE(variable->ID(), 100) << name;
        EXPECT_TRUE(ids.insert(variable->ID()).second) << name << " shares its VID";
        EXPECT_EQ(variable->ParentKey(), 0) << name;
        auto mnemonic = db->VariableGetField(name, FLDID_VARIABLE::VAR_FORMAT, true).ToText();
        EXPECT_EQ(FormatMnemonic(FormatFromMnemonic(mnemonic)), mnemonic)
            << name << " has the unknown format " << mnemonic;
        // A numeric format needs a numeric value (or none) or the value rules fail on it.
        if (mnemonic != "A" && mnemonic != "L" && mnemonic != "BL") {
            EXPECT_TRUE(Variant(variable->Value()).IsNumeric()) << name << "=" << variable->Value();
        }
    }
    EXPECT_TRUE(NoErrors());
}

TEST_F(Defaults, FormatsAndTypesAsAHostExpects) {
    auto format = [&](const char* name) { return db->VariableGetRecord(name, true)->VarFormat(); };
    auto type = [&](const char* name) { return db->VariableGetRecord(name, true)->VarType(); };
    for (const char* list : {"AlarmsEnable", "AlarmsSet", "EventsEnabled"})
        EXPECT_EQ(format(list), 0) << list;
    EXPECT_EQ(format("Clock"), 16);
    EXPECT_EQ(format("ControlState"), 41);
    EXPECT_EQ(format("CommState"), 41);
    for (const char* ec :
         {"EstablishCommunicationTimeout", "HeartBeat", "TimeFormat", "InitCommState",
          "InitControlState", "OnlineSubstate", "OfflineSubstate", "OnlineFailed", "ConfigSpool",
          "MaxSpoolTransmit", "OverWriteSpool", "WBITS5", "WBITS6", "WBITS10"}) {
        EXPECT_EQ(type(ec), "EC") << ec;
        auto variable = db->VariableGetRecord(ec, true);
        if (variable->Min() != "NULL") {
            std::string_view mnemonic = FormatMnemonic(variable->VarFormat());
            EXPECT_GE(CompareByFormat(variable->Value(), variable->Min(), mnemonic), 0) << ec;
            EXPECT_LE(CompareByFormat(variable->Value(), variable->Max(), mnemonic), 0) << ec;
            EXPECT_GE(CompareByFormat(variable->DefaultValue(), variable->Min(), mnemonic), 0);
            EXPECT_LE(CompareByFormat(variable->DefaultValue(), variable->Max(), mnemonic), 0);
        }
    }
    for (const char* sv : {"CommState", "ControlState", "SpoolState", "Clock"})
        EXPECT_EQ(type(sv), "SV") << sv;
}

TEST_F(Defaults, StartUpValues) {
    auto value = [&](const char* name) {
        return db->VariableGetField(name, FLDID_VARIABLE::VAR_VAL, true).ToText();
    };
    EXPECT_EQ(value("EstablishCommunicationTimeout"), "10");
    EXPECT_EQ(value("InitCommState"), "1");
    EXPECT_EQ(value("InitControlState"), "2");
    EXPECT_EQ(value("OnlineSubstate"), "5");
    EXPECT_EQ(value("OnlineFailed"), "3");
    EXPECT_EQ(value("SpoolState"), "2");
    EXPECT_EQ(value("OverWriteSpool"), "FALSE");
    EXPECT_EQ(value("PPDirectory"), "NULL");
    // "MaxSpoolTransmit": the value is the transmit limit (0 all), the maximum the capacity.
    EXPECT_EQ(value("MaxSpoolTransmit"), "0");
    EXPECT_GT(db->VariableGetField("MaxSpoolTransmit", FLDID_VARIABLE::VAR_MAX, true).ToInt32(), 0);
}

TEST_F(Defaults, EveryNamedGemEventResolvesEnabled) {
    for (const std::string& name : kNamedEvents) {
        auto event = db->EventGetRecord(name, true);
        ASSERT_TRUE(event.has_value()) << name;
        EXPECT_GE(event->ID(), 1);
        EXPECT_LE(event->ID(), 100);
        EXPECT_TRUE(event->Enable()) << name;
    }
    // The map data upload sends CEID 16 with RPTID 7; both exist so a host can look them up.
    EXPECT_TRUE(db->EventGetRecord(16, true).has_value());
    EXPECT_TRUE(db->ReportGetRecord(7)->IsDefault());
}

TEST_F(Defaults, EveryNamedSettingResolves) {
    for (const std::string& name : kNamedSettings) {
        EXPECT_NE(db->SettingGetField(name, FLDID_SETTING::SET_VALUE), Variant("NULL")) << name;
    }
    auto value = [&](const char* name) {
        return db->SettingGetField(name, FLDID_SETTING::SET_VALUE).ToText();
    };
    EXPECT_EQ(value("HSMSConnectionType"), "PASSIVE");
    EXPECT_EQ(value("PortOpened"), "FALSE");
    EXPECT_EQ(value("T3Timeout"), "45");
    EXPECT_EQ(value("T1Timeout"), "0.5");
    EXPECT_EQ(value("AutoPurge"), "120");
    // The protocol dialog accepts ports 5001 to 32767 only; the default must pass it.
    int port = Variant(value("LocalIPPort")).ToInt32();
    EXPECT_GE(port, 5001);
    EXPECT_LE(port, 32767);
    EXPECT_EQ(value("AdministratorPassword").find(' '), std::string::npos);
}

TEST_F(Defaults, DefaultReportsAreLinkedAndTheirVariablesExist) {
    for (const auto& report : db->ReportGetAll()) {
        EXPECT_TRUE(report.IsDefault());
        EXPECT_LE(report.ID(), 100);
        for (std::int32_t vid : db->EvtRptGetVarList(report.ID()))
            EXPECT_TRUE(db->VariableGetRecord(vid, true).has_value()) << vid;
    }
    // The control-state events report the control state.
    auto reports = db->EvtRptGetReportList(db->EventGetRecord("GemControlStateREMOTE", true)->ID());
    ASSERT_EQ(reports.size(), 1u);
    auto vids = db->EvtRptGetVarList(reports[0]);
    auto control_state = db->VariableGetRecord("ControlState", true)->ID();
    EXPECT_NE(std::find(vids.begin(), vids.end(), control_state), vids.end());
    // Copying the defaults reproduces the links the file starts with.
    auto before = db->EvtRptGetReportList(1);
    ASSERT_TRUE(db->EvtRptDelAll());
    ASSERT_TRUE(db->EvtRptCopyDefault());
    EXPECT_EQ(db->EvtRptGetReportList(1), before);
}

// Every primary the equipment sends (first list) or answers (second list).
const std::pair<int, int> kSent[] = {
    {1, 1},  {1, 13}, {2, 17}, {5, 1},  {6, 1},   {6, 11},  {7, 1},   {7, 3},   {7, 5},   {7, 17},
    {7, 23}, {9, 1},  {9, 3},  {9, 5},  {9, 7},   {9, 9},   {9, 11},  {9, 13},  {10, 1},  {12, 1},
    {12, 3}, {12, 5}, {12, 7}, {12, 9}, {12, 11}, {12, 13}, {12, 15}, {12, 17}, {12, 19}, {14, 1}};
const std::pair<int, int> kAnswered[] = {
    {1, 1},  {1, 3},  {1, 11}, {1, 13}, {1, 15}, {1, 17}, {2, 13}, {2, 15}, {2, 17},
    {2, 21}, {2, 23}, {2, 25}, {2, 29}, {2, 31}, {2, 33}, {2, 35}, {2, 37}, {2, 39},
    {2, 41}, {2, 43}, {2, 45}, {2, 47}, {2, 49}, {5, 3},  {5, 5},  {5, 7},  {6, 15},
    {6, 19}, {6, 23}, {7, 1},  {7, 3},  {7, 5},  {7, 17}, {7, 19}, {10, 3}, {10, 5}};

TEST_F(Defaults, StreamFunctionRowsForEveryPrimary) {
    for (auto [s, f] : kSent)
        EXPECT_TRUE(db->SFGetRecord(s, f).has_value()) << "S" << s << "F" << f;
    for (auto [s, f] : kAnswered) {
        auto row = db->SFGetRecord(s, f);
        ASSERT_TRUE(row.has_value()) << "S" << s << "F" << f;
        EXPECT_TRUE(row->primary_support) << "S" << s << "F" << f;
    }
    // Spooled: the reports the equipment sends on its own; never stream 1 or a reply.
    for (auto [s, f] : {std::pair{5, 1}, std::pair{6, 1}, std::pair{6, 11}, std::pair{10, 1}}) {
        EXPECT_TRUE(db->SFGetRecord(s, f)->spool_support) << "S" << s << "F" << f;
        EXPECT_TRUE(db->SFGetRecord(s, f)->spool_enable) << "S" << s << "F" << f;
    }
    EXPECT_TRUE(db->SpoolSupportFunc(1).empty());
    EXPECT_TRUE(db->SpoolSupportFunc(9).empty());
    for (int stream = 1; stream <= 14; ++stream) {
        for (std::int32_t f : db->SFGetFunc(stream)) {
            EXPECT_EQ(f % 2, 1) << "S" << stream << "F" << f << " is not a primary";
            auto row = db->SFGetRecord(stream, f);
            EXPECT_EQ(row->spool_enable, row->spool_support);
        }
    }
}

TEST_F(Defaults, CatalogCoversEveryNamedItem) {
    auto contains = [](std::span<const std::string_view> list, std::string_view name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    for (const std::string& name : kNamedVariables)
        EXPECT_TRUE(contains(RequiredGemVariables(), name)) << name;
    for (const std::string& name : kNamedEvents)
        EXPECT_TRUE(contains(RequiredGemEvents(), name)) << name;
    for (const std::string& name : kNamedSettings)
        EXPECT_TRUE(contains(RequiredSettings(), name)) << name;
    EXPECT_TRUE(CheckGemDatabase(db_path).Complete());
}

}  // namespace
}  // namespace kest::testing
