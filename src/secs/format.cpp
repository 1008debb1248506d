#include "secs/format.h"

#include <array>

#include "base/text.h"

namespace kest {

namespace {

struct FormatInfo {
    enmItemFormat format;
    std::size_t element_size;
    std::string_view name;
};

constexpr std::array<FormatInfo, 16> kFormats{{
    {enmItemFormat::FormatList, 0, "L"},
    {enmItemFormat::FormatBinary, 1, "B"},
    {enmItemFormat::FormatBoolean, 1, "BOOLEAN"},
    {enmItemFormat::FormatAscii, 1, "A"},
    {enmItemFormat::FormatJIS8, 1, "J"},
    {enmItemFormat::FormatI8, 8, "I8"},
    {enmItemFormat::FormatI1, 1, "I1"},
    {enmItemFormat::FormatI2, 2, "I2"},
    {enmItemFormat::FormatI4, 4, "I4"},
    {enmItemFormat::FormatF8, 8, "F8"},
    {enmItemFormat::FormatF4, 4, "F4"},
    {enmItemFormat::FormatU8, 8, "U8"},
    {enmItemFormat::FormatU1, 1, "U1"},
    {enmItemFormat::FormatU2, 2, "U2"},
    {enmItemFormat::FormatU4, 4, "U4"},
    {enmItemFormat::FormatVar, 0, "V"},
}};

const FormatInfo* Find(enmItemFormat format) noexcept {
    for (const auto& info : kFormats) {
        if (info.format == format) return &info;
    }
    return nullptr;
}

}  // namespace

bool IsWireFormat(enmItemFormat format) noexcept {
    return Find(format) != nullptr && format != enmItemFormat::FormatVar;
}

std::optional<enmItemFormat> FormatFromCode(int code) noexcept {
    for (const auto& info : kFormats) {
        if (static_cast<int>(info.format) == code) return info.format;
    }
    return std::nullopt;
}

std::size_t ElementSize(enmItemFormat format) noexcept {
    const FormatInfo* info = Find(format);
    return info ? info->element_size : 0;
}

bool IsTextFormat(enmItemFormat format) noexcept {
    return format == enmItemFormat::FormatAscii || format == enmItemFormat::FormatJIS8;
}

bool IsIntegerFormat(enmItemFormat format) noexcept {
    switch (format) {
        case enmItemFormat::FormatI1:
        case enmItemFormat::FormatI2:
        case enmItemFormat::FormatI4:
        case enmItemFormat::FormatI8:
            return true;
        default:
            return IsUnsignedFormat(format);
    }
}

bool IsUnsignedFormat(enmItemFormat format) noexcept {
    switch (format) {
        case enmItemFormat::FormatU1:
        case enmItemFormat::FormatU2:
        case enmItemFormat::FormatU4:
        case enmItemFormat::FormatU8:
            return true;
        default:
            return false;
    }
}

bool IsFloatFormat(enmItemFormat format) noexcept {
    return format == enmItemFormat::FormatF4 || format == enmItemFormat::FormatF8;
}

std::string_view FormatName(enmItemFormat format) noexcept {
    const FormatInfo* info = Find(format);
    return info ? info->name : std::string_view("?");
}

std::optional<enmItemFormat> FormatFromName(std::string_view name) noexcept {
    if (EqualsNoCase(name, "BL") || EqualsNoCase(name, "BOOL")) {
        return enmItemFormat::FormatBoolean;
    }
    for (const auto& info : kFormats) {
        if (EqualsNoCase(info.name, name)) return info.format;
    }
    return std::nullopt;
}

}  // namespace kest
