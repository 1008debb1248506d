#include "settings/frm_gem_protocol.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "gemdb/gemdb.h"
#include "settings/secs_protocol.h"
#include "support/control_harness.h"

namespace kest::test {
namespace {

const std::string kUpdated = "SECS Protocol setting updated!";

// A control on the default database and a dialog whose device directory holds two ports.
class ProtocolDialog : public ::testing::Test {
  protected:
    ProtocolDialog() : dev_(h_.dir / "dev"), dialog_(h_.core, h_.core->SECSProtocol(), dev_) {
        std::filesystem::create_directories(dev_);
        for (const char* name : {"ttyUSB0", "ttyS0", "tty1"})
            std::ofstream(dev_ / name).put('x');
    }

    std::string Value(const char* row) const {
        return h_.Db().SettingGetField(row, FLDID_SETTING::SET_VALUE).ToText();
    }
    std::string Default(const char* row) const {
        return h_.Db().SettingGetField(row, FLDID_SETTING::SET_DEFAULTVAL).ToText();
    }
    SECSProtocol& Protocol() const { return *h_.core->SECSProtocol(); }
    frmGEMProtocolFields& Fields() { return dialog_.Fields(); }

    // Loads the dialog and forgets what loading reported.
    void Loaded() {
        ASSERT_TRUE(dialog_.Load());
        h_.boxes->texts.clear();
        h_.boxes->kinds.clear();
    }

