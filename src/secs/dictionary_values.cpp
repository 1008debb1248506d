#include "secs/dictionary_values.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "base/variant.h"

namespace kest::detail {

namespace {

constexpr std::size_t kQuotedLength = 40;

bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        std::size_t start = pos;
        while (pos < text.size() && !IsBlank(text[pos]))
            ++pos;
        if (pos > start) tokens.push_back(text.substr(start, pos - start));
    }
    return tokens;
}

std::optional<std::uint8_t> ParseByte(std::string_view token) noexcept {
    int base = 10;
    std::size_t max_digits = 3;
    if (token.size() > 1 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
        token.remove_prefix(2);
        base = 16;
        max_digits = 2;
    }
    if (token.empty() || token.size() > max_digits) return std::nullopt;
    unsigned value = 0;
    auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value, base);
    if (ec != std::errc() || end != token.data() + token.size() || value > 0xFF) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

std::optional<bool> ParseBoolean(std::string_view token) noexcept {
    if (EqualsNoCase(token, "true") || EqualsNoCase(token, "t") || token == "1") return true;
    if (EqualsNoCase(token, "false") || EqualsNoCase(token, "f") || token == "0") return false;
    return std::nullopt;
}

void AddByte(SecsItem& item, std::string_view token) {
    auto byte = ParseByte(token);
    if (!byte) {
        throw ItemTextError(QuoteForError(token) + " is not a byte (0 to 255 or 0x00 to 0xFF)");
    }
    item.AddValue(Variant(int{*byte}));
}

void AddBoolean(SecsItem& item, std::string_view token) {
    auto value = ParseBoolean(token);
    if (!value) {
        throw ItemTextError(QuoteForError(token) + " is not a Boolean (true, false, T, F, 1, 0)");
    }
    item.AddValue(Variant(*value));
}

void AddNumber(SecsItem& item, std::string_view token) {
    auto number = ParseNumeric(token);
    if (!number) throw ItemTextError(QuoteForError(token) + " is not a number");
    if (IsIntegerFormat(item.Format()) && !number->integral) {
        throw ItemTextError(QuoteForError(token) + " is not a whole number");
    }
    if (!std::isfinite(number->value)) {
        throw ItemTextError(QuoteForError(token) + " is out of range");
    }
    try {
        // The text keeps 64-bit integers exact; the item checks the format's range.
        item.AddValue(Variant(std::string(token)));
    } catch (const KestException&) {
        throw ItemTextError(QuoteForError(token) + " does not fit " +
                            std::string(FormatName(item.Format())));
    }
}

}  // namespace

void FillItemFromText(SecsItem& item, std::string_view text) {
    if (IsTextFormat(item.Format())) {
        item.SetValue(Variant(std::string(text)));
        return;
    }
    for (std::string_view token : Tokens(text)) {
        switch (item.Format()) {
            case enmItemFormat::FormatBinary:
                AddByte(item, token);
                break;
            case enmItemFormat::FormatBoolean:
                AddBoolean(item, token);
                break;
            default:
                if (!IsIntegerFormat(item.Format()) && !IsFloatFormat(item.Format())) {
                    throw ItemTextError("a " + std::string(FormatName(item.Format())) +
                                        " item holds no values");
                }
                AddNumber(item, token);
        }
    }
}

std::string QuoteForError(std::string_view text) {
    std::string out = "\"";
    out += text.substr(0, kQuotedLength);
    if (text.size() > kQuotedLength) out += "...";
    out += '"';
    return out;
}

}  // namespace kest::detail
