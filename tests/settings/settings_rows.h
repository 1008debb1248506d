#pragma once

// What the settings tests share: setting rows read and written in one line, and a protocol
// configuration unlike the defaults in every property with the texts its rows hold.

#include <sstream>
#include <string>

#include "gemdb/gemdb.h"
#include "settings/secs_protocol.h"

namespace kest::test {

/// The field `field` of the setting rows `names` (separated by blanks), joined by blanks.
inline std::string Rows(GEMDB& db, const std::string& names,
                        FLDID_SETTING field = FLDID_SETTING::SET_VALUE) {
    std::istringstream in(names);
    std::string line;
    for (std::string name; in >> name;)
        line += (line.empty() ? "" : " ") + db.SettingGetField(name, field).ToText();
    return line;
}
inline std::string Defaults(GEMDB& db, const std::string& names) {
    return Rows(db, names, FLDID_SETTING::SET_DEFAULTVAL);
}

/// Writes `texts` into the saved defaults of the rows `names`, and into their values a text
/// that must never be read.
inline void WriteDefaults(GEMDB& db, const std::string& names, const std::string& texts) {
    std::istringstream in_names(names);
    std::istringstream in_texts(texts);
    for (std::string name, text; in_names >> name && in_texts >> text;) {
        db.SettingSetField(name, FLDID_SETTING::SET_DEFAULTVAL, text);
        db.SettingSetField(name, FLDID_SETTING::SET_VALUE, "999");
    }
}

/// The protocol's rows, and their texts for the configuration of `Configure`.
inline const std::string kProtocolRows =
    "BaudRate ConnectionPortType ConnectionRetryLimit DeviceID HSMSConnectionType LocalIPAddress "
    "LocalIPPort RemoteIPAddress RemoteIPPort SerialPort T1Timeout T2Timeout T3Timeout T4Timeout "
    "T5Timeout T6Timeout T7Timeout T8Timeout TimeOutRetry";
inline const std::string kConfiguredRows =
    "4800 HSMS_SS 5 17 ACTIVE 127.0.0.1 7001 localhost 7002 /dev/ttyACM1 0.3 12.5 31 41 51 61 71 "
    "81 2";

inline void Configure(SECSProtocol& p) {
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

}  // namespace kest::test
