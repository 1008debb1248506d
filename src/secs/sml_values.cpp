#include "secs/sml_values.h"

#include <bit>
#include <cstdio>
#include <optional>

#include "base/text.h"
#include "secs/sml_numbers.h"

namespace kest {

namespace {

std::uint64_t ReadBigEndian(const std::uint8_t* bytes, std::size_t size) noexcept {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < size; ++i)
        bits = (bits << 8) | bytes[i];
    return bits;
}

void AppendBigEndian(std::string& data, std::uint64_t bits, std::size_t size) {
    for (std::size_t i = size; i-- > 0;)
        data.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

void AppendHexByte(std::string& out, std::uint8_t byte) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", byte);
    out += buffer;
}

void AppendIntegerText(std::string& out, enmItemFormat format, std::uint64_t bits) {
    std::size_t size = ElementSize(format);
    if (IsUnsignedFormat(format)) {
        out += std::to_string(bits);
        return;
    }
    // Sign-extend the value's width to 64 bits.
    unsigned shift = static_cast<unsigned>(64 - 8 * size);
    auto value = static_cast<std::int64_t>(bits << shift) >> shift;
    out += std::to_string(value);
}

[[noreturn]] void FailValue(const SmlCursor& cursor, std::size_t position, std::string_view word,
                            enmItemFormat format, std::string_view forms) {
    cursor.FailAt(position, "expected " + FormatWithArticle(format) + " value (" +
                                std::string(forms) + "), found " + QuoteWord(word));
}

// Unsigned 8-bit values: B bytes, BOOLEAN bytes written as numbers, text character codes.
std::optional<std::uint8_t> ReadByte(const SmlCursor& cursor, std::size_t position,
                                     std::string_view word, const std::string& what) {
    SmlInteger value;
    SmlNumberStatus status = ReadSmlInteger(word, value);
    if (status == SmlNumberStatus::kMalformed) return std::nullopt;
    if (status == SmlNumberStatus::kOutOfRange || !FitsInteger(value, 8, false)) {
        cursor.FailAt(position, QuoteWord(word) + " is out of range for " + what + " (0 to 255)");
    }
    return static_cast<std::uint8_t>(value.magnitude);
}

void AppendInteger(const SmlCursor& cursor, std::size_t position, std::string_view word,
                   enmItemFormat format, std::string& data) {
    SmlInteger value;
    SmlNumberStatus status = ReadSmlInteger(word, value);
    if (status == SmlNumberStatus::kMalformed) {
        FailValue(cursor, position, word, format, "decimal or 0x hex");
    }
    auto bits = static_cast<unsigned>(8 * ElementSize(format));
    bool is_signed = !IsUnsignedFormat(format);
    if (status == SmlNumberStatus::kOutOfRange || !FitsInteger(value, bits, is_signed)) {
        cursor.FailAt(position, QuoteWord(word) + " is out of range for " +
                                    std::string(FormatName(format)) + " (" +
                                    IntegerRangeText(bits, is_signed) + ")");
    }
    AppendBigEndian(data, IntegerBits(value), ElementSize(format));
}

template <typename Float, typename Bits>
void AppendFloat(const SmlCursor& cursor, std::size_t position, std::string_view word,
                 enmItemFormat format, std::string& data) {
    Float value = 0;
    switch (ReadSmlFloat(word, value)) {
        case SmlNumberStatus::kOk:
            break;
        case SmlNumberStatus::kOutOfRange:
            cursor.FailAt(position, QuoteWord(word) + " is out of range for " +
                                        std::string(FormatName(format)));
        case SmlNumberStatus::kNotNaN:
            cursor.FailAt(position, QuoteWord(word) + " does not hold the bits of " +
                                        FormatWithArticle(format) + " NaN");
        case SmlNumberStatus::kMalformed:
            FailValue(cursor, position, word, format, "decimal, inf or nan");
    }
    AppendBigEndian(data, std::bit_cast<Bits>(value), sizeof(Bits));
}

}  // namespace

std::string FormatWithArticle(enmItemFormat format) {
    std::string_view name = FormatName(format);
    // Read aloud, "A", "F", "I" start with a vowel sound; "B", "J", "L", "U" do not.
    bool vowel = !name.empty() && (name[0] == 'A' || name[0] == 'F' || name[0] == 'I');
    return (vowel ? "an " : "a ") + std::string(name);
}

void AppendSmlValue(std::string& out, enmItemFormat format, const std::uint8_t* bytes) {
    std::size_t size = ElementSize(format);
    std::uint64_t bits = ReadBigEndian(bytes, size);
    switch (format) {
        case enmItemFormat::FormatBinary:
            AppendHexByte(out, bytes[0]);
            return;
        case enmItemFormat::FormatBoolean:
            // A host may send any byte; only 0 and 1 have names, the rest keep their value.
            if (bytes[0] <= 1) {
                out += bytes[0] ? "TRUE" : "FALSE";
            } else {
                AppendHexByte(out, bytes[0]);
            }
            return;
        case enmItemFormat::FormatF4:
            AppendSmlFloat(out, std::bit_cast<float>(static_cast<std::uint32_t>(bits)));
            return;
        case enmItemFormat::FormatF8:
            AppendSmlFloat(out, std::bit_cast<double>(bits));
            return;
        default:
            AppendIntegerText(out, format, bits);
    }
}

void AppendSmlValueBytes(const SmlCursor& cursor, std::size_t position, std::string_view word,
                         enmItemFormat format, std::string& data) {
    switch (format) {
        case enmItemFormat::FormatBinary: {
            auto byte = ReadByte(cursor, position, word, "B");
            if (!byte) FailValue(cursor, position, word, format, "0x hex or decimal 0 to 255");
            data.push_back(static_cast<char>(*byte));
            return;
        }
        case enmItemFormat::FormatBoolean: {
            if (EqualsNoCase(word, "TRUE") || EqualsNoCase(word, "T")) {
                data.push_back('\x01');
                return;
            }
            if (EqualsNoCase(word, "FALSE") || EqualsNoCase(word, "F")) {
                data.push_back('\x00');
                return;
            }
            auto byte = ReadByte(cursor, position, word, "BOOLEAN");
            if (!byte) FailValue(cursor, position, word, format, "TRUE, FALSE or 0 to 255");
            data.push_back(static_cast<char>(*byte));
            return;
        }
        case enmItemFormat::FormatF4:
            AppendFloat<float, std::uint32_t>(cursor, position, word, format, data);
            return;
        case enmItemFormat::FormatF8:
            AppendFloat<double, std::uint64_t>(cursor, position, word, format, data);
            return;
        default:
            AppendInteger(cursor, position, word, format, data);
    }
}

char SmlCharacterCode(const SmlCursor& cursor, std::size_t position, std::string_view word) {
    auto byte = ReadByte(cursor, position, word, "a character code");
    if (!byte) {
        cursor.FailAt(position, "expected quoted text or a character code (0 to 255), found " +
                                    QuoteWord(word));
    }
    return static_cast<char>(*byte);
}

}  // namespace kest
