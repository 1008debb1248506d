#include "gemdb/var_format.h"

#include <array>
#include <cmath>
#include <compare>
#include <utility>

#include "base/text.h"

namespace kest {

namespace {

constexpr std::array<std::pair<std::string_view, int>, 14> kMnemonics{{
    {"L", 0},
    {"B", 8},
    {"BL", 9},
    {"A", 16},
    {"I8", 24},
    {"I1", 25},
    {"I2", 26},
    {"I4", 28},
    {"F8", 32},
    {"F4", 36},
    {"U8", 40},
    {"U1", 41},
    {"U2", 42},
    {"U4", 44},
}};

constexpr int kAscii = 16;
constexpr int kVariableFormat = 63;

template <typename T>
int Order(const T& a, const T& b) {
    auto order = a <=> b;
    if (order < 0) return -1;
    if (order > 0) return 1;
    return 0;
}

}  // namespace

std::string_view FormatMnemonic(int code) noexcept {
    for (const auto& [mnemonic, format] : kMnemonics) {
        if (format == code) return mnemonic;
    }
    return "A";
}

int FormatFromMnemonic(std::string_view mnemonic) noexcept {
    std::string_view trimmed = TrimWhitespace(mnemonic);
    for (const auto& [name, format] : kMnemonics) {
        if (EqualsNoCase(name, trimmed)) return format;
    }
    return kAscii;
}

std::string_view AttributeFormatText(int code) noexcept {
    if (code == kVariableFormat) return "V";
    for (const auto& [mnemonic, format] : kMnemonics) {
        if (format == code) return mnemonic;
    }
    return "NotUsed";
}

int CompareByFormat(const Variant& value, const Variant& bound, std::string_view mnemonic) {
    switch (FormatFromMnemonic(mnemonic)) {
        case 8:
            return Order(value.ToByte(), bound.ToByte());
        case 9:
            return Order(value.ToBool(), bound.ToBool());
        case 25:
        case 26:
        case 41:
            return Order(value.ToInt16(), bound.ToInt16());
        case 28:
        case 42:
            return Order(value.ToInt32(), bound.ToInt32());
        case 24:
        case 32:
        case 36:
        case 40:
            return Order(value.ToDouble(), bound.ToDouble());
        case 44:
            return Order(std::trunc(value.ToDouble()), std::trunc(bound.ToDouble()));
        default:
            return Order(value.ToText(), bound.ToText());
    }
}

}  // namespace kest
