#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kest {

/// An integer as written: its sign and its magnitude.
struct SmlInteger {
    bool negative = false;
    std::uint64_t magnitude = 0;
};

/// How reading a number went.
enum class SmlNumberStatus {
    kOk,
    kMalformed,   ///< not a number of the accepted forms
    kOutOfRange,  ///< a number, but beyond what the target holds
    kNotNaN,      ///< nan(0x...) whose bits are not a NaN of the width
};

/// Reads an optional sign and decimal digits or 0x hex digits. kOutOfRange when the magnitude
/// exceeds 64 bits.
SmlNumberStatus ReadSmlInteger(std::string_view word, SmlInteger& out) noexcept;

/// True when `value` fits an integer of `bits` bits, signed or not ("-0" fits unsigned).
bool FitsInteger(const SmlInteger& value, unsigned bits, bool is_signed) noexcept;

/// The two's complement bits of `value` (which fits).
std::uint64_t IntegerBits(const SmlInteger& value) noexcept;

/// "0 to 255", "-128 to 127": the range of an integer of `bits` bits, for error texts.
std::string IntegerRangeText(unsigned bits, bool is_signed);

/// Reads a float: decimal with optional point and exponent, inf, infinity, nan (each with an
/// optional sign, any case), or nan(0x...) giving the exact bits of a NaN. A decimal that
/// overflows or underflows to zero is kOutOfRange.
SmlNumberStatus ReadSmlFloat(std::string_view word, float& out) noexcept;
SmlNumberStatus ReadSmlFloat(std::string_view word, double& out) noexcept;

/// Appends the text ReadSmlFloat reads back to exactly these bits.
void AppendSmlFloat(std::string& out, float value);
void AppendSmlFloat(std::string& out, double value);

}  // namespace kest
