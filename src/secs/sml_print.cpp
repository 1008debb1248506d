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
    explicit SmlPrinter(bool multi_line) : multi_line_(multi_line) {}

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
            AppendQuotedText(out_, item.Text(), item.Format());
            return;
        }
        std::size_t size = ElementSize(item.Format());
        for (std::size_t offset = 0; size != 0 && offset + size <= data.size(); offset += size) {
            out_ += ' ';
            AppendSmlValue(out_, item.Format(), data.data() + offset);
        }
    }

    bool multi_line_;
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
