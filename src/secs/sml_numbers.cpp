#include "secs/sml_numbers.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "base/text.h"

namespace kest {

namespace {

template <typename Float>
struct FloatTraits;

template <>
struct FloatTraits<float> {
    using Bits = std::uint32_t;
    static constexpr Bits kQuietNaN = 0x7FC00000u;  // the NaN that prints as plain "nan"
    static constexpr Bits kSignBit = 0x80000000u;
};

template <>
struct FloatTraits<double> {
    using Bits = std::uint64_t;
    static constexpr Bits kQuietNaN = 0x7FF8000000000000ull;
    static constexpr Bits kSignBit = 0x8000000000000000ull;
};

int DigitValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool HasHexPrefix(std::string_view s) noexcept {
    return s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
}

// Digits of `base` into a 64-bit magnitude; kOutOfRange on overflow, kMalformed on a stray
// character (which wins, so "99999999999999999999z" is malformed rather than too large).
SmlNumberStatus ReadDigits(std::string_view digits, unsigned base, std::uint64_t& out) noexcept {
    if (digits.empty()) return SmlNumberStatus::kMalformed;
    bool overflow = false;
    std::uint64_t value = 0;
    for (char c : digits) {
        int d = DigitValue(c);
        if (d < 0 || static_cast<unsigned>(d) >= base) return SmlNumberStatus::kMalformed;
        if (value > (std::numeric_limits<std::uint64_t>::max() - static_cast<unsigned>(d)) / base) {
            overflow = true;
        }
        value = value * base + static_cast<unsigned>(d);
    }
    out = value;
    return overflow ? SmlNumberStatus::kOutOfRange : SmlNumberStatus::kOk;
}

bool IsDecimalDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

// digits [. digits] [e [sign] digits], at least one mantissa digit; from_chars alone would also
// take forms SML does not write.
bool IsDecimalFloat(std::string_view s) noexcept {
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < s.size() && IsDecimalDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDecimalDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponent_digits = 0;
        while (i < s.size() && IsDecimalDigit(s[i]))
            ++i, ++exponent_digits;
        if (exponent_digits == 0) return false;
    }
    return i == s.size();
}

// nan(0x7FC00001): the bits of one particular NaN, so every NaN an item holds reads back.
template <typename Float>
SmlNumberStatus ReadNaNBits(std::string_view inner, Float& out) noexcept {
    using Traits = FloatTraits<Float>;
    if (!HasHexPrefix(inner) || inner.size() - 2 > 2 * sizeof(Float)) {
        return SmlNumberStatus::kMalformed;
    }
    std::uint64_t bits = 0;
    if (ReadDigits(inner.substr(2), 16, bits) != SmlNumberStatus::kOk) {
        return SmlNumberStatus::kMalformed;
    }
    Float value = std::bit_cast<Float>(static_cast<typename Traits::Bits>(bits));
    if (!std::isnan(value)) return SmlNumberStatus::kNotNaN;
    out = value;
    return SmlNumberStatus::kOk;
}

template <typename Float>
SmlNumberStatus ReadFloat(std::string_view word, Float& out) noexcept {
    using Traits = FloatTraits<Float>;
    bool negative = false;
    std::string_view rest = word;
    if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
        negative = rest[0] == '-';
        rest.remove_prefix(1);
    }
    if (EqualsNoCase(rest, "inf") || EqualsNoCase(rest, "infinity")) {
        out = negative ? -std::numeric_limits<Float>::infinity()
                       : std::numeric_limits<Float>::infinity();
        return SmlNumberStatus::kOk;
    }
    if (EqualsNoCase(rest, "nan")) {
        out = std::bit_cast<Float>(negative ? Traits::kQuietNaN | Traits::kSignBit
                                            : Traits::kQuietNaN);
        return SmlNumberStatus::kOk;
    }
    if (rest.size() > 5 && EqualsNoCase(rest.substr(0, 4), "nan(") && rest.back() == ')') {
        if (word.size() != rest.size())
            return SmlNumberStatus::kMalformed;  // the bits hold the sign
        return ReadNaNBits(rest.substr(4, rest.size() - 5), out);
    }
    if (!IsDecimalFloat(rest)) return SmlNumberStatus::kMalformed;
    Float value = 0;
    auto result = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (result.ec == std::errc::result_out_of_range) return SmlNumberStatus::kOutOfRange;
    if (result.ec != std::errc() || result.ptr != rest.data() + rest.size()) {
        return SmlNumberStatus::kMalformed;
    }
    out = negative ? -value : value;
    return SmlNumberStatus::kOk;
}

template <typename Float>
void AppendFloat(std::string& out, Float value) {
    using Traits = FloatTraits<Float>;
    if (std::isnan(value)) {
        auto bits = std::bit_cast<typename Traits::Bits>(value);
        if (bits == Traits::kQuietNaN) {
            out += "nan";
            return;
        }
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "nan(0x%0*llX)", static_cast<int>(2 * sizeof(Float)),
                      static_cast<unsigned long long>(bits));
        out += buffer;
    } else if (std::isinf(value)) {
        out += value > 0 ? "inf" : "-inf";
    } else if constexpr (sizeof(Float) == 4) {
        out += FormatFloat(value);
    } else {
        out += FormatDouble(value);
    }
}

}  // namespace

SmlNumberStatus ReadSmlInteger(std::string_view word, SmlInteger& out) noexcept {
    SmlInteger value;
    if (!word.empty() && (word[0] == '+' || word[0] == '-')) {
        value.negative = word[0] == '-';
        word.remove_prefix(1);
    }
    SmlNumberStatus status = HasHexPrefix(word) ? ReadDigits(word.substr(2), 16, value.magnitude)
                                                : ReadDigits(word, 10, value.magnitude);
    if (status == SmlNumberStatus::kOk) out = value;
    return status;
}

bool FitsInteger(const SmlInteger& value, unsigned bits, bool is_signed) noexcept {
    if (!is_signed) {
        if (value.negative) return value.magnitude == 0;
        return bits >= 64 || value.magnitude <= (std::uint64_t{1} << bits) - 1;
    }
    std::uint64_t half = std::uint64_t{1} << (bits - 1);
    return value.negative ? value.magnitude <= half : value.magnitude < half;
}

std::uint64_t IntegerBits(const SmlInteger& value) noexcept {
    return value.negative ? std::uint64_t{0} - value.magnitude : value.magnitude;
}

std::string IntegerRangeText(unsigned bits, bool is_signed) {
    if (!is_signed) {
        std::uint64_t max =
            bits >= 64 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{1} << bits) - 1;
        return "0 to " + std::to_string(max);
    }
    std::uint64_t half = std::uint64_t{1} << (bits - 1);
    std::string text = "-";
    text += std::to_string(half);
    text += " to ";
    text += std::to_string(half - 1);
    return text;
}

SmlNumberStatus ReadSmlFloat(std::string_view word, float& out) noexcept {
    return ReadFloat(word, out);
}

SmlNumberStatus ReadSmlFloat(std::string_view word, double& out) noexcept {
    return ReadFloat(word, out);
}

void AppendSmlFloat(std::string& out, float value) {
    AppendFloat(out, value);
}

void AppendSmlFloat(std::string& out, double value) {
    AppendFloat(out, value);
}

}  // namespace kest