    ControlHarness h_;
    std::filesystem::path dev_;
    frmGEMProtocol dialog_;
};

TEST_F(ProtocolDialog, LoadShowsTheSavedConfiguration) {
    ASSERT_TRUE(dialog_.Load());
    const frmGEMProtocolFields& f = dialog_.Fields();
    EXPECT_EQ(f.DeviceID, "0");
    EXPECT_TRUE(f.OpenAtStartUp);
    EXPECT_EQ(f.PortType, enmPortType::PortTypeHSMS);
    EXPECT_EQ(f.T3, "45");
    EXPECT_EQ(f.T5, "10");
    EXPECT_EQ(f.T6, "5");
    EXPECT_EQ(f.T7, "10");
    EXPECT_EQ(f.T8, "5");
    EXPECT_EQ(f.ConnectionMode, enmConnectionMode::ConnectionModePassive);
    EXPECT_EQ(f.IPAddress, "0.0.0.0");  // passive: the local pair
    EXPECT_EQ(f.PortID, "5001");
    EXPECT_EQ(f.SerialPort, "/dev/ttyS0");
    EXPECT_EQ(f.T1, "0.5");
    EXPECT_EQ(f.T2, "10");
    EXPECT_EQ(f.SECSIT3, "45");
    EXPECT_EQ(f.T4, "45");
    EXPECT_EQ(f.RetryLimit, "3");
    EXPECT_EQ(f.BaudRate, "9600");
    EXPECT_EQ(dialog_.SerialPorts(),
              (std::vector<std::string>{(dev_ / "ttyS0").string(), (dev_ / "ttyUSB0").string()}));
    EXPECT_EQ(dialog_.BaudRates(),
              (std::vector<std::string>{"1200", "2400", "4800", "9600", "19200"}));
    EXPECT_TRUE(dialog_.HSMSFieldsEnabled());
    EXPECT_FALSE(dialog_.SECSIFieldsEnabled());
    EXPECT_TRUE(h_.boxes->texts.empty());
    EXPECT_TRUE(h_.errors.empty());
}

TEST_F(ProtocolDialog, LoadShowsWhatTheChoicesCanShow) {
    Protocol().SetHSMSConnectionType(enmConnectionMode::ConnectionModeActive);
    Protocol().SetRemoteIPAddress("localhost");
    Protocol().SetRemoteIPPort(6000);
    Protocol().SetConnectionPortType(enmPortType::PortTypeTCPIP);
    Protocol().SetBaudRate(enmBaudRate::BaudRate300);
    Protocol().SetT1Timeout(0.1F);
    h_.core->SetSetting("PortOpenAtStartUp", "FALSE");
    ASSERT_TRUE(dialog_.Load());
    const frmGEMProtocolFields& f = dialog_.Fields();
    EXPECT_EQ(f.IPAddress, "localhost");  // active: the remote pair
    EXPECT_EQ(f.PortID, "6000");
    EXPECT_EQ(f.PortType, enmPortType::PortTypeHSMS);
    EXPECT_EQ(f.BaudRate, "");  // 300 is not offered: none chosen
    EXPECT_EQ(f.T1, "0.1");
    EXPECT_FALSE(f.OpenAtStartUp);

    Protocol().SetConnectionPortType(enmPortType::PortTypeRS232);
    Protocol().SetHSMSConnectionType(enmConnectionMode::ConnectionModeAlternating);
    ASSERT_TRUE(dialog_.Load());
    EXPECT_EQ(dialog_.Fields().PortType, enmPortType::PortTypeRS232);
    EXPECT_EQ(dialog_.Fields().ConnectionMode, std::nullopt);
    EXPECT_TRUE(dialog_.SECSIFieldsEnabled());
    EXPECT_FALSE(dialog_.HSMSFieldsEnabled());
}

TEST_F(ProtocolDialog, AnUnreadableDeviceDirectoryIsToldAndTheRestLoads) {
    frmGEMProtocol dialog(h_.core, h_.core->SECSProtocol(), h_.dir / "no-such-dev");
    Protocol().SetDeviceID(44);
    ASSERT_TRUE(dialog.Load());
    EXPECT_EQ(h_.boxes->texts,
              std::vector<std::string>{"Unable to query registery for serial ports!"});
    EXPECT_EQ(h_.boxes->kinds, std::vector<BoxKind>{BoxKind::Warning});
    EXPECT_TRUE(dialog.SerialPorts().empty());
    EXPECT_EQ(dialog.Fields().DeviceID, "44");
}

TEST_F(ProtocolDialog, SavingHSMSWritesItsFieldsOnly) {
    Loaded();
    Fields().DeviceID = "12";
    Fields().OpenAtStartUp = false;
    Fields().T3 = "120";
    Fields().T5 = "240";
    Fields().T8 = "1";
    Fields().IPAddress = " 127.0.0.1 ";
    Fields().PortID = "32767";
    // Disabled SECS-I fields are neither checked nor saved.
    Fields().T1 = "abc";
    Fields().T4 = "";
    Fields().RetryLimit = "99";

    ASSERT_TRUE(dialog_.Save());
    EXPECT_EQ(h_.boxes->texts, std::vector<std::string>{kUpdated});
    EXPECT_EQ(h_.boxes->kinds, std::vector<BoxKind>{BoxKind::Information});
    EXPECT_EQ(Value("PortOpenAtStartUp"), "FALSE");
    for (const auto& [row, text] :
         std::vector<std::pair<const char*, const char*>>{{"DeviceID", "12"},
                                                          {"ConnectionPortType", "HSMS"},
                                                          {"T3Timeout", "120"},
                                                          {"T5Timeout", "240"},
                                                          {"T8Timeout", "1"},
                                                          {"HSMSConnectionType", "PASSIVE"},
                                                          {"LocalIPAddress", "127.0.0.1"},
                                                          {"LocalIPPort", "32767"},
                                                          {"RemoteIPPort", "5001"},
                                                          {"T1Timeout", "0.5"},
                                                          {"T4Timeout", "45"},
                                                          {"ConnectionRetryLimit", "3"}}) {
        EXPECT_EQ(Value(row), text) << row;
        EXPECT_EQ(Default(row), text) << row;
    }
    EXPECT_EQ(Protocol().DeviceID(), 12);
    EXPECT_TRUE(h_.errors.empty());
}

TEST_F(ProtocolDialog, SavingActiveWritesTheRemotePair) {
    Loaded();
    Fields().PortType = enmPortType::PortTypeHSMS_SS;
    Fields().ConnectionMode = enmConnectionMode::ConnectionModeActive;
    Fields().IPAddress = "localhost";
    Fields().PortID = "5001";
    ASSERT_TRUE(dialog_.Save());
    EXPECT_EQ(Value("ConnectionPortType"), "HSMS_SS");
    EXPECT_EQ(Value("HSMSConnectionType"), "ACTIVE");
    EXPECT_EQ(Value("RemoteIPAddress"), "localhost");
    EXPECT_EQ(Value("RemoteIPPort"), "5001");
    EXPECT_EQ(Value("LocalIPAddress"), "0.0.0.0");
}

TEST_F(ProtocolDialog, SavingSECSIWritesItsFieldsOnly) {
    Loaded();
    Fields().PortType = enmPortType::PortTypeRS232;
    Fields().SerialPort = dialog_.SerialPorts().back();
    Fields().T1 = "0.1";
    Fields().T2 = "25";
    Fields().SECSIT3 = "100";
    Fields().T4 = "120";
    Fields().RetryLimit = "31";
    Fields().BaudRate = "19200";
    // Disabled HSMS fields are neither checked nor saved.
    Fields().T3 = "";
    Fields().T5 = "0";
    Fields().PortID = "5000";
    Fields().ConnectionMode.reset();

    ASSERT_TRUE(dialog_.Save());
    EXPECT_EQ(h_.boxes->texts, std::vector<std::string>{kUpdated});
    for (const auto& [row, text] : std::vector<std::pair<const char*, std::string>>{
             {"ConnectionPortType", "RS232"},
             {"SerialPort", (dev_ / "ttyUSB0").string()},
             {"T1Timeout", "0.1"},
             {"T2Timeout", "25"},
             {"T3Timeout", "100"},
             {"T4Timeout", "120"},
             {"ConnectionRetryLimit", "31"},
             {"BaudRate", "19200"},
             {"T5Timeout", "10"},
             {"LocalIPPort", "5001"},
             {"HSMSConnectionType", "PASSIVE"}}) {
        EXPECT_EQ(Value(row), text) << row;
        EXPECT_EQ(Default(row), text) << row;
    }
    EXPECT_EQ(Protocol().T1Timeout(), 0.1F);
}

TEST_F(ProtocolDialog, ADeviceIDFailureWritesNothing) {
    Loaded();
    Fields().DeviceID = "";
    Fields().OpenAtStartUp = false;
    Fields().T3 = "90";
    EXPECT_FALSE(dialog_.Save());
    EXPECT_EQ(h_.boxes->texts, std::vector<std::string>{"Please key in Device ID!"});
    EXPECT_EQ(h_.boxes->kinds, std::vector<BoxKind>{BoxKind::Warning});
    EXPECT_EQ(Value("PortOpenAtStartUp"), "TRUE");
    EXPECT_EQ(Value("T3Timeout"), "45");
    EXPECT_EQ(Protocol().T3Timeout(), 45);
}

TEST_F(ProtocolDialog, APortTypeFailureLeavesOnlyTheStartUpBoxWritten) {
    Loaded();
    Fields().DeviceID = "3";
    Fields().OpenAtStartUp = false;
    Fields().T3 = "90";
    Fields().PortID = "5000";
    EXPECT_FALSE(dialog_.Save());
    EXPECT_EQ(h_.boxes->texts, std::vector<std::string>{
                                   "Please enter valid value between 5001 to 32767 for Port ID!"});
    EXPECT_EQ(h_.boxes->kinds, std::vector<BoxKind>{BoxKind::Warning});
    EXPECT_EQ(Value("PortOpenAtStartUp"), "FALSE");
    EXPECT_EQ(Value("DeviceID"), "0");
    EXPECT_EQ(Value("T3Timeout"), "45");
    EXPECT_EQ(Protocol().DeviceID(), 0);
    EXPECT_EQ(Protocol().T3Timeout(), 45);

    // Turning the box back on is written again by the next attempt, failed or not.
    Fields().OpenAtStartUp = true;
    Fields().SerialPort = "";
    Fields().PortType = enmPortType::PortTypeRS232;
    EXPECT_FALSE(dialog_.Save());
    EXPECT_EQ(h_.boxes->texts.back(), "Please select COM Port!");
    EXPECT_EQ(Value("PortOpenAtStartUp"), "TRUE");
}

TEST_F(ProtocolDialog, T1BoundsThroughTheDialog) {
    Loaded();
    Fields().PortType = enmPortType::PortTypeRS232;
    for (const char* refused : {"0.09", "10.1"}) {
        Fields().T1 = refused;
        EXPECT_FALSE(dialog_.Save()) << refused;
        EXPECT_EQ(h_.boxes->texts.back(), "Please enter valid value between 0.1 to 10 for T1!");
    }
    for (const char* accepted : {"0.1", "10"}) {
        Fields().T1 = accepted;
        EXPECT_TRUE(dialog_.Save()) << accepted;
        EXPECT_EQ(h_.boxes->texts.back(), kUpdated);
        EXPECT_EQ(Value("T1Timeout"), accepted);
    }
}

TEST(ProtocolDialogDetached, DoesNothingWithoutAControl) {
    frmGEMProtocol dialog(std::weak_ptr<GemContext>{}, nullptr);
    EXPECT_FALSE(dialog.Load());
    EXPECT_FALSE(dialog.Save());
}

}  // namespace
}  // namespace kest::test
