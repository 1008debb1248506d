#include "settings/frm_gem_protocol.h"

#include <algorithm>

#include "base/text.h"
#include "core/gem_context.h"
#include "settings/secs_protocol.h"
#include "settings/serial_ports.h"

namespace kest {

namespace {

enmPortType ShownPortType(enmPortType type) {
    // The dialog offers HSMS, HSMS single session and SECS-I; TCPIP runs as HSMS.
    return type == enmPortType::PortTypeTCPIP ? enmPortType::PortTypeHSMS : type;
}

std::optional<enmConnectionMode> ShownMode(enmConnectionMode mode) {
    if (mode == enmConnectionMode::ConnectionModeActive ||
        mode == enmConnectionMode::ConnectionModePassive) {
        return mode;
    }
    return std::nullopt;  // neither choice: the operator picks one before saving
}

std::string ShownBaudRate(enmBaudRate rate) {
    std::string text = std::to_string(static_cast<int>(rate));
    const auto& offered = ProtocolBaudRates();
    return std::find(offered.begin(), offered.end(), text) != offered.end() ? text : "";
}

bool IsActive(const std::optional<enmConnectionMode>& mode) {
    return mode == enmConnectionMode::ConnectionModeActive;
}

frmGEMProtocolFields FieldsOf(const SECSProtocol& p) {
    frmGEMProtocolFields f;
    f.DeviceID = std::to_string(p.DeviceID());
    f.PortType = ShownPortType(p.ConnectionPortType());
    f.T3 = std::to_string(p.T3Timeout());
    f.T5 = std::to_string(p.T5Timeout());
    f.T6 = std::to_string(p.T6Timeout());
    f.T7 = std::to_string(p.T7Timeout());
    f.T8 = std::to_string(p.T8Timeout());
    f.ConnectionMode = ShownMode(p.HSMSConnectionType());
    f.IPAddress = IsActive(f.ConnectionMode) ? p.RemoteIPAddress() : p.LocalIPAddress();
    f.PortID = std::to_string(IsActive(f.ConnectionMode) ? p.RemoteIPPort() : p.LocalIPPort());
    f.SerialPort = p.SerialPort();
    f.T1 = FormatFloat(p.T1Timeout());
    f.T2 = FormatFloat(p.T2Timeout());
    f.SECSIT3 = f.T3;
    f.T4 = std::to_string(p.T4Timeout());
    f.RetryLimit = std::to_string(p.ConnectionRetryLimit());
    f.BaudRate = ShownBaudRate(p.BaudRate());
    return f;
}

// Only the fields of the chosen port type: the others are disabled and were not checked.
void CopyFields(const frmGEMProtocolFields& f, SECSProtocol& p) {
    p.SetDeviceID(ProtocolFieldInt(f.DeviceID));
    p.SetConnectionPortType(f.PortType);
    if (UsesHSMSFields(f.PortType)) {
        p.SetT3Timeout(ProtocolFieldInt(f.T3));
        p.SetT5Timeout(ProtocolFieldInt(f.T5));
        p.SetT6Timeout(ProtocolFieldInt(f.T6));
        p.SetT7Timeout(ProtocolFieldInt(f.T7));
        p.SetT8Timeout(ProtocolFieldInt(f.T8));
        p.SetHSMSConnectionType(*f.ConnectionMode);
        std::string address(TrimWhitespace(f.IPAddress));
        if (IsActive(f.ConnectionMode)) {
            p.SetRemoteIPAddress(std::move(address));
            p.SetRemoteIPPort(ProtocolFieldInt(f.PortID));
        } else {
            p.SetLocalIPAddress(std::move(address));
            p.SetLocalIPPort(ProtocolFieldInt(f.PortID));
        }
    } else {
        p.SetSerialPort(std::string(TrimWhitespace(f.SerialPort)));
        p.SetT1Timeout(ProtocolFieldFloat(f.T1));
        p.SetT2Timeout(ProtocolFieldFloat(f.T2));
        p.SetT3Timeout(ProtocolFieldInt(f.SECSIT3));
        p.SetT4Timeout(ProtocolFieldInt(f.T4));
        p.SetConnectionRetryLimit(ProtocolFieldInt(f.RetryLimit));
        p.SetBaudRate(static_cast<enmBaudRate>(ProtocolFieldInt(f.BaudRate)));
    }
}

}  // namespace

frmGEMProtocol::frmGEMProtocol(std::weak_ptr<GemContext> parent,
                               std::shared_ptr<SECSProtocol> protocol,
                               std::filesystem::path dev_root)
    : parent_(std::move(parent)), protocol_(std::move(protocol)), dev_root_(std::move(dev_root)) {}

bool frmGEMProtocol::Load() {
    auto control = parent_.lock();
    if (!control) return false;
    return RunTrapped(control.get(), "frmGEMProtocol:Load", [&] {
        SerialPortScan scan = ListSerialPorts(dev_root_);
        serial_ports_ = std::move(scan.ports);
        if (!scan.complete) {
            control->Boxes().MessageBox("Unable to query registery for serial ports!",
                                        BoxKind::Warning);
        }
        frmGEMProtocolFields fields = FieldsOf(*protocol_);
        fields.OpenAtStartUp = control->Setting("PortOpenAtStartUp") == "TRUE";
        fields_ = std::move(fields);
        return true;
    });
}

bool frmGEMProtocol::Save() {
    auto control = parent_.lock();
    if (!control) return false;
    return RunTrapped(control.get(), "frmGEMProtocol:Save", [&] {
        auto warn = [&](const std::string& text) {
            control->Boxes().MessageBox(text, BoxKind::Warning);
            return false;
        };
        if (auto failure = CheckDeviceIDField(fields_)) return warn(*failure);
        control->SetSetting("PortOpenAtStartUp", fields_.OpenAtStartUp ? "TRUE" : "FALSE");
        if (auto failure = CheckPortFields(fields_)) return warn(*failure);

        SECSProtocol& protocol = *protocol_;
        CopyFields(fields_, protocol);
        if (!protocol.SaveSetting()) return false;  // reported by SaveSetting
        control->Boxes().MessageBox("SECS Protocol setting updated!", BoxKind::Information);
        return true;
    });
}

}  // namespace kest
