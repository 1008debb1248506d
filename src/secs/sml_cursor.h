#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kest {

/// True for the characters of a word: a format name, a number, TRUE/FALSE, `nan(0x...)`.
bool IsSmlWordChar(char c) noexcept;

/// A position in SML text with the scanning steps the readers share: blanks and `//` comments,
/// words, and failures that name the line and column of a position.
class SmlCursor {
  public:
    explicit SmlCursor(std::string_view text) noexcept : text_(text) {}

    /// True when every character has been taken.
    bool AtEnd() const noexcept { return pos_ >= text_.size(); }
    /// The character at the position, '\0' at the end.
    char Peek() const noexcept { return AtEnd() ? '\0' : text_[pos_]; }
    /// The character `offset` places further on, '\0' beyond the end.
    char PeekAt(std::size_t offset) const noexcept;
    /// Moves one character on (nothing at the end).
    void Advance() noexcept {
        if (!AtEnd()) ++pos_;
    }
    /// The byte offset of the position, from 0.
    std::size_t Position() const noexcept { return pos_; }
    /// The text from byte `position` up to the current position.
    std::string_view Since(std::size_t position) const noexcept {
        return text_.substr(position, pos_ - position);
    }

    /// Moves over whitespace and `//` comments.
    void SkipBlanks() noexcept;
    /// Takes the run of word characters at the position (empty when there is none).
    std::string_view TakeWord() noexcept;

    /// Describes the character at the position for an error text: 'x', byte 0x07, or the end of
    /// the text.
    std::string Found() const;

    /// Raises `SmlError` with `reason` at the current position.
    [[noreturn]] void Fail(const std::string& reason) const { FailAt(pos_, reason); }
    /// Raises `SmlError` with `reason` at byte `position` of the text.
    [[noreturn]] void FailAt(std::size_t position, const std::string& reason) const;

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

/// A word quoted for an error text, cut short when long: 'abc'.
std::string QuoteWord(std::string_view word);

}  // namespace kest
