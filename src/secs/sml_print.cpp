#include "secs/sml.h"
#include "secs/sml_text.h"
#include "secs/sml_values.h"

namespace kest {

namespace {

constexpr std::size_t kIndentStep = 2;

// One-line output separates children with a blank; multi-line output puts each on its own
// line, indented one step deeper than its list.
class SmlPrinter {
  public:
    // `limit` 0 prints every value; otherwise at most that many values (text bytes) an item.
    SmlPrinter(bool multi_line, std::size_t limit = 0) : multi_line_(multi_line), limit_(limit) {}

    void Item(const SecsItem& item, std::size_t indent) {
        if (item.IsList()) {
            List(item, indent);
        } else {
            out_ += '<';
            out_ += FormatName(item.Format());
            Values(item);
            out_ += '>';
        }
    }

    std::string& Text() noexcept { return out_; }

  private:
    void List(const SecsItem& list, std::size_t indent) {
        out_ += "<L [";
        out_ += std::to_string(list.Count());
        out_ += ']';
        if (list.Count() == 0) {
            out_ += '>';
            return;
        }
        for (const SecsItem& child : list) {
            if (multi_line_) {
                out_ += '\n';
                out_.append(indent + kIndentStep, ' ');
                Item(child, indent + kIndentStep);
            } else {
                out_ += ' ';
                Item(child, 0);
            }
        }
        if (multi_line_) {
            out_ += '\n';
            out_.append(indent, ' ');
        }
        out_ += '>';
    }

    void Values(const SecsItem& item) {
        auto data = item.Data();
        if (data.empty()) return;
        if (IsTextFormat(item.Format())) {
            out_ += ' ';
            const std::string_view text = item.Text();
            const bool cut = limit_ != 0 && text.size() > limit_;
            AppendQuotedText(out_, cut ? text.substr(0, limit_) : text, item.Format());
            if (cut) Omitted(text.size(), " bytes");
            return;
        }
        const std::size_t size = ElementSize(item.Format());
        if (size == 0) return;
        const std::size_t count = data.size() / size;
        const std::size_t shown = limit_ != 0 && count > limit_ ? limit_ : count;
        for (std::size_t i = 0; i < shown; ++i) {
            out_ += ' ';
            AppendSmlValue(out_, item.Format(), data.data() + i * size);
        }
        if (shown < count) Omitted(count, " values");
    }

    void Omitted(std::size_t total, const char* unit) {
        out_ += " ... (";
        out_ += std::to_string(total);
        out_ += unit;
        out_ += ')';
    }

    bool multi_line_;
    std::size_t limit_;
    std::string out_;
};

std::string PrintItem(const SecsItem& item, bool multi_line) {
    SmlPrinter printer(multi_line);
    printer.Item(item, 0);
    return std::move(printer.Text());
}

std::string Header(const SecsMessage& message) {
    return message.Name() + (message.ReplyExpected() ? " W" : "");
}

}  // namespace

std::string ToSml(const SecsItem& item) {
    return PrintItem(item, true);
}

std::string ToSmlAbridged(const SecsItem& item, std::size_t max_values) {
    SmlPrinter printer(true, max_values);
    printer.Item(item, 0);
    return std::move(printer.Text());
}

std::string ToSmlLine(const SecsItem& item) {
    return PrintItem(item, false);
}

// A malformed message with several top-level items prints them all: a log must show what was
// there, even though ParseSmlMessage reads one body item only.
std::string ToSml(const SecsMessage& message) {
    std::string out = Header(message);
    for (const SecsItem& item : message.RootItem()) {
        out += '\n';
        out += ToSml(item);
    }
    out += "\n.";
    return out;
}

std::string ToSmlLine(const SecsMessage& message) {
    std::string out = Header(message);
    for (const SecsItem& item : message.RootItem()) {
        out += ' ';
        out += ToSmlLine(item);
    }
    out += " .";
    return out;
}

}  // namespace kest
