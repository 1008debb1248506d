#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

/// The text without leading and trailing blanks (spaces), as record fields and values are trimmed.
std::string_view Trim(std::string_view text) noexcept;

/// The text without leading and trailing blanks, spaces and tabs.
std::string_view TrimWhitespace(std::string_view text) noexcept;

/// True when both texts are equal, ignoring the case of ASCII letters.
bool EqualsNoCase(std::string_view a, std::string_view b) noexcept;

/// The text with ASCII letters in upper case.
std::string ToUpperAscii(std::string_view text);

/// The text split at every occurrence of `separator` (an empty text gives one empty piece).
std::vector<std::string_view> Split(std::string_view text, char separator);

/// A number read from text: optional sign, digits with an optional decimal point, an optional
/// exponent; surrounding spaces and tabs allowed. No hexadecimal, no thousands separators.
struct NumericText {
    double value = 0;              ///< the value as a double
    bool integral = false;         ///< written as a plain integer (no point, no exponent)
    bool negative = false;         ///< a minus sign was present
    bool magnitude_exact = false;  ///< integral and its magnitude fits 64 bits
    std::uint64_t magnitude = 0;   ///< the exact magnitude when `magnitude_exact`
};

/// The number the text holds, or nothing when it is not numeric (an empty text is not).
std::optional<NumericText> ParseNumeric(std::string_view text) noexcept;

/// The shortest decimal text that reads back to the same double.
std::string FormatDouble(double value);

/// The shortest decimal text that reads back to the same float.
std::string FormatFloat(float value);

}  // namespace kest
