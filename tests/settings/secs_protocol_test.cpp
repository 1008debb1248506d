#include "settings/secs_protocol.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "gemdb/gemdb.h"
#include "support/control_harness.h"

namespace kest::test {
namespace {

using Rows = std::map<std::string, std::string>;

void WriteDefaults(GEMDB& db, const Rows& rows) {
    for (const auto& [name, text] : rows) {
        db.SettingSetField(name, FLDID_SETTING::SET_DEFAULTVAL, text);
        db.SettingSetField(name, FLDID_SETTING::SET_VALUE, "999");  // never the source
    }
}

std::string Value(GEMDB& db, const std::string& name) {
    return db.SettingGetField(name, FLDID_SETTING::SET_VALUE).ToText();
}

std::string Default(GEMDB& db, const std::string& name) {
    return db.SettingGetField(name, FLDID_SETTING::SET_DEFAULTVAL).ToText();
}

// A protocol object attached to the harness's control, after the rows were written.
std::shared_ptr<SECSProtocol> Attached(ControlHarness& h) {
    auto protocol = std::make_shared<SECSProtocol>();
    protocol->SetParent(h.core);
    return protocol;
}

TEST(SECSProtocolLoad, EveryPropertyComesFromTheSavedDefault) {
    ControlHarness h;
    WriteDefaults(h.Db(), {{"BaudRate", "2400"},
                           {"ConnectionPortType", "RS232"},
                           {"ConnectionRetryLimit", "7"},
                           {"DeviceID", "321"},
                           {"HSMSConnectionType", "ACTIVE"},
                           {"LocalIPAddress", "127.0.0.1"},
                           {"LocalIPPort", "6001"},
                           {"RemoteIPAddress", "localhost"},
                           {"RemoteIPPort", "6002"},
                           {"SerialPort", "/dev/ttyUSB3"},
                           {"T1Timeout", "0.1"},
                           {"T2Timeout", "2.5"},
                           {"T3Timeout", "33"},
                           {"T4Timeout", "44"},
                           {"T5Timeout", "55"},
                           {"T6Timeout", "66"},
                           {"T7Timeout", "77"},
                           {"T8Timeout", "88"},
                           {"TimeOutRetry", "4"}});
    auto p = Attached(h);
    EXPECT_TRUE(h.errors.empty()) << h.errors[0].ErrSource << " " << h.errors[0].ErrText;
    EXPECT_EQ(p->BaudRate(), enmBaudRate::BaudRate2400);
    EXPECT_EQ(p->ConnectionPortType(), enmPortType::PortTypeRS232);
    EXPECT_EQ(p->ConnectionRetryLimit(), 7);
    EXPECT_EQ(p->DeviceID(), 321);
    EXPECT_EQ(p->HSMSConnectionType(), enmConnectionMode::ConnectionModeActive);
    EXPECT_EQ(p->LocalIPAddress(), "127.0.0.1");
    EXPECT_EQ(p->LocalIPPort(), 6001);
    EXPECT_EQ(p->RemoteIPAddress(), "localhost");
    EXPECT_EQ(p->RemoteIPPort(), 6002);
    EXPECT_EQ(p->SerialPort(), "/dev/ttyUSB3");
    EXPECT_EQ(p->T1Timeout(), 0.1F);
    EXPECT_EQ(p->T2Timeout(), 2.5F);
    EXPECT_EQ(p->T3Timeout(), 33);
    EXPECT_EQ(p->T4Timeout(), 44);
    EXPECT_EQ(p->T5Timeout(), 55);
    EXPECT_EQ(p->T6Timeout(), 66);
    EXPECT_EQ(p->T7Timeout(), 77);
    EXPECT_EQ(p->T8Timeout(), 88);
    EXPECT_EQ(p->TimeOutRetry(), 4);
}

struct TextCase {
    const char* row;
    const char* stored;
    std::function<int(const SECSProtocol&)> read;
    int expected;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.row << "=" << c.stored;
}

class SECSProtocolTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(SECSProtocolTexts, StoredTextGivesTheEnumeration) {
    ControlHarness h;
    WriteDefaults(h.Db(), {{GetParam().row, GetParam().stored}});
    auto p = Attached(h);
    EXPECT_EQ(GetParam().read(*p), GetParam().expected);
}

int PortType(const SECSProtocol& p) {
    return static_cast<int>(p.ConnectionPortType());
}
int Mode(const SECSProtocol& p) {
    return static_cast<int>(p.HSMSConnectionType());
}
int Baud(const SECSProtocol& p) {
    return static_cast<int>(p.BaudRate());
}

INSTANTIATE_TEST_SUITE_P(Rows, SECSProtocolTexts,
                         ::testing::Values(TextCase{"ConnectionPortType", "RS232", PortType, 1},
                                           TextCase{"ConnectionPortType", "HSMS_SS", PortType, 4},
                                           TextCase{"ConnectionPortType", "HSMS", PortType, 2},
                                           TextCase{"ConnectionPortType", "TCPIP", PortType, 2},
                                           TextCase{"HSMSConnectionType", "ACTIVE", Mode, 1},
                                           TextCase{"HSMSConnectionType", "PASSIVE", Mode, 2},
                                           TextCase{"HSMSConnectionType", "ALTERNATING", Mode, 2},
                                           TextCase{"BaudRate", "150", Baud, 150},
                                           TextCase{"BaudRate", "300", Baud, 300},
                                           TextCase{"BaudRate", "1200", Baud, 1200},
                                           TextCase{"BaudRate", "4800", Baud, 4800},
                                           TextCase{"BaudRate", "19200", Baud, 19200}));

TEST(SECSProtocolLoad, PortOpenedTakesItsSavedDefault) {
    ControlHarness h;
    h.Db().SettingSetField("PortOpened", FLDID_SETTING::SET_DEFAULTVAL, "TRUE");
    h.Db().SettingSetField("PortOpened", FLDID_SETTING::SET_VALUE, "FALSE");
    auto p = Attached(h);
    EXPECT_EQ(Value(h.Db(), "PortOpened"), "TRUE");
}

TEST(SECSProtocolLoad, AnUnreadableRowIsReportedAndTheOthersStillLoad) {
    ControlHarness h;
    WriteDefaults(h.Db(), {{"DeviceID", "seven"}, {"T3Timeout", "12"}});
    auto p = Attached(h);
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "SECSProtocol:Set Parent");
    EXPECT_EQ(h.errors[0].ErrCode, 13);  // type mismatch
    EXPECT_EQ(p->T3Timeout(), 12);
}

// A configuration unlike the defaults in every property.
void Configure(SECSProtocol& p) {
    p.SetBaudRate(enmBaudRate::BaudRate4800);
    p.SetConnectionPortType(enmPortType::PortTypeHSMS_SS);
    p.SetConnectionRetryLimit(5);
    p.SetDeviceID(17);
    p.SetHSMSConnectionType(enmConnectionMode::ConnectionModeActive);
    p.SetLocalIPAddress("127.0.0.1");
    p.SetLocalIPPort(7001);
    p.SetRemoteIPAddress("localhost");
    p.SetRemoteIPPort(7002);
    p.SetSerialPort("/dev/ttyACM1");
    p.SetT1Timeout(0.3F);
    p.SetT2Timeout(12.5F);
    p.SetT3Timeout(31);
    p.SetT4Timeout(41);
    p.SetT5Timeout(51);
    p.SetT6Timeout(61);
    p.SetT7Timeout(71);
    p.SetT8Timeout(81);
    p.SetTimeOutRetry(2);
}

const Rows kConfiguredRows{{"BaudRate", "4800"},
                           {"ConnectionPortType", "HSMS_SS"},
                           {"ConnectionRetryLimit", "5"},
                           {"DeviceID", "17"},
                           {"HSMSConnectionType", "ACTIVE"},
                           {"LocalIPAddress", "127.0.0.1"},
                           {"LocalIPPort", "7001"},
                           {"RemoteIPAddress", "localhost"},
                           {"RemoteIPPort", "7002"},
                           {"SerialPort", "/dev/ttyACM1"},
                           {"T1Timeout", "0.3"},
                           {"T2Timeout", "12.5"},
                           {"T3Timeout", "31"},
                           {"T4Timeout", "41"},
                           {"T5Timeout", "51"},
                           {"T6Timeout", "61"},
                           {"T7Timeout", "71"},
                           {"T8Timeout", "81"},
                           {"TimeOutRetry", "2"}};

TEST(SECSProtocolSave, WritesValueAndDefaultOfEveryRow) {
    ControlHarness h;
    SECSProtocol& p = *h.core->SECSProtocol();
    Configure(p);
    EXPECT_TRUE(p.SaveSetting());
    for (const auto& [row, text] : kConfiguredRows) {
        EXPECT_EQ(Value(h.Db(), row), text) << row;
        EXPECT_EQ(Default(h.Db(), row), text) << row;
    }
    EXPECT_TRUE(h.errors.empty());
}

TEST(SECSProtocolSave, WhatIsSavedLoadsBackUnchanged) {
    ControlHarness h;
    SECSProtocol& p = *h.core->SECSProtocol();
    Configure(p);
    p.SetT1Timeout(0.1F);
    ASSERT_TRUE(p.SaveSetting());
    auto again = Attached(h);
    EXPECT_EQ(again->T1Timeout(), 0.1F);
    EXPECT_EQ(again->T2Timeout(), 12.5F);
    EXPECT_EQ(again->ConnectionPortType(), enmPortType::PortTypeHSMS_SS);
    EXPECT_EQ(again->HSMSConnectionType(), enmConnectionMode::ConnectionModeActive);
    EXPECT_EQ(again->RemoteIPPort(), 7002);
}

TEST(SECSProtocolSave, PortTypesAndModesWithoutTheirOwnTextSaveAsTheirKin) {
    ControlHarness h;
    SECSProtocol& p = *h.core->SECSProtocol();
    p.SetConnectionPortType(enmPortType::PortTypeTCPIP);
    p.SetHSMSConnectionType(enmConnectionMode::ConnectionModeAlternating);
    ASSERT_TRUE(p.SaveSetting());
    EXPECT_EQ(Value(h.Db(), "ConnectionPortType"), "HSMS");
    EXPECT_EQ(Value(h.Db(), "HSMSConnectionType"), "PASSIVE");
    p.SetConnectionPortType(enmPortType::PortTypeRS232);
    ASSERT_TRUE(p.SaveSetting());
    EXPECT_EQ(Default(h.Db(), "ConnectionPortType"), "RS232");
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
    int opened = d.open_calls;

    EXPECT_EQ(p.OpenPort(), Variant(true));
    EXPECT_EQ(d.open_calls, opened + 1);
    EXPECT_EQ(d.BaudRate(), enmBaudRate::BaudRate4800);
    EXPECT_TRUE(d.NetworkPort());
    EXPECT_EQ(d.PortType(), enmPortType::PortTypeHSMS_SS);
    EXPECT_EQ(d.RetryLimit(), 5);
    EXPECT_EQ(d.DeviceID(), 17);
    EXPECT_FALSE(d.HostRole());
    EXPECT_EQ(d.ConnectionMode(), enmConnectionMode::ConnectionModeActive);
    EXPECT_FALSE(d.LogRawBytes());
    EXPECT_EQ(d.LocalIPAddress(), "127.0.0.1");
    EXPECT_EQ(d.LocalIPPort(), 7001);
    EXPECT_EQ(d.RemoteIPAddress(), "localhost");
    EXPECT_EQ(d.RemoteIPPort(), 7002);
    EXPECT_EQ(d.SerialPort(), "/dev/ttyACM1");
    EXPECT_TRUE(d.LogEnabled());
    EXPECT_EQ(d.Timer(ProtocolTimer::T1), std::chrono::milliseconds(300));
    EXPECT_EQ(d.Timer(ProtocolTimer::T2), std::chrono::milliseconds(12'500));
    EXPECT_EQ(d.T3(), 31);
    EXPECT_EQ(d.T4(), 41);
    EXPECT_EQ(d.T5(), 51);
    EXPECT_EQ(d.T6(), 61);
    EXPECT_EQ(d.T7(), 71);
    EXPECT_EQ(d.T8(), 81);
    EXPECT_EQ(d.T3RetryCount(), 2);
    EXPECT_FALSE(d.CheckReplyStream());
    EXPECT_FALSE(d.AbruptClose());
    EXPECT_EQ(d.PPDirectory(), "/srv/recipes");
    for (const auto& [row, text] : kConfiguredRows) {
        EXPECT_EQ(Value(h.Db(), row), text) << row;
        EXPECT_NE(Default(h.Db(), row), text) << row << ": opening saves no default";
    }
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

struct Refusal {
    const char* name;
    std::function<void(SECSProtocol&)> change;
};

void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.name;
}

class SECSProtocolRefused : public ::testing::TestWithParam<Refusal> {};

TEST_P(SECSProtocolRefused, IsReportedAndThePortStaysShut) {
    ControlHarness h;
    SECSProtocol& p = *h.core->SECSProtocol();
    GetParam().change(p);
    int opened = h.driver->open_calls;
    EXPECT_TRUE(p.OpenPort().IsEmpty());
    EXPECT_EQ(h.driver->open_calls, opened);
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "SECSProtocol:OpenPort");
    EXPECT_EQ(h.errors[0].ErrCode, 5);
}

INSTANTIATE_TEST_SUITE_P(
    DriverRanges, SECSProtocolRefused,
    ::testing::Values(Refusal{"DeviceID", [](auto& p) { p.SetDeviceID(32768); }},
                      Refusal{"RetryLimit", [](auto& p) { p.SetConnectionRetryLimit(32); }},
                      Refusal{"LocalPort", [](auto& p) { p.SetLocalIPPort(65536); }},
                      Refusal{"RemotePort", [](auto& p) { p.SetRemoteIPPort(0); }},
                      Refusal{"T1", [](auto& p) { p.SetT1Timeout(0.0F); }},
                      Refusal{"T3", [](auto& p) { p.SetT3Timeout(0); }},
                      Refusal{"T8", [](auto& p) { p.SetT8Timeout(-1); }},
                      Refusal{"TimeOutRetry", [](auto& p) { p.SetTimeOutRetry(11); }},
                      Refusal{"BaudRate",
                              [](auto& p) { p.SetBaudRate(static_cast<enmBaudRate>(600)); }},
                      Refusal{"PortType", [](auto& p) {
                                  p.SetConnectionPortType(static_cast<enmPortType>(9));
                              }}));

TEST(SECSProtocolClose, ClosesTheDriversPort) {
    ControlHarness h;
    int closed = h.driver->close_calls;
    EXPECT_EQ(h.server->SECSProtocol()->ClosePort(), Variant(true));
    EXPECT_EQ(h.driver->close_calls, closed + 1);
}

TEST(SECSProtocolDetached, DoesNothingWithoutAControl) {
    SECSProtocol p;
    EXPECT_FALSE(p.SaveSetting());
    EXPECT_TRUE(p.OpenPort().IsEmpty());
    EXPECT_TRUE(p.ClosePort().IsEmpty());
}

}  // namespace
}  // namespace kest::test
