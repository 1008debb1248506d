#pragma once

#include <string>
#include <string_view>

#include "secs/sml_cursor.h"

namespace kest {

/// Appends `text` in double quotes: `"` and `\` escaped with `\`, CR, LF and TAB as `\r`, `\n`,
/// `\t`, every other byte below 0x20 or from 0x7F on as `\xHH`, so any bytes read back exactly.
void AppendQuotedText(std::string& out, std::string_view text);

/// Reads quoted text at the cursor (which is on the opening `"` or `'`) and appends its bytes to
/// `out`. Escapes: `\"` `\'` `\\` `\n` `\r` `\t` `\0` `\a` `\b` `\f` `\v` `\xHH`. Raises `SmlError`
/// for an unknown escape, a `\x` without two hex digits, and text not closed on its line.
void ReadQuotedText(SmlCursor& cursor, std::string& out);

}  // namespace kest
