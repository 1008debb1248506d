#pragma once

#include <source_location>
#include <stdexcept>
#include <string>

namespace kest {

/// A run-time failure with a number and a text, as the error trap reports it.
/// Conversion failures keep the numbers the original runtime used (6 overflow, 13 type mismatch),
/// so logs read the same to engineers who know them.
class KestException : public std::runtime_error {
  public:
    KestException(int number, const std::string& text,
                  std::source_location where = std::source_location::current())
        : std::runtime_error(text), number_(number), line_(static_cast<int>(where.line())) {}

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
[[noreturn]] void ThrowOverflow(std::source_location where = std::source_location::current());
/// "Type mismatch" (13): a value cannot be converted to the target type.
[[noreturn]] void ThrowTypeMismatch(std::source_location where = std::source_location::current());
/// "Subscript out of range" (9): a position outside a collection.
[[noreturn]] void ThrowSubscriptOutOfRange(
    std::source_location where = std::source_location::current());
/// "Invalid procedure call or argument" (5), with a text saying what was wrong.
[[noreturn]] void ThrowInvalidArgument(
    const std::string& what, std::source_location where = std::source_location::current());

}  // namespace kest
