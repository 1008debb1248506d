#include "secs/sml_text.h"

#include <cstdio>

namespace kest {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte a one-letter escape stands for, or -1.
int SimpleEscape(char c) noexcept {
    switch (c) {
        case '"':
        case '\'':
        case '\\':
            return c;
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        case '0':
            return '\0';
        case 'a':
            return '\a';
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'v':
            return '\v';
        default:
            return -1;
    }
}

void ReadEscape(SmlCursor& cursor, std::string& out) {
    std::size_t start = cursor.Position();  // on the backslash
    cursor.Advance();
    char c = cursor.Peek();
    if (c == 'x' || c == 'X') {
        int high = HexValue(cursor.PeekAt(1));
        int low = HexValue(cursor.PeekAt(2));
        if (high < 0 || low < 0) cursor.FailAt(start, "expected two hex digits after \\x");
        out.push_back(static_cast<char>(high * 16 + low));
        cursor.Advance();
        cursor.Advance();
        cursor.Advance();
        return;
    }
    int byte = SimpleEscape(c);
    if (byte < 0) {
        auto code = static_cast<unsigned char>(c);
        if (code > 0x20 && code < 0x7F) {
            cursor.FailAt(start, std::string("unknown escape \\") + c + " in quoted text");
        }
        cursor.FailAt(start, "expected an escape after \\, found " + cursor.Found());
    }
    out.push_back(static_cast<char>(byte));
    cursor.Advance();
}

// The character a JIS X 0201 byte shows where it differs from the byte itself, or 0: the yen
// and overline in place of ASCII's backslash and tilde, and the half-width katakana.
char32_t Jis8Character(unsigned char byte) noexcept {
    if (byte == 0x5C) return U'\u00A5';
    if (byte == 0x7E) return U'\u203E';
    if (byte >= 0xA1 && byte <= 0xDF) return U'\uFF61' + (byte - 0xA1);
    return 0;
}

// The JIS X 0201 byte of a character, or -1 when the set has none.
int Jis8Byte(char32_t code) noexcept {
    if (code < 0x80) return code == U'\\' || code == U'~' ? -1 : static_cast<int>(code);
    if (code == U'\u00A5') return 0x5C;
    if (code == U'\u203E') return 0x7E;
    if (code >= U'\uFF61' && code <= U'\uFF9F') return static_cast<int>(code - U'\uFF61') + 0xA1;
    return -1;
}

// Appends a character from U+0080 to U+FFFF, the range the JIS X 0201 characters lie in.
void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    }
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
}

// Decodes the UTF-8 character at the cursor into `code` and returns its length in bytes, or 0
// for a byte that starts no well-formed character (overlong forms and surrogates included).
std::size_t PeekUtf8(const SmlCursor& cursor, char32_t& code) noexcept {
    auto lead = static_cast<unsigned char>(cursor.Peek());
    std::size_t length;
    char32_t least;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        least = 0x80;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        least = 0x800;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        least = 0x10000;
        code = lead & 0x07;
    } else {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        auto next = static_cast<unsigned char>(cursor.PeekAt(i));
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

void ReadJis8Character(SmlCursor& cursor, std::string& out) {
    std::size_t start = cursor.Position();
    char32_t code = 0;
    std::size_t length = PeekUtf8(cursor, code);
    if (length == 0) cursor.Fail("expected UTF-8 text, found " + cursor.Found());
    for (std::size_t i = 0; i < length; ++i)
        cursor.Advance();
    int byte = Jis8Byte(code);
    if (byte < 0) {
        if (code == U'~') {
            cursor.FailAt(start, "'~' has no JIS-8 byte: write \\x7E, which shows as '\u203E'");
        }
        char name[16];
        std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
        std::string reason;
        // Control characters would not show; the others are quoted as written.
        if (code >= 0xA0) {
            reason += '\'';
            reason += cursor.Since(start);
            reason += "' (";
            reason += name;
            reason += ')';
        } else {
            reason += name;
        }
        cursor.FailAt(start, reason + " has no JIS-8 byte");
    }
    out.push_back(static_cast<char>(byte));
}

}  // namespace

void AppendQuotedText(std::string& out, std::string_view bytes, enmItemFormat format) {
    bool jis8 = format == enmItemFormat::FormatJIS8;
    out.push_back('"');
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || (c == '\\' && !jis8)) {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte >= 0x20 && byte < 0x7F && !(jis8 && (c == '\\' || c == '~'))) {
            out.push_back(c);
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (char32_t code = jis8 ? Jis8Character(byte) : 0; code != 0) {
            AppendUtf8(out, code);
        } else {
            out += "\\x";
            out.push_back(kHexDigits[byte >> 4]);
            out.push_back(kHexDigits[byte & 0x0F]);
        }
    }
    out.push_back('"');
}

void ReadQuotedText(SmlCursor& cursor, std::string& out, enmItemFormat format) {
    bool jis8 = format == enmItemFormat::FormatJIS8;
    char quote = cursor.Peek();
    cursor.Advance();
    for (;;) {
        char c = cursor.Peek();
        // A line break inside quotes is far more likely a missing quote than intended text.
        if (cursor.AtEnd() || c == '\n' || c == '\r') {
            cursor.Fail(std::string("expected ") + (quote == '"' ? "'\"'" : "\"'\"") +
                        " to close the quoted text");
        }
        if (c == quote) {
            cursor.Advance();
            return;
        }
        if (c == '\\') {
            ReadEscape(cursor, out);
        } else if (jis8) {
            ReadJis8Character(cursor, out);
        } else {
            out.push_back(c);
            cursor.Advance();
        }
    }
}

}  // namespace kest
