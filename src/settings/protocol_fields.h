#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/driver_types.h"

namespace kest {

/// What the protocol settings dialog shows and the operator edits: texts as typed, choices as
/// chosen. The HSMS and SECS-I fields are separate, T3 included, since only the fields of the
/// chosen port type are enabled.
struct frmGEMProtocolFields {
    std::string DeviceID;
    bool OpenAtStartUp = false;
    /// HSMS, HSMS_SS (single session) or RS232 (SECS-I); TCPIP shows as HSMS.
    enmPortType PortType = enmPortType::PortTypeHSMS;

    // HSMS and HSMS single session.
    std::string T3;
    std::string T5;
    std::string T6;
    std::string T7;
    std::string T8;
    /// The address listened on (passive) or connected to (active).
    std::string IPAddress;
    /// The port listened on (passive) or connected to (active).
    std::string PortID;
    /// Nothing when neither mode is chosen.
    std::optional<enmConnectionMode> ConnectionMode;

    // SECS-I.
    /// The chosen serial port ("" when none).
    std::string SerialPort;
    std::string T1;
    std::string T2;
    std::string SECSIT3;
    std::string T4;
    std::string RetryLimit;
    /// The chosen baud rate text ("" when none).
    std::string BaudRate;
};

/// True when `type` enables the HSMS fields (every port type but RS232).
constexpr bool UsesHSMSFields(enmPortType type) noexcept {
    return type != enmPortType::PortTypeRS232;
}

/// The baud rates the dialog offers: "1200", "2400", "4800", "9600", "19200".
const std::vector<std::string>& ProtocolBaudRates();

/// The first failure of the device ID checks (present, numeric, 0 to 32767) as the warning text
/// the dialog shows, or nothing when the device ID is valid.
std::optional<std::string> CheckDeviceIDField(const frmGEMProtocolFields& fields);

/// The first failure of the checks of the chosen port type, in the dialog's order, as the
/// warning text, or nothing when every field of that port type is valid. The fields of the other
/// port type are not checked.
std::optional<std::string> CheckPortFields(const frmGEMProtocolFields& fields);

/// The first failure of every check, the device ID first; nothing when all pass.
std::optional<std::string> CheckProtocolFields(const frmGEMProtocolFields& fields);

/// A field text read as a whole number the way the checks read it (rounded half to even).
/// Meant for texts the checks accepted; others raise "Type mismatch" (13) or "Overflow" (6).
int ProtocolFieldInt(std::string_view text);

/// A field text read as a single float the way the checks read it. Meant for texts the checks
/// accepted; a text that is not numeric raises "Type mismatch" (13).
float ProtocolFieldFloat(std::string_view text);

}  // namespace kest
