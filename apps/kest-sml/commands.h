#pragma once

#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>

namespace kest::sml_tool {

/// Input the tool refuses: its text is the one line printed on standard error.
class ToolError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// The header of the message whose body `Decode` reads, when it reads a message.
struct MessageHeader {
    int stream = 0;
    int function = 0;
    bool reply_expected = false;
};

/// Reads one item in SML (or, with `message`, a whole message) from `in` and writes the SECS-II
/// encoding of the item (or of the message body) to `out` as lowercase hex and a newline.
/// Raises `ToolError` for unreadable or oversize input, bad SML and items that cannot be encoded.
void Encode(std::istream& in, std::ostream& out, bool message);

/// Reads an encoded item as hex from `in` and writes it to `out` as multi-line SML. With a
/// `header`, the bytes are a message body (possibly empty) and the whole message is written.
/// Raises `ToolError` for unreadable or oversize input, bad hex and bytes that do not decode.
void Decode(std::istream& in, std::ostream& out, const std::optional<MessageHeader>& header);

}  // namespace kest::sml_tool
