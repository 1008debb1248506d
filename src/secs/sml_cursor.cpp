#include "secs/sml_cursor.h"

#include <cstdio>

#include "secs/sml.h"

namespace kest {

namespace {

bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Long enough to recognise a value, short enough to keep an error on one readable line.
constexpr std::size_t kMaxQuotedWord = 40;

}  // namespace

SmlError::SmlError(const std::string& reason, std::size_t line, std::size_t column)
    : std::runtime_error("line " + std::to_string(line) + ", column " + std::to_string(column) +
                         ": " + reason),
      reason_(reason),
      line_(line),
      column_(column) {}

bool IsSmlWordChar(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '+' || c == '-' || c == '(' || c == ')';
}

char SmlCursor::PeekAt(std::size_t offset) const noexcept {
    return pos_ + offset < text_.size() ? text_[pos_ + offset] : '\0';
}

void SmlCursor::SkipBlanks() noexcept {
    while (!AtEnd()) {
        char c = text_[pos_];
        if (IsBlank(c)) {
            ++pos_;
        } else if (c == '/' && PeekAt(1) == '/') {
            std::size_t end = text_.find('\n', pos_);
            pos_ = end == std::string_view::npos ? text_.size() : end;
        } else {
            return;
        }
    }
}

std::string_view SmlCursor::TakeWord() noexcept {
    std::size_t start = pos_;
    while (!AtEnd() && IsSmlWordChar(text_[pos_]))
        ++pos_;
    return text_.substr(start, pos_ - start);
}

std::string SmlCursor::Found() const {
    if (AtEnd()) return "the end of the text";
    auto c = static_cast<unsigned char>(text_[pos_]);
    if (c >= 0x20 && c < 0x7F) return std::string("'") + static_cast<char>(c) + "'";
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "byte 0x%02X", c);
    return buffer;
}

void SmlCursor::FailAt(std::size_t position, const std::string& reason) const {
    if (position > text_.size()) position = text_.size();
    std::size_t line = 1;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i < position; ++i) {
        if (text_[i] == '\n') {
            ++line;
            line_start = i + 1;
        }
    }
    throw SmlError(reason, line, position - line_start + 1);
}

std::string QuoteWord(std::string_view word) {
    std::string out = "'";
    out += word.substr(0, kMaxQuotedWord);
    if (word.size() > kMaxQuotedWord) out += "...";
    out += '\'';
    return out;
}

}  // namespace kest
