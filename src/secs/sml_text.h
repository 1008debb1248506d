#pragma once

#include <string>
#include <string_view>

#include "secs/format.h"
#include "secs/sml_cursor.h"

namespace kest {

/// Appends the bytes of an A or J item as quoted text that `ReadQuotedText` reads back exactly.
/// `"` is written `\"`; CR, LF and TAB as `\r`, `\n`, `\t`; other bytes below 0x20 and 0x7F as
/// `\xHH`. An A item writes `\` as `\\` and bytes from 0x80 on as `\xHH`. A J item is JIS X 0201
/// shown as UTF-8: 0x5C as U+00A5 (yen), 0x7E as U+203E (overline), 0xA1 to 0xDF as half-width
/// katakana U+FF61 to U+FF9F, and the bytes the set leaves undefined (0x80 to 0xA0, 0xE0 to
/// 0xFF) as `\xHH`.
void AppendQuotedText(std::string& out, std::string_view bytes, enmItemFormat format);

/// Reads quoted text at the cursor (which is on the opening `"` or `'`) and appends the bytes of
/// an A or J item to `out`. Escapes stand for bytes in both: `\"` `\'` `\\` `\n` `\r` `\t` `\0`
/// `\a` `\b` `\f` `\v` `\xHH`. An A item takes other characters' bytes as they are; a J item reads
/// UTF-8 and takes the JIS X 0201 byte of each character, so ASCII `\` and `~`, which JIS X 0201
/// puts no byte to, must be escaped. Raises `SmlError` for an unknown escape, a `\x` without two
/// hex digits, text not closed on its line, and in a J item malformed UTF-8 or a character JIS X
/// 0201 does not hold.
void ReadQuotedText(SmlCursor& cursor, std::string& out, enmItemFormat format);

}  // namespace kest
