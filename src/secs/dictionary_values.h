#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "secs/item.h"

namespace kest::detail {

/// A value text of the dictionary that does not suit its item's format; the text says why.
class ItemTextError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// Fills `item` (any format but L) from the text of its dictionary element. A and J take the text
/// exactly as written; the other formats take values separated by blanks: B 0 to 255 or 0x00 to
/// 0xFF, BOOLEAN true/false/T/F/1/0 (any case), integers as whole numbers within the format's
/// range, F4 and F8 as finite numbers. Raises `ItemTextError` naming the value at fault.
void FillItemFromText(SecsItem& item, std::string_view text);

/// `text` in double quotes for an error message, cut short when it is long.
std::string QuoteForError(std::string_view text);

}  // namespace kest::detail
