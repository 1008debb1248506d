#include "settings/protocol_fields.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "base/variant.h"

namespace kest {

namespace {

// One numeric field: its name in the texts, the text when it is empty, its range (both ends
// included) and whether it is read as a single float rather than a whole number.
struct NumberRule {
    std::string_view name;
    std::string_view missing;
    double low;
    double high;
    bool single_float = false;
};

bool InRange(double value, const NumberRule& rule) {
    if (rule.single_float) {
        // Compared as single floats, so "0.1" meets the bound 0.1 exactly.
        float f = static_cast<float>(value);
        return f >= static_cast<float>(rule.low) && f <= static_cast<float>(rule.high);
    }
    double whole = std::nearbyint(value);  // ties to even, as the integer conversion rounds
    return whole >= rule.low && whole <= rule.high;
}

std::optional<std::string> CheckNumber(std::string_view text, const NumberRule& rule) {
    if (TrimWhitespace(text).empty()) return std::string(rule.missing);
    std::string name(rule.name);
    if (!Variant(text).IsNumeric()) return "Please key in numeric value for " + name + "!";
    auto number = ParseNumeric(text);
    if (!number || !InRange(number->value, rule)) {
        return "Please enter valid value between " + FormatDouble(rule.low) + " to " +
               FormatDouble(rule.high) + " for " + name + "!";
    }
    return std::nullopt;
}

constexpr NumberRule kDeviceID{"Device ID", "Please key in Device ID!", 0, 32767};
constexpr NumberRule kT1{"T1", "Please key in T1!", 0.1, 10, true};
constexpr NumberRule kT2{"T2", "Please key in T2!", 0.2, 25, true};
constexpr NumberRule kT3{"T3", "Please key in T3!", 1, 120};
constexpr NumberRule kT4{"T4", "Please key in the T4!", 1, 120};
constexpr NumberRule kT5{"T5", "Please key in T5!", 1, 240};
constexpr NumberRule kT6{"T6", "Please key in T6!", 1, 240};
constexpr NumberRule kT7{"T7", "Please key in T7!", 1, 240};
constexpr NumberRule kT8{"T8", "Please key in T8!", 1, 120};
constexpr NumberRule kPortID{"Port ID", "Please key in Port ID!", 5001, 32767};
constexpr NumberRule kRetryLimit{"Retry Limit", "Please key in the Retry Limit!", 0, 31};

// The checks of a list of fields, in order; the first failure wins.
std::optional<std::string> FirstFailure(
    std::initializer_list<std::pair<const std::string*, const NumberRule*>> checks) {
    for (const auto& [text, rule] : checks) {
        if (auto failure = CheckNumber(*text, *rule)) return failure;
    }
    return std::nullopt;
}

std::optional<std::string> CheckHSMS(const frmGEMProtocolFields& f) {
    if (auto failure = FirstFailure(
            {{&f.T3, &kT3}, {&f.T5, &kT5}, {&f.T6, &kT6}, {&f.T7, &kT7}, {&f.T8, &kT8}})) {
        return failure;
    }
    if (TrimWhitespace(f.IPAddress).empty()) return std::string("Please key in IP Address!");
    if (auto failure = CheckNumber(f.PortID, kPortID)) return failure;
    if (f.ConnectionMode != enmConnectionMode::ConnectionModeActive &&
        f.ConnectionMode != enmConnectionMode::ConnectionModePassive) {
        return std::string("Please select Connection Mode!");
    }
    return std::nullopt;
}

std::optional<std::string> CheckSECSI(const frmGEMProtocolFields& f) {
    if (TrimWhitespace(f.SerialPort).empty()) return std::string("Please select COM Port!");
    if (auto failure = FirstFailure({{&f.T1, &kT1},
                                     {&f.T2, &kT2},
                                     {&f.SECSIT3, &kT3},
                                     {&f.T4, &kT4},
                                     {&f.RetryLimit, &kRetryLimit}})) {
        return failure;
    }
    const auto& rates = ProtocolBaudRates();
    if (std::find(rates.begin(), rates.end(), f.BaudRate) == rates.end()) {
        return std::string("Please select Baud Rate!");
    }
    return std::nullopt;
}

}  // namespace

const std::vector<std::string>& ProtocolBaudRates() {
    static const std::vector<std::string> rates{"1200", "2400", "4800", "9600", "19200"};
    return rates;
}

std::optional<std::string> CheckDeviceIDField(const frmGEMProtocolFields& fields) {
    return CheckNumber(fields.DeviceID, kDeviceID);
}

std::optional<std::string> CheckPortFields(const frmGEMProtocolFields& fields) {
    return UsesHSMSFields(fields.PortType) ? CheckHSMS(fields) : CheckSECSI(fields);
}

std::optional<std::string> CheckProtocolFields(const frmGEMProtocolFields& fields) {
    if (auto failure = CheckDeviceIDField(fields)) return failure;
    return CheckPortFields(fields);
}

int ProtocolFieldInt(std::string_view text) {
    return Variant(text).ToInt32();
}

float ProtocolFieldFloat(std::string_view text) {
    return static_cast<float>(Variant(text).ToDouble());
}

}  // namespace kest
