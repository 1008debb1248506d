#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "secs/item.h"
#include "secs/message.h"

namespace kest {

/// Bounds applied while reading SML text from outside (files, operators, other tools).
struct SmlLimits {
    std::size_t max_text_size = 16 * 1024 * 1024;  ///< bytes of text
    std::size_t max_depth = 64;                    ///< nesting of lists, as `DecodeLimits`
    std::size_t max_items = 1'000'000;             ///< items in the text
};

/// SML text that cannot be read. `what()` reads "line 3, column 7: expected '>' to close <L>".
class SmlError : public std::runtime_error {
  public:
    /// `reason` says what was expected; `line` and `column` count from 1 (columns in bytes).
    SmlError(const std::string& reason, std::size_t line, std::size_t column);
    /// The line of the fault, from 1.
    std::size_t Line() const noexcept { return line_; }
    /// The column of the fault, from 1, counted in bytes.
    std::size_t Column() const noexcept { return column_; }
    /// What was wrong, without the position.
    const std::string& Reason() const noexcept { return reason_; }

  private:
    std::string reason_;
    std::size_t line_;
    std::size_t column_;
};

/// The item as multi-line SML: two-space indentation, lists as `<L [n]` ... `>` (an empty list
/// as `<L [0]>`), other zero-length items as `<U4>` or `<A>`, J text as UTF-8. Every item,
/// whatever its bytes, prints as text that `ParseSml` reads back to an equal item. Raises nothing.
std::string ToSml(const SecsItem& item);

/// The item as multi-line SML for a log, each item cut after `max_values` values (text items
/// after as many bytes) with " ... (n values)" or " ... (n bytes)" after the last one shown, so
/// a program of megabytes costs the log a line. Not meant to be read back.
std::string ToSmlAbridged(const SecsItem& item, std::size_t max_values);

/// The item as SML on one line for logs: `<L [2] <U4 1> <A "x">>`.
std::string ToSmlLine(const SecsItem& item);

/// The message as multi-line SML: the header line (`S1F3 W`, W only with the W-bit), the body
/// item if any, then a line `.`.
std::string ToSml(const SecsMessage& message);

/// The message as SML on one line for logs: `S1F3 W <L [1] <U4 1>> .`.
std::string ToSmlLine(const SecsMessage& message);

/// Reads exactly one item; blanks and `//` comments may surround it; J text is UTF-8, stored as
/// JIS X 0201 bytes. Raises `SmlError` for text that is malformed, too large, too deep or holds
/// too many items, for values out of range of their format, for J text JIS X 0201 cannot hold,
/// and for a `[n]` count that does not match what the item holds.
SecsItem ParseSml(std::string_view text, const SmlLimits& limits = {});

/// Reads one message: `S1F3 W`, an optional body item and an optional `.`. Stream 0 to 127,
/// function 0 to 255; the W-bit is set only when `W` is written. Raises `SmlError` as `ParseSml`.
SecsMessage ParseSmlMessage(std::string_view text, const SmlLimits& limits = {});

}  // namespace kest
