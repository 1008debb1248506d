#include "base/text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace kest {

namespace {

std::string_view TrimIf(std::string_view text, bool tabs) noexcept {
    auto blank = [tabs](char c) { return c == ' ' || (tabs && c == '\t'); };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

char UpperAscii(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

// Checks the grammar before `from_chars`, which would also take "inf", "nan" and hex forms.
bool ValidNumberGrammar(std::string_view s, bool& integral) noexcept {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    integral = true;
    if (i < s.size() && s[i] == '.') {
        integral = false;
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        integral = false;
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exp_digits = 0;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++exp_digits;
        if (exp_digits == 0) return false;
    }
    return i == s.size();
}

template <typename T>
std::string FormatShortest(T value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    std::array<char, 64> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace

std::string_view Trim(std::string_view text) noexcept {
    return TrimIf(text, false);
}

std::string_view TrimWhitespace(std::string_view text) noexcept {
    return TrimIf(text, true);
}

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    }
    return true;
}

std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = UpperAscii(c);
    return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (;;) {
        std::size_t pos = text.find(separator, start);
        if (pos == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
}

std::optional<NumericText> ParseNumeric(std::string_view text) noexcept {
    std::string_view s = TrimWhitespace(text);
    bool integral = false;
    if (!ValidNumberGrammar(s, integral)) return std::nullopt;

    NumericText out;
    out.integral = integral;
    out.negative = s.front() == '-';
    std::string_view unsigned_part = (s.front() == '+' || s.front() == '-') ? s.substr(1) : s;

    // from_chars rejects a leading '+', hence the unsigned part and the sign applied afterwards.
    double magnitude_value = 0;
    auto parsed = std::from_chars(unsigned_part.data(), unsigned_part.data() + unsigned_part.size(),
                                  magnitude_value);
    if (parsed.ec == std::errc::result_out_of_range) {
        // Too small to hold reads as 0, too large as infinity (which no conversion accepts).
        std::size_t e = unsigned_part.find_first_of("eE");
        bool tiny = (e != std::string_view::npos && e + 1 < unsigned_part.size() &&
                     unsigned_part[e + 1] == '-') ||
                    (e == std::string_view::npos && unsigned_part.substr(0, 1) != "0" &&
                     unsigned_part.find('.') == 0) ||
                    (e == std::string_view::npos && unsigned_part.substr(0, 2) == "0.");
        magnitude_value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (parsed.ec != std::errc()) {
        return std::nullopt;
    }
    out.value = out.negative ? -magnitude_value : magnitude_value;

    if (integral) {
        std::uint64_t magnitude = 0;
        auto exact = std::from_chars(unsigned_part.data(),
                                     unsigned_part.data() + unsigned_part.size(), magnitude);
        if (exact.ec == std::errc() && exact.ptr == unsigned_part.data() + unsigned_part.size()) {
            out.magnitude_exact = true;
            out.magnitude = magnitude;
        }
    }
    return out;
}

std::string FormatDouble(double value) {
    return FormatShortest(value);
}

std::string FormatFloat(float value) {
    return FormatShortest(value);
}

}  // namespace kest
