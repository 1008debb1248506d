#include "settings/protocol_fields.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace kest {
namespace {

frmGEMProtocolFields ValidHSMS() {
    frmGEMProtocolFields f;
    f.DeviceID = "1";
    f.PortType = enmPortType::PortTypeHSMS;
    f.T3 = "45";
    f.T5 = "10";
    f.T6 = "5";
    f.T7 = "10";
    f.T8 = "5";
    f.IPAddress = "127.0.0.1";
    f.PortID = "5001";
    f.ConnectionMode = enmConnectionMode::ConnectionModePassive;
    return f;
}

frmGEMProtocolFields ValidSECSI() {
    frmGEMProtocolFields f;
    f.DeviceID = "1";
    f.PortType = enmPortType::PortTypeRS232;
    f.SerialPort = "/dev/ttyS0";
    f.T1 = "0.5";
    f.T2 = "10";
    f.SECSIT3 = "45";
    f.T4 = "45";
    f.RetryLimit = "3";
    f.BaudRate = "9600";
    return f;
}

// One field changed from a valid configuration, and the warning expected (none: accepted).
struct FieldCase {
    const char* name;
    std::function<void(frmGEMProtocolFields&)> change;
    std::optional<std::string> expected;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.name;
}

class HSMSChecks : public ::testing::TestWithParam<FieldCase> {};
class SECSIChecks : public ::testing::TestWithParam<FieldCase> {};

TEST_P(HSMSChecks, FirstFailureText) {
    frmGEMProtocolFields f = ValidHSMS();
    GetParam().change(f);
    EXPECT_EQ(CheckProtocolFields(f), GetParam().expected);
}

TEST_P(SECSIChecks, FirstFailureText) {
    frmGEMProtocolFields f = ValidSECSI();
    GetParam().change(f);
    EXPECT_EQ(CheckProtocolFields(f), GetParam().expected);
}

const std::string kDeviceRange = "Please enter valid value between 0 to 32767 for Device ID!";
const std::string kT3Range = "Please enter valid value between 1 to 120 for T3!";
const std::string kPortRange = "Please enter valid value between 5001 to 32767 for Port ID!";
const std::string kT1Range = "Please enter valid value between 0.1 to 10 for T1!";
const std::string kT2Range = "Please enter valid value between 0.2 to 25 for T2!";
const std::string kT4Range = "Please enter valid value between 1 to 120 for T4!";
const std::string kRetryRange = "Please enter valid value between 0 to 31 for Retry Limit!";

INSTANTIATE_TEST_SUITE_P(
    DeviceID, HSMSChecks,
    ::testing::Values(
        FieldCase{"empty", [](auto& f) { f.DeviceID = ""; }, "Please key in Device ID!"},
        FieldCase{"blank", [](auto& f) { f.DeviceID = "  "; }, "Please key in Device ID!"},
        FieldCase{"letters", [](auto& f) { f.DeviceID = "1a"; },
                  "Please key in numeric value for Device ID!"},
        FieldCase{"negative", [](auto& f) { f.DeviceID = "-1"; }, kDeviceRange},
        FieldCase{"above", [](auto& f) { f.DeviceID = "32768"; }, kDeviceRange},
        // Read as a whole number, rounded half to even: 32767.5 is 32768.
        FieldCase{"rounds above", [](auto& f) { f.DeviceID = "32767.5"; }, kDeviceRange},
        FieldCase{"huge", [](auto& f) { f.DeviceID = "1e300"; }, kDeviceRange},
        FieldCase{"zero", [](auto& f) { f.DeviceID = "0"; }, std::nullopt},
        FieldCase{"top", [](auto& f) { f.DeviceID = "32767"; }, std::nullopt},
        FieldCase{"padded", [](auto& f) { f.DeviceID = " 12 "; }, std::nullopt},
        // The device ID is checked before anything of the port type.
        FieldCase{"before T3",
                  [](auto& f) {
                      f.DeviceID = "";
                      f.T3 = "";
                  },
                  "Please key in Device ID!"}));

INSTANTIATE_TEST_SUITE_P(
    Timers, HSMSChecks,
    ::testing::Values(FieldCase{"T3 empty", [](auto& f) { f.T3 = ""; }, "Please key in T3!"},
                      FieldCase{"T3 letters", [](auto& f) { f.T3 = "abc"; },
                                "Please key in numeric value for T3!"},
                      FieldCase{"T3 zero", [](auto& f) { f.T3 = "0"; }, kT3Range},
                      FieldCase{"T3 half rounds to 0", [](auto& f) { f.T3 = "0.5"; }, kT3Range},
                      FieldCase{"T3 above", [](auto& f) { f.T3 = "121"; }, kT3Range},
                      FieldCase{"T3 low end", [](auto& f) { f.T3 = "1"; }, std::nullopt},
                      FieldCase{"T3 high end", [](auto& f) { f.T3 = "120"; }, std::nullopt},
                      FieldCase{"T5 empty", [](auto& f) { f.T5 = ""; }, "Please key in T5!"},
                      FieldCase{"T5 above", [](auto& f) { f.T5 = "241"; },
                                "Please enter valid value between 1 to 240 for T5!"},
                      FieldCase{"T5 high end", [](auto& f) { f.T5 = "240"; }, std::nullopt},
                      FieldCase{"T6 letters", [](auto& f) { f.T6 = "x"; },
                                "Please key in numeric value for T6!"},
                      FieldCase{"T6 zero", [](auto& f) { f.T6 = "0"; },
                                "Please enter valid value between 1 to 240 for T6!"},
                      FieldCase{"T7 empty", [](auto& f) { f.T7 = ""; }, "Please key in T7!"},
                      FieldCase{"T7 above", [](auto& f) { f.T7 = "241"; },
                                "Please enter valid value between 1 to 240 for T7!"},
                      FieldCase{"T8 letters", [](auto& f) { f.T8 = "5s"; },
                                "Please key in numeric value for T8!"},
                      FieldCase{"T8 above", [](auto& f) { f.T8 = "121"; },
                                "Please enter valid value between 1 to 120 for T8!"},
                      FieldCase{"T3 before T5",
                                [](auto& f) {
                                    f.T3 = "121";
                                    f.T5 = "";
                                },
                                kT3Range},
                      FieldCase{"T7 before T8",
                                [](auto& f) {
                                    f.T7 = "";
                                    f.T8 = "";
                                },
                                "Please key in T7!"}));

INSTANTIATE_TEST_SUITE_P(
    Connection, HSMSChecks,
    ::testing::Values(
        FieldCase{"no address", [](auto& f) { f.IPAddress = ""; }, "Please key in IP Address!"},
        FieldCase{"blank address", [](auto& f) { f.IPAddress = " "; }, "Please key in IP Address!"},
        FieldCase{"address before port",
                  [](auto& f) {
                      f.IPAddress = "";
                      f.PortID = "";
                  },
                  "Please key in IP Address!"},
        FieldCase{"no port", [](auto& f) { f.PortID = ""; }, "Please key in Port ID!"},
        FieldCase{"port letters", [](auto& f) { f.PortID = "http"; },
                  "Please key in numeric value for Port ID!"},
        FieldCase{"port 5000", [](auto& f) { f.PortID = "5000"; }, kPortRange},
        FieldCase{"port 5001", [](auto& f) { f.PortID = "5001"; }, std::nullopt},
        FieldCase{"port 32767", [](auto& f) { f.PortID = "32767"; }, std::nullopt},
        FieldCase{"port 32768", [](auto& f) { f.PortID = "32768"; }, kPortRange},
        FieldCase{"active",
                  [](auto& f) { f.ConnectionMode = enmConnectionMode::ConnectionModeActive; },
                  std::nullopt},
        FieldCase{"no mode", [](auto& f) { f.ConnectionMode.reset(); },
                  "Please select Connection Mode!"},
        FieldCase{"alternating",
                  [](auto& f) { f.ConnectionMode = enmConnectionMode::ConnectionModeAlternating; },
                  "Please select Connection Mode!"},
        FieldCase{"single session checks the same",
                  [](auto& f) {
                      f.PortType = enmPortType::PortTypeHSMS_SS;
                      f.PortID = "5000";
                  },
                  kPortRange},
        // The SECS-I fields are disabled for HSMS and never checked.
        FieldCase{"SECS-I fields ignored",
                  [](auto& f) {
                      f.SerialPort = "";
                      f.T1 = "0.09";
                      f.T2 = "x";
                      f.SECSIT3 = "";
                      f.T4 = "999";
                      f.RetryLimit = "99";
                      f.BaudRate = "";
                  },
                  std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    Line, SECSIChecks,
    ::testing::Values(
        FieldCase{"no serial port", [](auto& f) { f.SerialPort = ""; }, "Please select COM Port!"},
        FieldCase{"T1 empty", [](auto& f) { f.T1 = ""; }, "Please key in T1!"},
        FieldCase{"T1 letters", [](auto& f) { f.T1 = "fast"; },
                  "Please key in numeric value for T1!"},
        FieldCase{"T1 0.1", [](auto& f) { f.T1 = "0.1"; }, std::nullopt},
        FieldCase{"T1 10", [](auto& f) { f.T1 = "10"; }, std::nullopt},
        FieldCase{"T1 0.09", [](auto& f) { f.T1 = "0.09"; }, kT1Range},
        FieldCase{"T1 10.1", [](auto& f) { f.T1 = "10.1"; }, kT1Range},
        FieldCase{"T1 tiny", [](auto& f) { f.T1 = "1e-400"; }, kT1Range},
        FieldCase{"T2 empty", [](auto& f) { f.T2 = ""; }, "Please key in T2!"},
        FieldCase{"T2 letters", [](auto& f) { f.T2 = "-"; }, "Please key in numeric value for T2!"},
        FieldCase{"T2 0.2", [](auto& f) { f.T2 = "0.2"; }, std::nullopt},
        FieldCase{"T2 25", [](auto& f) { f.T2 = "25"; }, std::nullopt},
        FieldCase{"T2 0.19", [](auto& f) { f.T2 = "0.19"; }, kT2Range},
        FieldCase{"T2 25.01", [](auto& f) { f.T2 = "25.01"; }, kT2Range},
        FieldCase{"T3 empty", [](auto& f) { f.SECSIT3 = ""; }, "Please key in T3!"},
        FieldCase{"T3 letters", [](auto& f) { f.SECSIT3 = "t"; },
                  "Please key in numeric value for T3!"},
        FieldCase{"T3 above", [](auto& f) { f.SECSIT3 = "121"; }, kT3Range},
        FieldCase{"T4 empty", [](auto& f) { f.T4 = ""; }, "Please key in the T4!"},
        FieldCase{"T4 letters", [](auto& f) { f.T4 = "q"; }, "Please key in numeric value for T4!"},
        FieldCase{"T4 zero", [](auto& f) { f.T4 = "0"; }, kT4Range},
        FieldCase{"T4 120", [](auto& f) { f.T4 = "120"; }, std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    RetryAndBaud, SECSIChecks,
    ::testing::Values(FieldCase{"retry empty", [](auto& f) { f.RetryLimit = ""; },
                                "Please key in the Retry Limit!"},
                      FieldCase{"retry letters", [](auto& f) { f.RetryLimit = "r"; },
                                "Please key in numeric value for Retry Limit!"},
                      FieldCase{"retry 0", [](auto& f) { f.RetryLimit = "0"; }, std::nullopt},
                      FieldCase{"retry 31", [](auto& f) { f.RetryLimit = "31"; }, std::nullopt},
                      FieldCase{"retry -1", [](auto& f) { f.RetryLimit = "-1"; }, kRetryRange},
                      FieldCase{"retry 32", [](auto& f) { f.RetryLimit = "32"; }, kRetryRange},
                      FieldCase{"no baud rate", [](auto& f) { f.BaudRate = ""; },
                                "Please select Baud Rate!"},
                      FieldCase{"baud rate not offered", [](auto& f) { f.BaudRate = "300"; },
                                "Please select Baud Rate!"},
                      FieldCase{"baud 1200", [](auto& f) { f.BaudRate = "1200"; }, std::nullopt},
                      FieldCase{"baud 19200", [](auto& f) { f.BaudRate = "19200"; }, std::nullopt},
                      FieldCase{"serial port first",
                                [](auto& f) {
                                    f.SerialPort = "";
                                    f.T1 = "";
                                    f.BaudRate = "";
                                },
                                "Please select COM Port!"},
                      FieldCase{"T4 before retry",
                                [](auto& f) {
                                    f.T4 = "0";
                                    f.RetryLimit = "";
                                },
                                kT4Range},
                      // The HSMS fields are disabled for SECS-I and never checked.
                      FieldCase{"HSMS fields ignored",
                                [](auto& f) {
                                    f.T3 = "";
                                    f.T5 = "0";
                                    f.IPAddress = "";
                                    f.PortID = "5000";
                                    f.ConnectionMode.reset();
                                },
                                std::nullopt}));

TEST(ProtocolFieldChecks, DeviceIDAndPortChecksSplitAtTheStartUpWrite) {
    frmGEMProtocolFields f = ValidHSMS();
    f.T3 = "";
    EXPECT_EQ(CheckDeviceIDField(f), std::nullopt);
    EXPECT_EQ(CheckPortFields(f), "Please key in T3!");
    f.DeviceID = "x";
    EXPECT_EQ(CheckDeviceIDField(f), "Please key in numeric value for Device ID!");
}

TEST(ProtocolFieldChecks, AcceptedTextsReadAsTheCheckedValues) {
    EXPECT_EQ(ProtocolFieldInt(" 45 "), 45);
    EXPECT_EQ(ProtocolFieldInt("1.5"), 2);  // half to even
    EXPECT_EQ(ProtocolFieldInt("2.5"), 2);
    EXPECT_EQ(ProtocolFieldFloat("0.1"), 0.1F);
    EXPECT_EQ(ProtocolFieldFloat("25"), 25.0F);
}

TEST(ProtocolFieldChecks, TheOfferedBaudRates) {
    EXPECT_EQ(ProtocolBaudRates(),
              (std::vector<std::string>{"1200", "2400", "4800", "9600", "19200"}));
}

}  // namespace
}  // namespace kest
