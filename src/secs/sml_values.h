#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "secs/format.h"
#include "secs/sml_cursor.h"

namespace kest {

/// Appends the SML text of one value of a B, BOOLEAN, integer or float item, read from the
/// `ElementSize(format)` big-endian bytes at `bytes`: B as 0x0A, BOOLEAN as TRUE/FALSE (other
/// bytes as 0x02), integers in decimal, floats as the shortest text that reads back exactly,
/// inf/-inf, nan, or nan(0x...) with the bits of any other NaN.
void AppendSmlValue(std::string& out, enmItemFormat format, const std::uint8_t* bytes);

/// Reads `word`, found at byte `position` of the cursor's text, as one value of a B, BOOLEAN,
/// integer or float item and appends its big-endian bytes to `data`. Raises `SmlError` for a
/// malformed value or one out of range of the format.
void AppendSmlValueBytes(const SmlCursor& cursor, std::size_t position, std::string_view word,
                         enmItemFormat format, std::string& data);

/// Reads `word`, found at byte `position`, as a character code 0 to 255 (decimal or 0x hex)
/// written between the quoted pieces of an A or J item. Raises `SmlError` otherwise.
char SmlCharacterCode(const SmlCursor& cursor, std::size_t position, std::string_view word);

/// The format's name with its article, for error texts: "a U4", "an F4".
std::string FormatWithArticle(enmItemFormat format);

}  // namespace kest
