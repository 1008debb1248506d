#include "settings/secs_protocol.h"

#include "driver/vortel_tool.h"

#include "base/text.h"
#include "core/gem_context.h"
#include "gemdb/gemdb.h"

namespace kest {

namespace {

std::string PortTypeText(enmPortType type) {
    switch (type) {
        case enmPortType::PortTypeRS232:
            return "RS232";
        case enmPortType::PortTypeHSMS_SS:
            return "HSMS_SS";
        default:
            return "HSMS";
    }
}

enmPortType PortTypeFromText(const std::string& text) {
    if (text == "RS232") return enmPortType::PortTypeRS232;
    if (text == "HSMS_SS") return enmPortType::PortTypeHSMS_SS;
    return enmPortType::PortTypeHSMS;
}

enmBaudRate BaudRateFromText(const std::string& text) {
    int value = Variant(text).ToInt32();
    return IsBaudRate(value) ? static_cast<enmBaudRate>(value) : enmBaudRate::BaudRate9600;
}

}  // namespace

// The rows of the properties, with their text form; one table keeps load, save and open in step.
struct SECSProtocol::Row {
    const char* name;
    std::string (*get)(const SECSProtocol&);
    void (*set)(SECSProtocol&, const std::string&);
};

const std::vector<SECSProtocol::Row>& SECSProtocol::Rows() {
    static const std::vector<Row> rows{
        {"BaudRate",
         [](const SECSProtocol& p) { return std::to_string(static_cast<int>(p.baud_rate_)); },
         [](SECSProtocol& p, const std::string& v) { p.baud_rate_ = BaudRateFromText(v); }},
        {"ConnectionPortType", [](const SECSProtocol& p) { return PortTypeText(p.port_type_); },
         [](SECSProtocol& p, const std::string& v) { p.port_type_ = PortTypeFromText(v); }},
        {"ConnectionRetryLimit",
         [](const SECSProtocol& p) { return std::to_string(p.retry_limit_); },
         [](SECSProtocol& p, const std::string& v) { p.retry_limit_ = Variant(v).ToInt32(); }},
        {"DeviceID", [](const SECSProtocol& p) { return std::to_string(p.device_id_); },
         [](SECSProtocol& p, const std::string& v) { p.device_id_ = Variant(v).ToInt32(); }},
        {"HSMSConnectionType",
         [](const SECSProtocol& p) {
             return std::string(p.connection_type_ == enmConnectionMode::ConnectionModeActive
                                    ? "ACTIVE"
                                    : "PASSIVE");
         },
         [](SECSProtocol& p, const std::string& v) {
             p.connection_type_ = v == "ACTIVE" ? enmConnectionMode::ConnectionModeActive
                                                : enmConnectionMode::ConnectionModePassive;
         }},
        {"LocalIPAddress", [](const SECSProtocol& p) { return p.local_ip_; },
         [](SECSProtocol& p, const std::string& v) { p.local_ip_ = v; }},
        {"LocalIPPort", [](const SECSProtocol& p) { return std::to_string(p.local_port_); },
         [](SECSProtocol& p, const std::string& v) { p.local_port_ = Variant(v).ToInt32(); }},
        {"RemoteIPAddress", [](const SECSProtocol& p) { return p.remote_ip_; },
         [](SECSProtocol& p, const std::string& v) { p.remote_ip_ = v; }},
        {"RemoteIPPort", [](const SECSProtocol& p) { return std::to_string(p.remote_port_); },
         [](SECSProtocol& p, const std::string& v) { p.remote_port_ = Variant(v).ToInt32(); }},
        {"SerialPort", [](const SECSProtocol& p) { return p.serial_port_; },
         [](SECSProtocol& p, const std::string& v) { p.serial_port_ = v; }},
        {"T1Timeout", [](const SECSProtocol& p) { return FormatFloat(p.t1_); },
         [](SECSProtocol& p, const std::string& v) {
             p.t1_ = static_cast<float>(Variant(v).ToDouble());
         }},
        {"T2Timeout", [](const SECSProtocol& p) { return FormatFloat(p.t2_); },
         [](SECSProtocol& p, const std::string& v) {
             p.t2_ = static_cast<float>(Variant(v).ToDouble());
         }},
        {"T3Timeout", [](const SECSProtocol& p) { return std::to_string(p.t3_); },
         [](SECSProtocol& p, const std::string& v) { p.t3_ = Variant(v).ToInt32(); }},
        {"T4Timeout", [](const SECSProtocol& p) { return std::to_string(p.t4_); },
         [](SECSProtocol& p, const std::string& v) { p.t4_ = Variant(v).ToInt32(); }},
        {"T5Timeout", [](const SECSProtocol& p) { return std::to_string(p.t5_); },
         [](SECSProtocol& p, const std::string& v) { p.t5_ = Variant(v).ToInt32(); }},
        {"T6Timeout", [](const SECSProtocol& p) { return std::to_string(p.t6_); },
         [](SECSProtocol& p, const std::string& v) { p.t6_ = Variant(v).ToInt32(); }},
        {"T7Timeout", [](const SECSProtocol& p) { return std::to_string(p.t7_); },
         [](SECSProtocol& p, const std::string& v) { p.t7_ = Variant(v).ToInt32(); }},
        {"T8Timeout", [](const SECSProtocol& p) { return std::to_string(p.t8_); },
         [](SECSProtocol& p, const std::string& v) { p.t8_ = Variant(v).ToInt32(); }},
        {"TimeOutRetry", [](const SECSProtocol& p) { return std::to_string(p.timeout_retry_); },
         [](SECSProtocol& p, const std::string& v) { p.timeout_retry_ = Variant(v).ToInt32(); }},
    };
    return rows;
}

void SECSProtocol::SetParent(std::weak_ptr<GemContext> parent) {
    parent_ = std::move(parent);
    auto control = parent_.lock();
    if (!control) return;
    RunTrapped(control.get(), "SECSProtocol:Set Parent", [&] {
        GEMDB& db = control->Db();
        db.SettingSetField("PortOpened", FLDID_SETTING::SET_VALUE,
                           db.SettingGetField("PortOpened", FLDID_SETTING::SET_DEFAULTVAL));
        for (const Row& row : Rows()) {
            Variant stored = db.SettingGetField(row.name, FLDID_SETTING::SET_DEFAULTVAL);
            // A row that cannot be read leaves the property at its built-in default.
            TryTrapped(control.get(), "SECSProtocol:Set Parent",
                       [&] { row.set(*this, stored.ToText()); });
        }
    });
}

bool SECSProtocol::SaveSetting() {
    auto control = parent_.lock();
    if (!control) return false;
    return RunTrapped(control.get(), "SECSProtocol:SaveSetting", [&] {
        GEMDB& db = control->Db();
        for (const Row& row : Rows()) {
            std::string text = row.get(*this);
            db.SettingSetField(row.name, FLDID_SETTING::SET_VALUE, text);
            db.SettingSetField(row.name, FLDID_SETTING::SET_DEFAULTVAL, text);
        }
        return true;
    });
}

Variant SECSProtocol::OpenPort() {
    auto control = parent_.lock();
    if (!control) return {};
    return RunTrapped(control.get(), "SECSProtocol:OpenPort", [&] {
        GEMDB& db = control->Db();
        for (const Row& row : Rows()) {
            db.SettingSetField(row.name, FLDID_SETTING::SET_VALUE, row.get(*this));
        }
        // The driver takes its properties in this order.
        SecsDriver& driver = control->VortelToolOCX();
        driver.SetBaudRate(baud_rate_);
        driver.SetNetworkPort(port_type_ != enmPortType::PortTypeRS232);
        driver.SetPortType(port_type_);
        driver.SetRetryLimit(retry_limit_);
        driver.SetDeviceID(device_id_);
        driver.SetHostRole(false);
        driver.SetConnectionMode(connection_type_);
        driver.SetLogRawBytes(false);
        driver.SetLocalIPAddress(local_ip_);
        driver.SetLocalIPPort(local_port_);
        driver.SetRemoteIPAddress(remote_ip_);
        driver.SetRemoteIPPort(remote_port_);
        driver.SetSerialPort(serial_port_);
        driver.SetLogEnabled(true);
        driver.SetT1(t1_);
        driver.SetT2(t2_);
        driver.SetT3(t3_);
        driver.SetT4(t4_);
        driver.SetT5(t5_);
        driver.SetT6(t6_);
        driver.SetT7(t7_);
        driver.SetT8(t8_);
        driver.SetT3RetryCount(timeout_retry_);
        driver.SetCheckReplyStream(false);
        driver.SetAbruptClose(false);
        driver.SetPPDirectory(control->GemVar("PPDirectory"));
        driver.OpenPort();
        return Variant(true);
    });
}

Variant SECSProtocol::ClosePort() {
    auto control = parent_.lock();
    if (!control) return {};
    return RunTrapped(control.get(), "SECSProtocol:ClosePort", [&] {
        control->VortelToolOCX().ClosePort();
        return Variant(true);
    });
}

std::uint16_t SECSProtocol::ListeningPort() const {
    auto control = parent_.lock();
    if (!control) return 0;
    auto* driver = dynamic_cast<VortelTool*>(&control->VortelToolOCX());
    return driver ? driver->ListeningPort() : 0;
}

}  // namespace kest
