#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kest {

/// SECS-II item formats: the format code of SEMI E5 (octal in the standard, decimal here).
/// `FormatJIS8` (JIS-8 text) is sent by some hosts; `FormatVar` marks a variable format in
/// configuration tables and is never put on the wire.
enum class enmItemFormat : std::uint8_t {
    FormatList = 0,
    FormatBinary = 8,
    FormatBoolean = 9,
    FormatAscii = 16,
    FormatJIS8 = 17,
    FormatI8 = 24,
    FormatI1 = 25,
    FormatI2 = 26,
    FormatI4 = 28,
    FormatF8 = 32,
    FormatF4 = 36,
    FormatU8 = 40,
    FormatU1 = 41,
    FormatU2 = 42,
    FormatU4 = 44,
    FormatVar = 63,
};

/// True for the formats that can be encoded (every format but `FormatVar`).
bool IsWireFormat(enmItemFormat format) noexcept;

/// The format whose code is `code`, or nothing when no format has it.
std::optional<enmItemFormat> FormatFromCode(int code) noexcept;

/// Bytes per value: 1 for B, BOOLEAN, A, J, I1, U1; 2, 4 or 8 for the wider numbers; 0 for L
/// and `FormatVar`.
std::size_t ElementSize(enmItemFormat format) noexcept;

/// True for A and J, whose values are one text rather than an array.
bool IsTextFormat(enmItemFormat format) noexcept;

/// True for I1, I2, I4, I8, U1, U2, U4, U8.
bool IsIntegerFormat(enmItemFormat format) noexcept;

/// True for U1, U2, U4, U8.
bool IsUnsignedFormat(enmItemFormat format) noexcept;

/// True for F4 and F8.
bool IsFloatFormat(enmItemFormat format) noexcept;

/// The SML name of the format: "L", "B", "BOOLEAN", "A", "J", "I1" ... "F8", "V".
std::string_view FormatName(enmItemFormat format) noexcept;

/// The format whose SML name is `name` (case-insensitive; "BL" and "BOOL" are BOOLEAN too).
std::optional<enmItemFormat> FormatFromName(std::string_view name) noexcept;

}  // namespace kest
