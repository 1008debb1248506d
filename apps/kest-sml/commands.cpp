#include "commands.h"

#include <istream>
#include <ostream>

#include "secs/codec.h"
#include "secs/sml.h"
#include "secs/sml_hex.h"

namespace kest::sml_tool {

namespace {

// Hex text may carry blanks and line breaks between digits, so it may be larger than twice the
// largest body; four times leaves room for one blank after every digit pair and then some.
constexpr std::size_t kHexInputFactor = 4;

std::string ReadAll(std::istream& in, std::size_t limit) {
    std::string text;
    char buffer[64 * 1024];
    while (in) {
        in.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > limit) {
            throw ToolError("standard input is larger than " + std::to_string(limit) + " bytes");
        }
    }
    if (in.bad()) throw ToolError("cannot read standard input");
    return text;
}

void Write(std::ostream& out, const std::string& text) {
    out << text << '\n';
    out.flush();
    if (!out) throw ToolError("cannot write standard output");
}

}  // namespace

void Encode(std::istream& in, std::ostream& out, bool message) {
    SmlLimits limits;
    std::string text = ReadAll(in, limits.max_text_size);
    std::vector<std::uint8_t> bytes;
    try {
        bytes = message ? EncodeBody(ParseSmlMessage(text, limits))
                        : EncodeItem(ParseSml(text, limits));
    } catch (const SmlError& e) {
        throw ToolError(e.what());
    } catch (const SecsCodecError& e) {
        throw ToolError(e.what());
    }
    Write(out, ToHexText(bytes));
}

void Decode(std::istream& in, std::ostream& out, const std::optional<MessageHeader>& header) {
    DecodeLimits limits;
    std::string text = ReadAll(in, kHexInputFactor * limits.max_message_size);
    std::string sml;
    try {
        std::vector<std::uint8_t> bytes = ParseHexText(text, limits.max_message_size);
        if (header) {
            SecsMessage message(header->stream, header->function, header->reply_expected);
            DecodeBody(bytes, message, limits);
            sml = ToSml(message);
        } else {
            sml = ToSml(DecodeItem(bytes, limits));
        }
    } catch (const SmlError& e) {
        throw ToolError(e.what());
    } catch (const SecsCodecError& e) {
        throw ToolError(e.what());
    }
    Write(out, sml);
}

}  // namespace kest::sml_tool
