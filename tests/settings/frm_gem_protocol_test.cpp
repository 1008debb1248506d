// The protocol dialog: what it shows of the protocol object, what it saves for each port type,
// and a refused save (the checks themselves: protocol_fields_test.cpp).
#include "settings/frm_gem_protocol.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "settings_rows.h"
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

    SECSProtocol& Protocol() const { return *h_.core->SECSProtocol(); }
    frmGEMProtocolFields& Fields() { return dialog_.Fields(); }
    std::string Value(const std::string& rows) const { return Rows(h_.Db(), rows); }
    // The rows' values, which saving wrote as their defaults too.
    std::string Saved(const std::string& rows) const {
        EXPECT_EQ(Defaults(h_.Db(), rows), Value(rows));
        return Value(rows);
    }

    // The loaded fields in one line: device ID, port type, T3, T5 to T8, mode (- for none),
    // IP address, port ID, serial port, T1, T2, the SECS-I T3, T4, retry limit, baud rate.
    std::string Shown() {
        EXPECT_TRUE(dialog_.Load());
        const frmGEMProtocolFields& f = Fields();
        std::string line = f.DeviceID + " " + std::to_string(static_cast<int>(f.PortType));
        for (const std::string* text : {&f.T3, &f.T5, &f.T6, &f.T7, &f.T8})
            line += " " + *text;
        line += " " + (f.ConnectionMode ? std::to_string(static_cast<int>(*f.ConnectionMode))
                                        : std::string("-"));
        for (const std::string* text : {&f.IPAddress, &f.PortID, &f.SerialPort, &f.T1, &f.T2,
                                        &f.SECSIT3, &f.T4, &f.RetryLimit, &f.BaudRate})
            line += " " + *text;
        return line;
    }

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

TEST_F(ProtocolDialog, LoadShowsWhatTheChoicesCanShow) {
    Configure(Protocol());  // HSMS single session, active: the remote pair
    EXPECT_EQ(Shown(), "17 4 31 51 61 71 81 1 localhost 7002 /dev/ttyACM1 0.3 12.5 31 41 5 4800");
    EXPECT_TRUE(Fields().OpenAtStartUp);
    EXPECT_EQ(dialog_.SerialPorts(),
              (std::vector<std::string>{(dev_ / "ttyS0").string(), (dev_ / "ttyUSB0").string()}));
    EXPECT_EQ(dialog_.BaudRates(),
              (std::vector<std::string>{"1200", "2400", "4800", "9600", "19200"}));
    EXPECT_TRUE(dialog_.HSMSFieldsEnabled());
    EXPECT_FALSE(dialog_.SECSIFieldsEnabled());

    // Passive: the local pair; TCPIP shows as HSMS; 300 baud is not offered: none chosen.
    Protocol().SetHSMSConnectionType(enmConnectionMode::ConnectionModePassive);
    Protocol().SetConnectionPortType(enmPortType::PortTypeTCPIP);
    Protocol().SetBaudRate(enmBaudRate::BaudRate300);
    Protocol().SetT1Timeout(0.1F);
    h_.core->SetSetting("PortOpenAtStartUp", "FALSE");
    EXPECT_EQ(Shown(), "17 2 31 51 61 71 81 2 127.0.0.1 7001 /dev/ttyACM1 0.1 12.5 31 41 5 ");
    EXPECT_FALSE(Fields().OpenAtStartUp);

    Protocol().SetConnectionPortType(enmPortType::PortTypeRS232);
    Protocol().SetHSMSConnectionType(enmConnectionMode::ConnectionModeAlternating);
    EXPECT_EQ(Shown(), "17 1 31 51 61 71 81 - 127.0.0.1 7001 /dev/ttyACM1 0.1 12.5 31 41 5 ");
    EXPECT_TRUE(dialog_.SECSIFieldsEnabled());
    EXPECT_FALSE(dialog_.HSMSFieldsEnabled());
    EXPECT_TRUE(h_.boxes->texts.empty());
    EXPECT_TRUE(h_.errors.empty());
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
    Fields().T6 = "6";
    Fields().T7 = "7";
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
    EXPECT_EQ(Saved("DeviceID ConnectionPortType T3Timeout T5Timeout T6Timeout T7Timeout "
                    "T8Timeout HSMSConnectionType LocalIPAddress LocalIPPort RemoteIPPort "
                    "T1Timeout T4Timeout ConnectionRetryLimit"),
              "12 HSMS 120 240 6 7 1 PASSIVE 127.0.0.1 32767 5001 0.5 45 3");
    EXPECT_EQ(Protocol().DeviceID(), 12);

    // Active: the remote pair.
    Fields().PortType = enmPortType::PortTypeHSMS_SS;
    Fields().ConnectionMode = enmConnectionMode::ConnectionModeActive;
    Fields().IPAddress = "localhost";
    Fields().PortID = "5001";
    ASSERT_TRUE(dialog_.Save());
    EXPECT_EQ(Saved("ConnectionPortType HSMSConnectionType RemoteIPAddress RemoteIPPort "
                    "LocalIPAddress LocalIPPort"),
              "HSMS_SS ACTIVE localhost 5001 127.0.0.1 32767");
    EXPECT_TRUE(h_.errors.empty());
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
    EXPECT_EQ(Saved("ConnectionPortType SerialPort T1Timeout T2Timeout T3Timeout T4Timeout "
                    "ConnectionRetryLimit BaudRate T5Timeout LocalIPPort HSMSConnectionType"),
              "RS232 " + (dev_ / "ttyUSB0").string() + " 0.1 25 100 120 31 19200 10 5001 PASSIVE");
    EXPECT_EQ(Protocol().T1Timeout(), 0.1F);
}

TEST_F(ProtocolDialog, ARefusedSaveWritesAtMostTheStartUpBox) {
    Loaded();
    Fields().DeviceID = "";
    Fields().OpenAtStartUp = false;
    Fields().T3 = "90";
    Fields().PortID = "5000";
    EXPECT_FALSE(dialog_.Save());  // the device ID is checked before the box is written
    EXPECT_EQ(Value("PortOpenAtStartUp"), "TRUE");
    Fields().DeviceID = "3";
    EXPECT_FALSE(dialog_.Save());  // the port fields after
    EXPECT_EQ(h_.boxes->texts, (std::vector<std::string>{
                                   "Please key in Device ID!",
                                   "Please enter valid value between 5001 to 32767 for Port ID!"}));
    EXPECT_EQ(h_.boxes->kinds, (std::vector<BoxKind>{BoxKind::Warning, BoxKind::Warning}));
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

TEST(ProtocolDialogDetached, DoesNothingWithoutAControl) {
    frmGEMProtocol dialog(std::weak_ptr<GemContext>{}, nullptr);
    EXPECT_FALSE(dialog.Load());
    EXPECT_FALSE(dialog.Save());
}

}  // namespace
}  // namespace kest::test
