#pragma once

#include <string_view>

#include "base/variant.h"

namespace kest {

/// The mnemonic var_format stores for the SECS-II format code `code`: "L" 0, "B" 8, "BL" 9,
/// "A" 16, "I8" 24, "I1" 25, "I2" 26, "I4" 28, "F8" 32, "F4" 36, "U8" 40, "U1" 41, "U2" 42,
/// "U4" 44; any other code gives "A".
std::string_view FormatMnemonic(int code) noexcept;

/// The format code of the mnemonic `mnemonic` (surrounding blanks and letter case ignored);
/// any other text gives 16 (ASCII).
int FormatFromMnemonic(std::string_view mnemonic) noexcept;

/// The format text of a stream 12 attribute row for `code`: the mnemonics above plus "V" for
/// 63; any other code gives "NotUsed".
std::string_view AttributeFormatText(int code) noexcept;

/// Compares `value` with `bound` after converting both as the variable format `mnemonic`
/// prescribes: B to a byte, BL to a Boolean, I1 I2 U1 to 16-bit and I4 U2 to 32-bit integers,
/// I8 F4 F8 U8 to doubles, U4 to a double cut to its whole part, anything else as text.
/// Returns a negative number, 0 or a positive number. A value that does not convert throws
/// `KestException` (6 overflow, 13 type mismatch).
int CompareByFormat(const Variant& value, const Variant& bound, std::string_view mnemonic);

}  // namespace kest
