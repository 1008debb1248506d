// The operator window's settings tabs and dialogs: what each accepts, the warning and field of
// each refusal, and what lands in the database.
#include <fstream>

#include "gemdb/gemdb.h"
#include "ui/entry_checks.h"
#include "window_fixture.h"

namespace kest::test {
namespace {

TEST(EntryChecks, EveryRefusalHasItsTextAndField) {
    const std::string dir = std::filesystem::temp_directory_path().string();
    struct Case {
        EntryCheck got;
        const char* text;  // nullptr: accepted
        const char* field;
    } cases[] = {
        {CheckCommunicationTab("1800", "60"), nullptr, ""},
        {CheckCommunicationTab(" 0 ", "0.4"), nullptr, ""},
        {CheckCommunicationTab("", "1"), "Please key in Establish Communication Timeout!",
         "txtEstablishCommunicationTimeout"},
        {CheckCommunicationTab("1x", "1"),
         "Please key in numeric for Establish Communication Timeout!",
         "txtEstablishCommunicationTimeout"},
        {CheckCommunicationTab("inf", "1"),
         "Please key in numeric for Establish Communication Timeout!",
         "txtEstablishCommunicationTimeout"},
        {CheckCommunicationTab("-1", "1"),
         "Establish Communication Timeout cannot less than 0 second!",
         "txtEstablishCommunicationTimeout"},
        {CheckCommunicationTab("1801", "1"),
         "Establish Communication Timeout cannot exceed than 1800 second!",
         "txtEstablishCommunicationTimeout"},
        {CheckCommunicationTab("10", " "), "Please key in HeartBeat!", "txtHeartBeat"},
        {CheckCommunicationTab("10", "0x3"), "Please key in numeric for HeartBeat!",
         "txtHeartBeat"},
        {CheckCommunicationTab("10", "-2"), "HeartBeat cannot less than 0 second!", "txtHeartBeat"},
        {CheckCommunicationTab("10", "61"), "HeartBeat cannot exceed than 60 second!",
         "txtHeartBeat"},
        {CheckSpoolCount("1000", 1000), nullptr, ""},
        {CheckSpoolCount("", 1000), "Please key in Maximum Message Count!", "txtMaxSpoolTransmit"},
        {CheckSpoolCount("a", 1000), "Please key in numeric for Maximum Message Count!",
         "txtMaxSpoolTransmit"},
        {CheckSpoolCount("-1", 1000), "Maximum Message Count cannot less than 0!",
         "txtMaxSpoolTransmit"},
        {CheckSpoolCount("1001", 1000), "Maximum Message Count cannot exceed than 1000!",
         "txtMaxSpoolTransmit"},
        {CheckRecipeTab(dir, "rcp"), nullptr, ""},
        {CheckRecipeTab("", "rcp"), "Please browse the Recipe Directory!", "txtRecipeDirectory"},
        {CheckRecipeTab(dir + "/no-such-dir", "rcp"),
         "Recipe Directory not exist! Please browse again.", "txtRecipeDirectory"},
        {CheckRecipeTab(dir, ""), "Please key in the File Extension!", "txtFileExtension"},
        {CheckOptions("E", "M", "R", "16 Bytes"), nullptr, ""},
        {CheckOptions("", "M", "R", "12 Bytes"), "Please key in the Equiment Name!",
         "txtEquipmentName"},
        {CheckOptions("E", "", "R", "12 Bytes"), "Please key in the Equiment Model!",
         "txtEquipmentModel"},
        {CheckOptions("E", "M", "", "12 Bytes"), "Please key in the Software Revision!",
         "txtSoftwareRevision"},
        {CheckOptions("E", "M", "R", "8 Bytes"), "Please select the Time Format!", "cboTimeFormat"},
        {CheckLogin("pw", "pw"), nullptr, ""},
        {CheckLogin("", "pw"), "Please key in the Administrator Password!", "txtPassword"},
        {CheckLogin("PW", "pw"), "Invalid Administrator Password!", "txtPassword"},
        {CheckNewPassword("new"), nullptr, ""},
        {CheckNewPassword(""), "Please key in the Password!", "txtNewPassword"},
        {CheckNewPassword("a b"), "Please make sure no space in the Password!", "txtNewPassword"},
        {CheckDatabaseName("/x/GEM.mdb"), nullptr, ""},
        {CheckDatabaseName(""), "Please select the GEM Database!", "txtGEMDatabase"},
        {CheckDatabaseName("/x/GEM.db"), "Please select the correct GEM Database!",
         "txtGEMDatabase"},
        {CheckRecipeID("A.RCP", dir), nullptr, ""},
        {CheckRecipeID("", dir), "Please key in the Recipe ID!", "txtRecipeID"},
        {CheckRecipeID("A B", dir), "Please make sure no space in the Recipe ID!", "txtRecipeID"},
        {CheckRecipeID("NOSUCH\\A", dir), "Please key in Recipe ID with valid path!",
         "txtRecipeID"},
        {CheckRecipeID("..\\A", dir), "Please key in Recipe ID with valid path!", "txtRecipeID"},
        {CheckTerminalText("hi"), nullptr, ""},
        {CheckTerminalText(""), "Please key in Terminal Message!", "txtTerminalMessage"},
    };
    for (const Case& c : cases) {
        if (c.text == nullptr) {
            EXPECT_FALSE(c.got.has_value()) << c.got.value_or(EntryWarning{}).text;
        } else {
            EXPECT_EQ(c.got, (EntryWarning{c.text, c.field}));
        }
    }
}

class SettingsTest : public WindowTest {
  protected:
    void SetUp() override {
        StartTool();
        h.boxes->texts.clear();
    }
    void Admin() { ASSERT_TRUE(window->Login("kestadmin")); }
    std::vector<std::string>& Boxes() { return h.boxes->texts; }
};

TEST_F(SettingsTest, NothingChangesOutsideAdministratorModeAndLoginChecksThePassword) {
    EXPECT_FALSE(window->SaveCommunicationSetting("20", "5", true));
    EXPECT_FALSE(window->SetOption(WindowOption::WBits5, false));
    EXPECT_EQ(h.GemVar("EstablishCommunicationTimeout"), "10");
    EXPECT_EQ(h.GemVar("WBITS5"), "1");
    EXPECT_EQ(Fields().Settings.LoginMenu, "&Login");
    EXPECT_FALSE(Fields().Settings.SettingsEnabled);

    EXPECT_FALSE(window->Login(""));
    EXPECT_FALSE(window->Login("KESTADMIN"));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"Please key in the Administrator Password!",
                                                 "Invalid Administrator Password!"}));
    EXPECT_FALSE(window->AdminMode());
    Admin();
    EXPECT_EQ(Fields().Settings.LoginMenu, "&Logout");
    EXPECT_TRUE(Fields().Settings.SettingsEnabled);
    window->Logout();
    EXPECT_FALSE(window->AdminMode());
    EXPECT_EQ(Fields().Settings.LoginMenu, "&Login");
}

