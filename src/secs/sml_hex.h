#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

/// The bytes as lowercase hex digits without separators ("0102b1").
std::string ToHexText(std::span<const std::uint8_t> bytes);

/// Reads bytes written as hex digits, as tools and logs show encoded items: blanks and `//`
/// comments may stand between digits, and each group of digits may start with `0x`. Raises
/// `SmlError` (with line and column) for a character that is not a hex digit, an odd number of
/// digits, or more than `max_bytes` bytes.
std::vector<std::uint8_t> ParseHexText(std::string_view text, std::size_t max_bytes);

}  // namespace kest
