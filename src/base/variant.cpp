#include "base/variant.h"

#include <cmath>
#include <limits>

#include "base/error.h"
#include "base/text.h"

namespace kest {

namespace {

// An exact integer, or a double that still needs rounding; the common ground of all kinds.
struct Number {
    bool exact = false;
    bool negative = false;
    std::uint64_t magnitude = 0;
    double value = 0;
};

Number NumberFromText(const std::string& text) {
    std::string_view trimmed = TrimWhitespace(text);
    if (trimmed.empty() || trimmed == "NULL") return Number{true, false, 0, 0};
    auto parsed = ParseNumeric(trimmed);
    if (!parsed) ThrowTypeMismatch();
    Number n;
    n.exact = parsed->magnitude_exact;
    n.negative = parsed->negative && parsed->magnitude != 0;
    n.magnitude = parsed->magnitude;
    n.value = parsed->value;
    return n;
}

Number FromSigned(std::int64_t v) {
    Number n{true, v < 0, 0, static_cast<double>(v)};
    n.magnitude = v < 0 ? static_cast<std::uint64_t>(-(v + 1)) + 1 : static_cast<std::uint64_t>(v);
    return n;
}

// Rounds a double half to even and checks it against [min, max].
template <typename T>
T RoundToRange(double value) {
    if (std::isnan(value)) ThrowOverflow();
    double rounded = std::nearbyint(value);  // default rounding mode: to nearest, ties to even
    if (rounded < static_cast<double>(std::numeric_limits<T>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<T>::max())) {
        ThrowOverflow();
    }
    // The upper bound of a 64-bit type is not representable as a double; 2^63 and 2^64 pass the
    // check above but overflow the conversion.
    if constexpr (sizeof(T) == 8) {
        if (rounded >= std::ldexp(1.0, std::numeric_limits<T>::digits)) ThrowOverflow();
    }
    return static_cast<T>(rounded);
}

template <typename T>
T IntegerFrom(const Number& n) {
    if (!n.exact) return RoundToRange<T>(n.value);
    if (n.negative) {
        if constexpr (std::is_unsigned_v<T>) {
            ThrowOverflow();
        } else {
            auto limit = static_cast<std::uint64_t>(-(std::numeric_limits<T>::min() + 1)) + 1;
            if (n.magnitude > limit) ThrowOverflow();
            return static_cast<T>(-static_cast<std::int64_t>(n.magnitude - 1) - 1);
        }
    }
    if (n.magnitude > static_cast<std::uint64_t>(std::numeric_limits<T>::max())) ThrowOverflow();
    return static_cast<T>(n.magnitude);
}

}  // namespace

void Variant::SetUnsigned(unsigned long long value) {
    if (value <= static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max())) {
        value_ = static_cast<std::int64_t>(value);
    } else {
        value_ = static_cast<std::uint64_t>(value);
    }
}

Variant::Kind Variant::GetKind() const noexcept {
    return static_cast<Kind>(value_.index());
}

bool Variant::IsInteger() const noexcept {
    Kind k = GetKind();
    return k == Kind::Integer || k == Kind::Unsigned;
}

bool Variant::IsNumeric() const noexcept {
    switch (GetKind()) {
        case Kind::Empty:
            return false;
        case Kind::Text:
            return ParseNumeric(std::get<std::string>(value_)).has_value();
        default:
            return true;
    }
}

namespace {

Number ToNumber(
    const std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double, std::string>& v) {
    switch (v.index()) {
        case 0:
            return Number{true, false, 0, 0};
        case 1:
            return FromSigned(std::get<bool>(v) ? 1 : 0);
        case 2:
            return FromSigned(std::get<std::int64_t>(v));
        case 3: {
            auto u = std::get<std::uint64_t>(v);
            return Number{true, false, u, static_cast<double>(u)};
        }
        case 4:
            return Number{false, false, 0, std::get<double>(v)};
        default:
            return NumberFromText(std::get<std::string>(v));
    }
}

}  // namespace

std::int16_t Variant::ToInt16() const {
    return IntegerFrom<std::int16_t>(ToNumber(value_));
}

std::int32_t Variant::ToInt32() const {
    return IntegerFrom<std::int32_t>(ToNumber(value_));
}

std::int64_t Variant::ToInt64() const {
    return IntegerFrom<std::int64_t>(ToNumber(value_));
}

std::uint64_t Variant::ToUInt64() const {
    return IntegerFrom<std::uint64_t>(ToNumber(value_));
}

std::uint8_t Variant::ToByte() const {
    return IntegerFrom<std::uint8_t>(ToNumber(value_));
}

double Variant::ToDouble() const {
    Number n = ToNumber(value_);
    if (!n.exact) return n.value;
    double magnitude = static_cast<double>(n.magnitude);
    return n.negative ? -magnitude : magnitude;
}

bool Variant::ToBool() const noexcept {
    switch (GetKind()) {
        case Kind::Empty:
            return false;
        case Kind::Boolean:
            return std::get<bool>(value_);
        case Kind::Integer:
            return std::get<std::int64_t>(value_) != 0;
        case Kind::Unsigned:
            return true;
        case Kind::Double:
            return std::get<double>(value_) != 0;
        case Kind::Text: {
            std::string_view t = TrimWhitespace(std::get<std::string>(value_));
            if (EqualsNoCase(t, "T") || EqualsNoCase(t, "TRUE")) return true;
            auto parsed = ParseNumeric(t);
            return parsed && parsed->value != 0;
        }
    }
    return false;
}

std::string Variant::ToText() const {
    switch (GetKind()) {
        case Kind::Empty:
            return {};
        case Kind::Boolean:
            return std::get<bool>(value_) ? "True" : "False";
        case Kind::Integer:
            return std::to_string(std::get<std::int64_t>(value_));
        case Kind::Unsigned:
            return std::to_string(std::get<std::uint64_t>(value_));
        case Kind::Double:
            return FormatDouble(std::get<double>(value_));
        case Kind::Text:
            return std::get<std::string>(value_);
    }
    return {};
}

}  // namespace kest