TEST_F(SettingsTest, CommunicationTabWritesAfterItsChecksAndAppliesTheHeartbeat) {
    Admin();
    EXPECT_FALSE(window->SaveCommunicationSetting("1801", "5", false));
    EXPECT_EQ(Fields().Focus, "txtEstablishCommunicationTimeout");
    EXPECT_EQ(h.GemVar("EstablishCommunicationTimeout"), "10");
    EXPECT_EQ(h.GemVar("InitCommState"), "1");
    EXPECT_TRUE(window->SaveCommunicationSetting("1800", "60", false));
    EXPECT_EQ(Fields().Focus, "");
    EXPECT_EQ(h.GemVar("EstablishCommunicationTimeout"), "1800");
    EXPECT_EQ(h.GemVar("HeartBeat"), "60");
    EXPECT_EQ(h.GemVar("InitCommState"), "0");
    EXPECT_EQ(Fields().Settings.HeartBeat, "60");
    EXPECT_FALSE(Fields().Settings.InitCommEnabled);
    EXPECT_EQ(Boxes().back(), "Communication Setting Updated.");
}

TEST_F(SettingsTest, EveryOptionWritesItsPairOfValues) {
    Admin();
    struct Case {
        WindowOption option;
        const char* variable;
        const char* on;
        const char* off;
    } cases[] = {
        {WindowOption::InitCommState, "InitCommState", "1", "0"},
        {WindowOption::InitControlState, "InitControlState", "2", "1"},
        {WindowOption::OnlineFailed, "OnlineFailed", "3", "1"},
        {WindowOption::OnlineSubstate, "OnlineSubstate", "5", "4"},
        {WindowOption::OfflineSubstate, "OfflineSubstate", "3", "1"},
        {WindowOption::WBits5, "WBITS5", "1", "0"},
        {WindowOption::WBits6, "WBITS6", "1", "0"},
        {WindowOption::WBits10, "WBITS10", "1", "0"},
        {WindowOption::ConfigSpool, "ConfigSpool", "1", "0"},
        {WindowOption::OverWriteSpool, "OverWriteSpool", "TRUE", "FALSE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variable);
        ASSERT_TRUE(window->SetOption(c.option, false));
        EXPECT_EQ(h.GemVar(c.variable), c.off);
        ASSERT_TRUE(window->SetOption(c.option, true));
        EXPECT_EQ(h.GemVar(c.variable), c.on);
    }
    EXPECT_TRUE(Fields().Settings.OverWriteSpool);
    EXPECT_TRUE(Fields().Settings.InitControlOnline);
}

TEST_F(SettingsTest, SpoolRecipeAndOptionsDialogsWriteWhatTheyAccept) {
    Admin();
    EXPECT_FALSE(window->SaveSpoolSetting("1001"));  // the variable's maximum is the bound
    EXPECT_EQ(Boxes().back(), "Maximum Message Count cannot exceed than 1000!");
    EXPECT_TRUE(window->SaveSpoolSetting("1000"));
    EXPECT_EQ(h.GemVar("MaxSpoolTransmit"), "1000");
    EXPECT_EQ(Boxes().back(), "Spooling Setting Updated.");

    const std::string recipes = (h.dir / "recipes").string();
    EXPECT_FALSE(window->SaveRecipeSetting(recipes, "rcp"));
    EXPECT_EQ(Fields().Focus, "txtRecipeDirectory");
    std::filesystem::create_directory(recipes);
    EXPECT_TRUE(window->SaveRecipeSetting(recipes, "rcp"));
    EXPECT_EQ(h.GemVar("PPDirectory"), recipes);
    EXPECT_EQ(h.GemVar("PPFileExt"), "rcp");
    EXPECT_EQ(h.driver->PPDirectory(), recipes);
    EXPECT_EQ(Boxes().back(), "Recipe Setting Updated.");

    EXPECT_FALSE(window->SaveOptions("Etcher", "", "2.0", "16 Bytes"));
    EXPECT_TRUE(window->SaveOptions("Etcher", "E-300", "2.0", "16 Bytes"));
    EXPECT_EQ(h.GemVar("EquipmentModel"), "E-300");
    EXPECT_EQ(h.GemVar("TimeFormat"), "1");
    EXPECT_EQ(Fields().EquipmentName, "Etcher");
    EXPECT_TRUE(window->SaveOptions("Etcher", "E-300", "2.0", "12 Bytes"));
    EXPECT_EQ(h.GemVar("TimeFormat"), "0");
}

TEST_F(SettingsTest, PasswordDatabaseAndLogDialogs) {
    Admin();
    EXPECT_FALSE(window->ChangePassword("a b"));
    EXPECT_TRUE(window->ChangePassword("s3cret"));
    EXPECT_EQ(Boxes().back(), "Change Administrator Password success!");
    window->Logout();
    EXPECT_FALSE(window->Login("kestadmin"));
    ASSERT_TRUE(window->Login("s3cret"));

    h.core->SetSetting("PortOpened", "TRUE");
    const std::string other = (h.dir / "Other.mdb").string();
    std::filesystem::copy_file(h.Db().DBFile(), other);
    EXPECT_FALSE(window->ChangeDatabase(other));
    EXPECT_EQ(Boxes().back(), "GEM Database cannot be change during port is connected!");
    h.core->SetSetting("PortOpened", "FALSE");
    EXPECT_FALSE(window->ChangeDatabase((h.dir / "Other.db").string()));
    EXPECT_EQ(Boxes().back(), "Please select the correct GEM Database!");
    EXPECT_TRUE(window->ChangeDatabase(other));
    EXPECT_EQ(h.Db().DBFile(), other);
    EXPECT_EQ(h.core->Setting("GEMDatabase"), other);
    EXPECT_EQ(Fields().Settings.GEMDatabase, other);

    EXPECT_FALSE(window->LogFile(WindowLog::SecsII).has_value());
    EXPECT_EQ(Boxes().back().substr(0, 7), "SECSII_");
    EXPECT_NE(Boxes().back().find(".log not exist!"), std::string::npos);
    const auto service = window->LogFile(WindowLog::Service);
    ASSERT_TRUE(service.has_value());  // the control has logged its start-up
    EXPECT_EQ(service->parent_path(), h.dir / "Log");
}

TEST_F(SettingsTest, TerminalButtonsNeedALiveOnlineLinkAndText) {
    Admin();
    struct Case {
        const char* port;
        const char* comm;
        const char* control;
        std::string text;
        const char* box;  // nullptr: sent
    } cases[] = {
        {"FALSE", "2", "5", "hi", "Invalid port connect state to perform this task."},
        {"TRUE", "1", "5", "hi", "Invalid communication state to perform this task."},
        {"TRUE", "2", "3", "hi", "Invalid control state to perform this task."},
        {"TRUE", "2", "5", "", "Please key in Terminal Message!"},
        {"TRUE", "2", "4", "hi", nullptr},
    };
    for (const Case& c : cases) {
        h.core->SetSetting("PortOpened", c.port);
        h.SetGemVar("CommState", c.comm);
        h.SetGemVar("ControlState", c.control);
        const std::size_t before = Count("S10F1");
        EXPECT_EQ(window->SendTerminalButton(c.text), c.box == nullptr) << c.text;
        if (c.box != nullptr) {
            EXPECT_EQ(Boxes().back(), c.box);
        }
        EXPECT_EQ(Count("S10F1"), before + (c.box == nullptr ? 1 : 0)) << c.comm << c.control;
    }
    h.core->DisplayMessage("from the host");
    ASSERT_TRUE(window->ClearTerminalButton());
    EXPECT_EQ(h.core->MessageWindowText(), "");
    ASSERT_FALSE(ReportedCEIDs().empty());
    EXPECT_EQ(ReportedCEIDs().back(), 10);  // "GemMessageAcknowledge"
}

TEST_F(SettingsTest, UploadAndDownloadDialogsSendAndWriteTheirResultLines) {
    using namespace kest::build;
    Admin();
    const auto recipes = h.dir / "recipes";
    std::filesystem::create_directories(recipes);
    for (const char* name : {"b.rcp", "a.rcp", "c.txt"})
        std::ofstream(recipes / name) << "xyz";
    h.SetGemVar("PPDirectory", recipes.string());
    h.SetGemVar("PPFileExt", "rcp");
    EXPECT_EQ(window->UploadList(), (std::vector<std::string>{"a.rcp", "b.rcp"}));
    h.core->SetSetting("PortOpened", "TRUE");
    h.SetGemVar("CommState", 2);
    h.SetGemVar("ControlState", 5);

    EXPECT_FALSE(window->UploadButton("c.txt"));
    EXPECT_EQ(Boxes().back(), "Please select Recipe ID!");
    EXPECT_FALSE(window->DownloadButton("A B"));
    EXPECT_EQ(Boxes().back(), "Please make sure no space in the Recipe ID!");
    EXPECT_EQ(Count("S7F1") + Count("S7F5"), 0u);

    ASSERT_TRUE(window->UploadButton("a.rcp"));
    EXPECT_EQ(Sent("S7F1").back()->Primary().Item(1), L(A("a.rcp"), U4(3)));
    Answer("S7F1", SecsMessage(7, 2, false, B({1})));  // already have it
    ASSERT_TRUE(window->DownloadButton("new.rcp"));
    Answer("S7F5", SecsMessage(7, 6, false, L(A("new.rcp"), B({1, 2}))));
    ASSERT_TRUE(window->DownloadButton("gone.rcp"));
    Answer("S7F5", SecsMessage(7, 6, false, L()));
    EXPECT_EQ(Fields().Results,
              (std::vector<std::string>{"Recipe [a.rcp] upload to host rejected.",
                                        "Recipe [new.rcp] download from host success.",
                                        "Recipe [gone.rcp] download from host failed."}));
    EXPECT_EQ(std::filesystem::file_size(recipes / "new.rcp"), 2u);
}

}  // namespace
}  // namespace kest::test
