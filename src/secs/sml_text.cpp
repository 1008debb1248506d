#include "secs/sml_text.h"

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

}  // namespace

void AppendQuotedText(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte >= 0x20 && byte < 0x7F) {
            out.push_back(c);
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += "\\x";
            out.push_back(kHexDigits[byte >> 4]);
            out.push_back(kHexDigits[byte & 0x0F]);
        }
    }
    out.push_back('"');
}

void ReadQuotedText(SmlCursor& cursor, std::string& out) {
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
        } else {
            out.push_back(c);
            cursor.Advance();
        }
    }
}

}  // namespace kest
