// Feeds arbitrary operator text to the protocol dialog's checks: the first byte picks the port
// type and the connection mode, the rest are the fields separated by newlines. The checks must
// never throw, and every configuration they accept must convert into the values it is saved as,
// within the ranges the checks promised.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "settings/protocol_fields.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

constexpr std::size_t kFields = 16;

kest::frmGEMProtocolFields FieldsFrom(std::uint8_t selector, std::string_view text) {
    std::vector<std::string> p;
    for (std::string_view piece : kest::Split(text, '\n')) {
        p.emplace_back(piece);
        if (p.size() == kFields) break;
    }
    p.resize(kFields);
    kest::frmGEMProtocolFields f;
    static constexpr kest::enmPortType kTypes[] = {
        kest::enmPortType::PortTypeRS232, kest::enmPortType::PortTypeHSMS,
        kest::enmPortType::PortTypeTCPIP, kest::enmPortType::PortTypeHSMS_SS};
    f.PortType = kTypes[selector & 3];
    if (int mode = (selector >> 2) & 3; mode != 0) {
        f.ConnectionMode = static_cast<kest::enmConnectionMode>(mode);
    }
    f.OpenAtStartUp = (selector & 0x10) != 0;
    f.DeviceID = p[0];
    f.T3 = p[1];
    f.T5 = p[2];
    f.T6 = p[3];
    f.T7 = p[4];
    f.T8 = p[5];
    f.IPAddress = p[6];
    f.PortID = p[7];
    f.SerialPort = p[8];
    f.T1 = p[9];
    f.T2 = p[10];
    f.SECSIT3 = p[11];
    f.T4 = p[12];
    f.RetryLimit = p[13];
    f.BaudRate = p[14];
    return f;
}

void RequireInt(const std::string& text, int low, int high) {
    int value = kest::ProtocolFieldInt(text);
    Require(value >= low && value <= high);
}

void RequireFloat(const std::string& text, float low, float high) {
    float value = kest::ProtocolFieldFloat(text);
    Require(value >= low && value <= high);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 4096) return 0;
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    kest::frmGEMProtocolFields f = FieldsFrom(data[0], text);

    std::optional<std::string> failure;
    try {
        failure = kest::CheckProtocolFields(f);
    } catch (...) {
        std::abort();  // a check that throws would end the dialog's save in the error trap
    }
    if (failure) {
        Require(failure->rfind("Please ", 0) == 0);
        return 0;
    }
    try {
        RequireInt(f.DeviceID, 0, 32767);
        if (kest::UsesHSMSFields(f.PortType)) {
            RequireInt(f.T3, 1, 120);
            RequireInt(f.T5, 1, 240);
            RequireInt(f.T6, 1, 240);
            RequireInt(f.T7, 1, 240);
            RequireInt(f.T8, 1, 120);
            RequireInt(f.PortID, 5001, 32767);
        } else {
            RequireFloat(f.T1, 0.1F, 10.0F);
            RequireFloat(f.T2, 0.2F, 25.0F);
            RequireInt(f.SECSIT3, 1, 120);
            RequireInt(f.T4, 1, 120);
            RequireInt(f.RetryLimit, 0, 31);
        }
    } catch (...) {
        std::abort();  // accepted but not convertible
    }
    return 0;
}
