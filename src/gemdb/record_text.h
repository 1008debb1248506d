#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kest {

/// The text a record property stores when `input` is written to it: cut to at most
/// `max_chars` characters (UTF-8 code points; 0 means no limit), then stripped of leading and
/// trailing blanks; an empty result stores `fallback` instead.
std::string RecordText(std::string_view input, std::size_t max_chars, std::string_view fallback);

/// `text` cut to at most `max_chars` UTF-8 code points, never inside a character.
std::string_view CutToChars(std::string_view text, std::size_t max_chars) noexcept;

}  // namespace kest
