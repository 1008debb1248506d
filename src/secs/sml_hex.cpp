#include "secs/sml_hex.h"

#include "secs/sml_cursor.h"

namespace kest {

namespace {

int HexValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string ToHexText(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * bytes.size());
    for (std::uint8_t b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

std::vector<std::uint8_t> ParseHexText(std::string_view text, std::size_t max_bytes) {
    SmlCursor cursor(text);
    std::vector<std::uint8_t> bytes;
    int high = -1;  // the first digit of a byte whose second is still to come
    std::size_t high_position = 0;
    for (;;) {
        cursor.SkipBlanks();
        if (cursor.AtEnd()) break;
        if (cursor.Peek() == '0' && (cursor.PeekAt(1) == 'x' || cursor.PeekAt(1) == 'X')) {
            cursor.Advance();
            cursor.Advance();
            if (HexValue(cursor.Peek()) < 0) {
                cursor.Fail("expected hex digits after 0x, found " + cursor.Found());
            }
        }
        while (!cursor.AtEnd() && HexValue(cursor.Peek()) >= 0) {
            int digit = HexValue(cursor.Peek());
            if (high < 0) {
                high = digit;
                high_position = cursor.Position();
            } else {
                if (bytes.size() == max_bytes) {
                    cursor.Fail("more than " + std::to_string(max_bytes) + " bytes");
                }
                bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
                high = -1;
            }
            cursor.Advance();
        }
        std::size_t after_digits = cursor.Position();
        cursor.SkipBlanks();
        if (!cursor.AtEnd() && cursor.Position() == after_digits) {
            cursor.Fail("expected a hex digit, found " + cursor.Found());
        }
    }
    if (high >= 0) {
        cursor.FailAt(high_position, "odd number of hex digits: this last digit lacks its partner");
    }
    return bytes;
}

}  // namespace kest
