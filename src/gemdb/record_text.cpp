#include "gemdb/record_text.h"

#include "base/text.h"

namespace kest {

std::string_view CutToChars(std::string_view text, std::size_t max_chars) noexcept {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (continuation) continue;
        if (chars == max_chars) return text.substr(0, i);
        ++chars;
    }
    return text;
}

std::string RecordText(std::string_view input, std::size_t max_chars, std::string_view fallback) {
    std::string_view cut = max_chars == 0 ? input : CutToChars(input, max_chars);
    std::string_view trimmed = Trim(cut);
    return std::string(trimmed.empty() ? fallback : trimmed);
}

}  // namespace kest
