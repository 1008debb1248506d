#pragma once

#include <stdexcept>
#include <string>

namespace kest {

/// A run-time failure with a number and a text, as the error trap reports it.
/// Conversion failures keep the numbers the original runtime used (6 overflow, 13 type mismatch),
/// so logs read the same to engineers who know them.
class KestException : public std::runtime_error {
  public:
    /// `line` defaults to the line of the caller (both compilers we use provide the builtin;
    /// clang 14 lacks std::source_location with this standard library).
    KestException(int number, const std::string& text, int line = __builtin_LINE())
        : std::runtime_error(text), number_(number), line_(line) {}

    /// The error number reported as `ErrCode`.
    int Number() const noexcept { return number_; }
    /// The source line that raised it, reported as `ErrLine`.
    int Line() const noexcept { return line_; }

  private:
    int number_;
    int line_;
};

namespace errc {
inline constexpr int kInvalidArgument = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kSubscriptOutOfRange = 9;
inline constexpr int kTypeMismatch = 13;
}  // namespace errc

/// "Overflow" (6): a value does not fit the target type.
[[noreturn]] void ThrowOverflow(int line = __builtin_LINE());
/// "Type mismatch" (13): a value cannot be converted to the target type.
[[noreturn]] void ThrowTypeMismatch(int line = __builtin_LINE());
/// "Subscript out of range" (9): a position outside a collection.
[[noreturn]] void ThrowSubscriptOutOfRange(int line = __builtin_LINE());
/// "Invalid procedure call or argument" (5), with a text saying what was wrong.
[[noreturn]] void ThrowInvalidArgument(const std::string& what, int line = __builtin_LINE());

}  // namespace kest
