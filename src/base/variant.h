#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace kest {

/// One value of any of the kinds the GEM layer passes around: nothing, a Boolean, an integer,
/// a floating-point number or a text. Conversions follow the rules the whole system shares:
/// - text is trimmed; "" and "NULL" convert to the number 0;
/// - integers round half to even; a value that does not fit raises "Overflow" (6);
/// - a text that is not numeric raises "Type mismatch" (13);
/// - a Boolean converts to 1 or 0; to a Boolean, "T"/"TRUE" in any case or a non-zero number is
///   true, anything else false.
class Variant {
  public:
    enum class Kind { Empty, Boolean, Integer, Unsigned, Double, Text };

    Variant() = default;
    Variant(bool value) : value_(value) {}                // NOLINT(google-explicit-constructor)
    Variant(int value) : value_(std::int64_t{value}) {}   // NOLINT
    Variant(long value) : value_(std::int64_t{value}) {}  // NOLINT
    Variant(long long value) : value_(std::int64_t{value}) {}        // NOLINT
    Variant(unsigned value) : value_(std::int64_t{value}) {}         // NOLINT
    Variant(unsigned long value) { SetUnsigned(value); }             // NOLINT
    Variant(unsigned long long value) { SetUnsigned(value); }        // NOLINT
    Variant(double value) : value_(value) {}                         // NOLINT
    Variant(float value) : value_(double{value}) {}                  // NOLINT
    Variant(std::string value) : value_(std::move(value)) {}         // NOLINT
    Variant(std::string_view value) : value_(std::string(value)) {}  // NOLINT
    Variant(const char* value) : value_(std::string(value)) {}       // NOLINT

    /// Which kind of value this holds. An integer above the signed 64-bit range is `Unsigned`.
    Kind GetKind() const noexcept;
    bool IsEmpty() const noexcept { return GetKind() == Kind::Empty; }
    bool IsText() const noexcept { return GetKind() == Kind::Text; }
    /// True for `Integer` and `Unsigned`.
    bool IsInteger() const noexcept;

    /// True for numbers and Booleans, and for text that reads as a number. Empty is not numeric.
    bool IsNumeric() const noexcept;

    /// The value as a 16-bit signed integer (the "CInt" of the original runtime).
    std::int16_t ToInt16() const;
    /// The value as a 32-bit signed integer.
    std::int32_t ToInt32() const;
    /// The value as a 64-bit signed integer; integer texts are read exactly.
    std::int64_t ToInt64() const;
    /// The value as an unsigned 64-bit integer; integer texts are read exactly.
    std::uint64_t ToUInt64() const;
    /// The value as an unsigned byte.
    std::uint8_t ToByte() const;
    /// The value as a double.
    double ToDouble() const;
    /// The value as a Boolean (never fails).
    bool ToBool() const noexcept;
    /// The value as text: integers in decimal, doubles as the shortest text that reads back,
    /// Booleans as "True"/"False", empty as "".
    std::string ToText() const;

    /// The text when this holds text, else nothing; for callers that must tell text from numbers.
    const std::string* TextIf() const noexcept { return std::get_if<std::string>(&value_); }

    friend bool operator==(const Variant& a, const Variant& b) = default;

  private:
    void SetUnsigned(unsigned long long value);

    std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double, std::string> value_;
};

}  // namespace kest
