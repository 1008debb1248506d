// The protocol object: its properties loaded from the saved defaults, saved as values and
// defaults, and handed to the driver when the port opens.
#include "settings/secs_protocol.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sstream>
#include <string>

#include "settings_rows.h"
#include "support/control_harness.h"

namespace kest::test {
namespace {

// A protocol object attached to the harness's control, after the rows were written.
std::shared_ptr<SECSProtocol> Attached(ControlHarness& h) {
    auto protocol = std::make_shared<SECSProtocol>();
    protocol->SetParent(h.core);
    return protocol;
}

// Every property in one line, in the order of kProtocolRows.
std::string Properties(const SECSProtocol& p) {
    std::ostringstream os;
    os << static_cast<int>(p.BaudRate()) << ' ' << static_cast<int>(p.ConnectionPortType()) << ' '
       << p.ConnectionRetryLimit() << ' ' << p.DeviceID() << ' '
       << static_cast<int>(p.HSMSConnectionType()) << ' ' << p.LocalIPAddress() << ' '
       << p.LocalIPPort() << ' ' << p.RemoteIPAddress() << ' ' << p.RemoteIPPort() << ' '
       << p.SerialPort() << ' ' << p.T1Timeout() << ' ' << p.T2Timeout() << ' ' << p.T3Timeout()
       << ' ' << p.T4Timeout() << ' ' << p.T5Timeout() << ' ' << p.T6Timeout() << ' '
       << p.T7Timeout() << ' ' << p.T8Timeout() << ' ' << p.TimeOutRetry();
    return os.str();
}

TEST(SECSProtocolLoad, EveryPropertyComesFromItsSavedDefault) {
    ControlHarness h;
    WriteDefaults(h.Db(), kProtocolRows, kConfiguredRows);
    auto p = Attached(h);
    EXPECT_TRUE(h.errors.empty()) << h.errors[0].ErrSource << " " << h.errors[0].ErrText;
    EXPECT_EQ(
        Properties(*p),
        "4800 4 5 17 1 127.0.0.1 7001 localhost 7002 /dev/ttyACM1 0.3 12.5 31 41 51 61 71 81 2");
}

TEST(SECSProtocolLoad, TextsWithoutAChoiceOfTheirOwnTakeTheDefaultChoice) {
    ControlHarness h;
    WriteDefaults(h.Db(), "ConnectionPortType HSMSConnectionType BaudRate",
                  "TCPIP ALTERNATING 600");
    auto p = Attached(h);
    EXPECT_EQ(p->ConnectionPortType(), enmPortType::PortTypeHSMS);
    EXPECT_EQ(p->HSMSConnectionType(), enmConnectionMode::ConnectionModePassive);
    EXPECT_EQ(p->BaudRate(), enmBaudRate::BaudRate9600);
    WriteDefaults(h.Db(), "ConnectionPortType BaudRate", "RS232 150");
    p = Attached(h);
    EXPECT_EQ(p->ConnectionPortType(), enmPortType::PortTypeRS232);
    EXPECT_EQ(p->BaudRate(), enmBaudRate::BaudRate150);
}

TEST(SECSProtocolLoad, PortOpenedTakesItsSavedDefault) {
    ControlHarness h;
    h.Db().SettingSetField("PortOpened", FLDID_SETTING::SET_DEFAULTVAL, "TRUE");
    h.Db().SettingSetField("PortOpened", FLDID_SETTING::SET_VALUE, "FALSE");
    auto p = Attached(h);
    EXPECT_EQ(Rows(h.Db(), "PortOpened"), "TRUE");
}

TEST(SECSProtocolLoad, AnUnreadableRowIsReportedAndTheOthersStillLoad) {
    ControlHarness h;
    WriteDefaults(h.Db(), "DeviceID T3Timeout", "seven 12");
    auto p = Attached(h);
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "SECSProtocol:Set Parent");
    EXPECT_EQ(h.errors[0].ErrCode, 13);  // type mismatch
    EXPECT_EQ(p->T3Timeout(), 12);
}

TEST(SECSProtocolSave, WritesValueAndDefaultOfEveryRowAndLoadsBackUnchanged) {
    ControlHarness h;
    SECSProtocol& p = *h.core->SECSProtocol();
    Configure(p);
    EXPECT_TRUE(p.SaveSetting());
    EXPECT_EQ(Rows(h.Db(), kProtocolRows), kConfiguredRows);
    EXPECT_EQ(Defaults(h.Db(), kProtocolRows), kConfiguredRows);
    EXPECT_TRUE(h.errors.empty());
    p.SetT1Timeout(0.1F);
    ASSERT_TRUE(p.SaveSetting());
    EXPECT_EQ(Properties(*Attached(h)), Properties(p));
}

TEST(SECSProtocolSave, PortTypesAndModesWithoutTheirOwnTextSaveAsTheirKin) {
    ControlHarness h;
    SECSProtocol& p = *h.core->SECSProtocol();
    p.SetConnectionPortType(enmPortType::PortTypeTCPIP);
    p.SetHSMSConnectionType(enmConnectionMode::ConnectionModeAlternating);
    ASSERT_TRUE(p.SaveSetting());
    EXPECT_EQ(Rows(h.Db(), "ConnectionPortType HSMSConnectionType"), "HSMS PASSIVE");
    p.SetConnectionPortType(enmPortType::PortTypeRS232);
    ASSERT_TRUE(p.SaveSetting());
    EXPECT_EQ(Defaults(h.Db(), "ConnectionPortType"), "RS232");
}

TEST(SECSProtocolOpen, WritesTheValuesAndHandsEveryPropertyToTheDriver) {
    ControlHarness h;
    h.SetGemVar("PPDirectory", "/srv/recipes");
    FakeDriver& d = *h.driver;
    // Start the driver from the opposite of what it should be handed.
    d.SetHostRole(true);
    d.SetLogRawBytes(true);
    d.SetLogEnabled(false);
    d.SetCheckReplyStream(true);
    d.SetAbruptClose(true);
    SECSProtocol& p = *h.core->SECSProtocol();
    Configure(p);
    const int opened = d.open_calls;
    const std::string defaults = Defaults(h.Db(), kProtocolRows);

    EXPECT_EQ(p.OpenPort(), Variant(true));
    EXPECT_EQ(d.open_calls, opened + 1);
    using std::chrono::milliseconds;
    std::ostringstream handed;
    handed << static_cast<int>(d.BaudRate()) << ' ' << static_cast<int>(d.PortType()) << ' '
           << d.RetryLimit() << ' ' << d.DeviceID() << ' ' << static_cast<int>(d.ConnectionMode())
           << ' ' << d.LocalIPAddress() << ' ' << d.LocalIPPort() << ' ' << d.RemoteIPAddress()
           << ' ' << d.RemoteIPPort() << ' ' << d.SerialPort() << ' '
           << milliseconds(d.Timer(ProtocolTimer::T1)).count() << ' '
           << milliseconds(d.Timer(ProtocolTimer::T2)).count() << ' ' << d.T3() << ' ' << d.T4()
           << ' ' << d.T5() << ' ' << d.T6() << ' ' << d.T7() << ' ' << d.T8() << ' '
           << d.T3RetryCount() << ' ' << d.PPDirectory();
    EXPECT_EQ(
        handed.str(),
        "4800 4 5 17 1 127.0.0.1 7001 localhost 7002 /dev/ttyACM1 300 12500 31 41 51 61 71 81 "
        "2 /srv/recipes");
    // Network port, host role, raw bytes logged, log enabled, reply stream checked, abrupt close.
    EXPECT_EQ((std::vector<bool>{d.NetworkPort(), d.HostRole(), d.LogRawBytes(), d.LogEnabled(),
                                 d.CheckReplyStream(), d.AbruptClose()}),
              (std::vector<bool>{true, false, false, true, false, false}));
    EXPECT_EQ(Rows(h.Db(), kProtocolRows), kConfiguredRows);
    EXPECT_EQ(Defaults(h.Db(), kProtocolRows), defaults) << "opening saves no default";
    EXPECT_TRUE(h.errors.empty());
}

TEST(SECSProtocolOpen, ASerialPortIsNoNetworkPort) {
    ControlHarness h;
    SECSProtocol& p = *h.core->SECSProtocol();
    p.SetConnectionPortType(enmPortType::PortTypeRS232);
    EXPECT_EQ(p.OpenPort(), Variant(true));
    EXPECT_FALSE(h.driver->NetworkPort());
    EXPECT_EQ(h.driver->PortType(), enmPortType::PortTypeRS232);
}

// The driver's own ranges are its tests'; opening reports its refusal and stays shut.
TEST(SECSProtocolOpen, AValueTheDriverRefusesIsReportedAndThePortStaysShut) {
    for (const std::function<void(SECSProtocol&)>& change :
         {std::function<void(SECSProtocol&)>([](auto& p) { p.SetDeviceID(32768); }),
          std::function<void(SECSProtocol&)>(
              [](auto& p) { p.SetConnectionPortType(static_cast<enmPortType>(9)); })}) {
        ControlHarness h;
        SECSProtocol& p = *h.core->SECSProtocol();
        change(p);
        const int opened = h.driver->open_calls;
        EXPECT_TRUE(p.OpenPort().IsEmpty());
        EXPECT_EQ(h.driver->open_calls, opened);
        ASSERT_EQ(h.errors.size(), 1u);
        EXPECT_EQ(h.errors[0].ErrSource, "SECSProtocol:OpenPort");
        EXPECT_EQ(h.errors[0].ErrCode, 5);
    }
}

TEST(SECSProtocolClose, ClosesTheDriversPortAndNothingWithoutAControl) {
    ControlHarness h;
    const int closed = h.driver->close_calls;
    EXPECT_EQ(h.server->SECSProtocol()->ClosePort(), Variant(true));
    EXPECT_EQ(h.driver->close_calls, closed + 1);
    SECSProtocol detached;
    EXPECT_FALSE(detached.SaveSetting());
    EXPECT_TRUE(detached.OpenPort().IsEmpty());
    EXPECT_TRUE(detached.ClosePort().IsEmpty());
}

}  // namespace
}  // namespace kest::test
