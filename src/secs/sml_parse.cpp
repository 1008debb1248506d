#include <optional>

#include "secs/codec.h"
#include "secs/sml.h"
#include "secs/sml_cursor.h"
#include "secs/sml_text.h"
#include "secs/sml_values.h"

namespace kest {

namespace {

constexpr int kMaxStream = 127;
constexpr int kMaxFunction = 255;

// A `[n]` written after a format name: checked against what the item turns out to hold.
struct WrittenCount {
    std::size_t position;
    std::size_t value;
};

std::string Tag(enmItemFormat format) {
    std::string tag = "<";
    tag += FormatName(format);
    tag += '>';
    return tag;
}

bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

bool IsAlphanumeric(char c) noexcept {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class SmlParser {
  public:
    SmlParser(std::string_view text, const SmlLimits& limits) : cursor_(text), limits_(limits) {
        if (text.size() > limits.max_text_size) {
            cursor_.Fail("the text of " + std::to_string(text.size()) +
                         " bytes exceeds the limit of " + std::to_string(limits.max_text_size));
        }
    }

    SecsItem Item(std::size_t depth) {
        std::size_t start = cursor_.Position();
        if (cursor_.Peek() != '<') {
            cursor_.Fail("expected '<' to start an item, found " + cursor_.Found());
        }
        if (depth > limits_.max_depth) {
            cursor_.Fail("lists nested deeper than " + std::to_string(limits_.max_depth));
        }
        if (++items_ > limits_.max_items) {
            cursor_.Fail("more than " + std::to_string(limits_.max_items) + " items");
        }
        cursor_.Advance();
        cursor_.SkipBlanks();
        enmItemFormat format = Format();
        std::optional<WrittenCount> count = Count();
        SecsItem item(format);
        if (item.IsList()) {
            Children(item, depth);
        } else if (IsTextFormat(format)) {
            Text(item);
        } else {
            Values(item);
        }
        CheckCount(item, count);
        CheckLength(item, start);
        cursor_.Advance();  // the closing '>'
        return item;
    }

    SecsMessage Message() {
        cursor_.SkipBlanks();
        SecsMessage message;
        Header(message);
        cursor_.SkipBlanks();
        if (cursor_.Peek() == '<') {
            message.RootItem().AddItem(Item(0));
            cursor_.SkipBlanks();
        } else if (cursor_.Peek() != '.' && !cursor_.AtEnd()) {
            cursor_.Fail("expected '<' to start the body, '.' or the end of the text, found " +
                         cursor_.Found());
        }
        if (cursor_.Peek() == '.') cursor_.Advance();
        ExpectEnd("message");
        return message;
    }

    void ExpectEnd(const char* what) {
        cursor_.SkipBlanks();
        if (!cursor_.AtEnd()) {
            cursor_.Fail(std::string("expected the end of the text after the ") + what +
                         ", found " + cursor_.Found());
        }
    }

    SmlCursor& Cursor() noexcept { return cursor_; }

  private:
    enmItemFormat Format() {
        std::size_t position = cursor_.Position();
        std::string_view name = cursor_.TakeWord();
        auto format = FormatFromName(name);
        if (!format) {
            cursor_.FailAt(position,
                           "expected an item format (L, B, BOOLEAN, A, J, I1, I2, I4, I8, U1, U2, "
                           "U4, U8, F4, F8), found " +
                               (name.empty() ? cursor_.Found() : QuoteWord(name)));
        }
        return *format;
    }

    std::optional<WrittenCount> Count() {
        cursor_.SkipBlanks();
        if (cursor_.Peek() != '[') return std::nullopt;
        WrittenCount count{cursor_.Position(), 0};
        cursor_.Advance();
        cursor_.SkipBlanks();
        if (!IsDigit(cursor_.Peek())) {
            cursor_.Fail("expected a count of decimal digits after '[', found " + cursor_.Found());
        }
        while (IsDigit(cursor_.Peek())) {
            count.value = count.value * 10 + static_cast<std::size_t>(cursor_.Peek() - '0');
            if (count.value > kMaxItemLength) {
                cursor_.FailAt(count.position, "the count exceeds the largest item length " +
                                                   std::to_string(kMaxItemLength));
            }
            cursor_.Advance();
        }
        cursor_.SkipBlanks();
        if (cursor_.Peek() != ']') {
            cursor_.Fail("expected ']' to close the count, found " + cursor_.Found());
        }
        cursor_.Advance();
        return count;
    }

    void Children(SecsItem& list, std::size_t depth) {
        for (;;) {
            cursor_.SkipBlanks();
            char c = cursor_.Peek();
            if (c == '>') return;
            if (c == '<') {
                list.AddItem(Item(depth + 1));
            } else if (cursor_.AtEnd()) {
                cursor_.Fail("expected '>' to close <L>");
            } else {
                cursor_.Fail("expected '<' to start an item or '>' to close <L>, found " +
                             cursor_.Found());
            }
        }
    }

    void Text(SecsItem& item) {
        std::string data;
        for (;;) {
            cursor_.SkipBlanks();
            char c = cursor_.Peek();
            if (c == '>') break;
            if (c == '"' || c == '\'') {
                ReadQuotedText(cursor_, data, item.Format());
            } else if (IsSmlWordChar(c)) {
                std::size_t position = cursor_.Position();
                data.push_back(SmlCharacterCode(cursor_, position, cursor_.TakeWord()));
            } else if (cursor_.AtEnd()) {
                cursor_.Fail("expected '>' to close " + Tag(item.Format()));
            } else {
                cursor_.Fail("expected quoted text, a character code or '>' to close " +
                             Tag(item.Format()) + ", found " + cursor_.Found());
            }
        }
        Assign(item, data);
    }

    void Values(SecsItem& item) {
        std::string data;
        for (;;) {
            cursor_.SkipBlanks();
            char c = cursor_.Peek();
            if (c == '>') break;
            if (IsSmlWordChar(c) && ElementSize(item.Format()) != 0) {
                std::size_t position = cursor_.Position();
                AppendSmlValueBytes(cursor_, position, cursor_.TakeWord(), item.Format(), data);
            } else if (cursor_.AtEnd()) {
                cursor_.Fail("expected '>' to close " + Tag(item.Format()));
            } else if (ElementSize(item.Format()) == 0) {
                cursor_.Fail("expected '>' to close " + Tag(item.Format()) +
                             ", which holds no values, found " + cursor_.Found());
            } else {
                cursor_.Fail("expected " + FormatWithArticle(item.Format()) +
                             " value or '>' to close " + Tag(item.Format()) + ", found " +
                             cursor_.Found());
            }
        }
        Assign(item, data);
    }

    static void Assign(SecsItem& item, const std::string& data) {
        item.AssignData(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
    }

    void CheckCount(const SecsItem& item, const std::optional<WrittenCount>& count) const {
        if (!count || count->value == item.Count()) return;
        std::string unit = item.IsList()                 ? "item"
                           : IsTextFormat(item.Format()) ? "character"
                                                         : "value";
        if (item.Count() != 1) unit += 's';
        cursor_.FailAt(count->position, "the count [" + std::to_string(count->value) +
                                            "] does not match the " + std::to_string(item.Count()) +
                                            " " + unit + " of " + Tag(item.Format()));
    }

    // Keeps every item that parses encodable: the header's three length bytes bound it.
    void CheckLength(const SecsItem& item, std::size_t start) const {
        std::size_t length = item.IsList() ? item.Count() : item.Data().size();
        if (length > kMaxItemLength) {
            cursor_.FailAt(start, Tag(item.Format()) + " holds " + std::to_string(length) +
                                      (item.IsList() ? " items" : " bytes") +
                                      ", more than an item can carry (" +
                                      std::to_string(kMaxItemLength) + ")");
        }
    }

    // S<stream>F<function>, then W when the sender expects a reply ("S1F3W" is read too).
    void Header(SecsMessage& message) {
        char s = cursor_.Peek();
        if ((s != 'S' && s != 's') || !IsDigit(cursor_.PeekAt(1))) {
            cursor_.Fail("expected a message header such as S1F3 W, found " + cursor_.Found());
        }
        cursor_.Advance();
        message.SetStream(Number(kMaxStream, "stream"));
        char f = cursor_.Peek();
        if (f != 'F' && f != 'f') {
            cursor_.Fail("expected 'F' and the function number, found " + cursor_.Found());
        }
        cursor_.Advance();
        if (!IsDigit(cursor_.Peek())) {
            cursor_.Fail("expected the function number after 'F', found " + cursor_.Found());
        }
        message.SetFunction(Number(kMaxFunction, "function"));
        cursor_.SkipBlanks();
        char w = cursor_.Peek();
        if ((w == 'W' || w == 'w') && !IsAlphanumeric(cursor_.PeekAt(1))) {
            message.SetReplyExpected(true);
            cursor_.Advance();
        } else if (IsAlphanumeric(w)) {
            std::size_t position = cursor_.Position();
            cursor_.FailAt(position, "expected 'W', '<', '.' or the end of the text, found " +
                                         QuoteWord(cursor_.TakeWord()));
        }
    }

    int Number(int max, const char* what) {
        std::size_t start = cursor_.Position();
        int value = 0;
        while (IsDigit(cursor_.Peek())) {
            if (value <= max) value = value * 10 + (cursor_.Peek() - '0');
            cursor_.Advance();
        }
        if (value > max) {
            cursor_.FailAt(start, std::string(what) + " " + QuoteWord(cursor_.Since(start)) +
                                      " is out of range (0 to " + std::to_string(max) + ")");
        }
        return value;
    }

    SmlCursor cursor_;
    const SmlLimits& limits_;
    std::size_t items_ = 0;
};

}  // namespace

SecsItem ParseSml(std::string_view text, const SmlLimits& limits) {
    SmlParser parser(text, limits);
    parser.Cursor().SkipBlanks();
    SecsItem item = parser.Item(0);
    parser.ExpectEnd("item");
    return item;
}

SecsMessage ParseSmlMessage(std::string_view text, const SmlLimits& limits) {
    SmlParser parser(text, limits);
    return parser.Message();
}

}  // namespace kest
