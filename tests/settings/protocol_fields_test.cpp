// The protocol dialog's checks: each numeric field's refusals and both ends of its range, the
// choices, which failure comes first, and the fields of the other port type left alone.
#include "settings/protocol_fields.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kest {
namespace {

using F = frmGEMProtocolFields;

F ValidHSMS(enmPortType type = enmPortType::PortTypeHSMS,
            std::optional<enmConnectionMode> mode = enmConnectionMode::ConnectionModePassive) {
    F f;
    f.DeviceID = "1";
    f.PortType = type;
    f.T3 = "45";
    f.T5 = "10";
    f.T6 = "5";
    f.T7 = "10";
    f.T8 = "5";
    f.IPAddress = "127.0.0.1";
    f.PortID = "5001";
    f.ConnectionMode = mode;
    return f;
}

F ValidSECSI() {
    F f;
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

std::string Range(const std::string& name, const std::string& low, const std::string& high) {
    return "Please enter valid value between " + low + " to " + high + " for " + name + "!";
}

// A numeric field: its name in the texts, the text when it is empty, the ends of its range
// (accepted) and a value just outside each end (refused).
struct NumberField {
    const char* name;
    F (*valid)();
    std::string F::*field;
    const char* missing;
    const char* low;
    const char* high;
    const char* below;
    const char* above;
};

void PrintTo(const NumberField& c, std::ostream* os) {
    *os << c.name;
}

class NumberFields : public ::testing::TestWithParam<NumberField> {};

TEST_P(NumberFields, RefuseEmptyLettersAndOutOfRangeNamingTheField) {
    const NumberField& c = GetParam();
    const std::string range = Range(c.name, c.low, c.high);
    const std::vector<std::pair<const char*, std::optional<std::string>>> cases{
        {"", c.missing},
        {"  ", c.missing},
        {"1a", "Please key in numeric value for " + std::string(c.name) + "!"},
        {c.below, range},
        {c.low, std::nullopt},
        {c.high, std::nullopt},
        {c.above, range}};
    for (const auto& [text, expected] : cases) {
        F f = c.valid();
        f.*c.field = text;
        EXPECT_EQ(CheckProtocolFields(f), expected) << c.name << " '" << text << "'";
    }
}

F HSMS() {
    return ValidHSMS();
}

using N = NumberField;

INSTANTIATE_TEST_SUITE_P(
    Fields, NumberFields,
    ::testing::Values(
        // Whole numbers round half to even: 32767.5 is 32768, 0.5 is 0.
        N{"Device ID", HSMS, &F::DeviceID, "Please key in Device ID!", "0", "32767", "-1",
          "32767.5"},
        N{"T3", HSMS, &F::T3, "Please key in T3!", "1", "120", "0.5", "121"},
        N{"T5", HSMS, &F::T5, "Please key in T5!", "1", "240", "0", "241"},
        N{"T6", HSMS, &F::T6, "Please key in T6!", "1", "240", "0", "241"},
        N{"T7", HSMS, &F::T7, "Please key in T7!", "1", "240", "0", "241"},
        N{"T8", HSMS, &F::T8, "Please key in T8!", "1", "120", "0", "121"},
        N{"Port ID", HSMS, &F::PortID, "Please key in Port ID!", "5001", "32767", "5000", "32768"},
        // Single floats: "0.1" meets its bound exactly.
        N{"T1", ValidSECSI, &F::T1, "Please key in T1!", "0.1", "10", "0.09", "10.1"},
        N{"T2", ValidSECSI, &F::T2, "Please key in T2!", "0.2", "25", "0.19", "25.01"},
        N{"T3", ValidSECSI, &F::SECSIT3, "Please key in T3!", "1", "120", "0", "121"},
        N{"T4", ValidSECSI, &F::T4, "Please key in the T4!", "1", "120", "0", "121"},
        N{"Retry Limit", ValidSECSI, &F::RetryLimit, "Please key in the Retry Limit!", "0", "31",
          "-1", "32"}));

// Fields changed from a valid configuration, and the first failure (none: accepted).
struct Change {
    std::string F::*field;
    const char* text;
};

struct FieldCase {
    const char* name;
    F base;
    std::vector<Change> changes;
    std::optional<std::string> expected;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.name;
}

class FieldChecks : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldChecks, FirstFailureText) {
    F f = GetParam().base;
    for (const Change& change : GetParam().changes)
        f.*change.field = change.text;
    EXPECT_EQ(CheckProtocolFields(f), GetParam().expected);
}

const std::string kSelectMode = "Please select Connection Mode!";
const std::string kSelectPort = "Please select COM Port!";
const std::string kSelectBaud = "Please select Baud Rate!";
const std::string kNoAddress = "Please key in IP Address!";
using C = FieldCase;
using enum enmConnectionMode;

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldChecks,
    ::testing::Values(
        C{"HugeDeviceID", HSMS(), {{&F::DeviceID, "1e300"}}, Range("Device ID", "0", "32767")},
        C{"PaddedDeviceID", HSMS(), {{&F::DeviceID, " 12 "}}, std::nullopt},
        C{"NoAddress", HSMS(), {{&F::IPAddress, " "}}, kNoAddress},
        C{"NoMode", ValidHSMS(enmPortType::PortTypeHSMS, std::nullopt), {}, kSelectMode},
        C{"Alternating",
          ValidHSMS(enmPortType::PortTypeHSMS, ConnectionModeAlternating),
          {},
          kSelectMode},
        C{"SingleSessionChecksTheSame",
          ValidHSMS(enmPortType::PortTypeHSMS_SS),
          {{&F::PortID, "5000"}},
          Range("Port ID", "5001", "32767")},
        C{"NoSerialPort", ValidSECSI(), {{&F::SerialPort, " "}}, kSelectPort},
        C{"TinyT1", ValidSECSI(), {{&F::T1, "1e-400"}}, Range("T1", "0.1", "10")},
        C{"NoBaudRate", ValidSECSI(), {{&F::BaudRate, ""}}, kSelectBaud},
        C{"BaudRateNotOffered", ValidSECSI(), {{&F::BaudRate, "300"}}, kSelectBaud},
        // The first failure wins.
        C{"DeviceIDFirst", HSMS(), {{&F::DeviceID, ""}, {&F::T3, ""}}, "Please key in Device ID!"},
        C{"T3BeforeT5", HSMS(), {{&F::T3, "121"}, {&F::T5, ""}}, Range("T3", "1", "120")},
        C{"T7BeforeT8", HSMS(), {{&F::T7, ""}, {&F::T8, ""}}, "Please key in T7!"},
        C{"AddressBeforePort", HSMS(), {{&F::IPAddress, ""}, {&F::PortID, ""}}, kNoAddress},
        C{"SerialPortFirst",
          ValidSECSI(),
          {{&F::SerialPort, ""}, {&F::T1, ""}, {&F::BaudRate, ""}},
          kSelectPort},
        C{"T4BeforeRetry",
          ValidSECSI(),
          {{&F::T4, "0"}, {&F::RetryLimit, ""}},
          Range("T4", "1", "120")},
        // The other port type's fields are disabled and never checked.
        C{"SECSIFieldsIgnored",
          HSMS(),
          {{&F::SerialPort, ""},
           {&F::T1, "0.09"},
           {&F::T2, "x"},
           {&F::SECSIT3, ""},
           {&F::T4, "999"},
           {&F::RetryLimit, "99"},
           {&F::BaudRate, ""}},
          std::nullopt},
        C{"HSMSFieldsIgnored",
          ValidSECSI(),
          {{&F::T3, ""}, {&F::T5, "0"}, {&F::IPAddress, ""}, {&F::PortID, "5000"}},
          std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProtocolFieldChecks, DeviceIDAndPortChecksSplitAtTheStartUpWrite) {
    F f = HSMS();
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

}  // namespace
}  // namespace kest
