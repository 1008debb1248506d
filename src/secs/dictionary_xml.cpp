#include "secs/dictionary_xml.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>

#include "secs/dictionary_values.h"
#include "secs/message.h"

namespace kest::detail {

namespace {

struct ItemElement {
    std::string_view name;
    enmItemFormat format;
};

// The item element names are the SML format names; the variable format V is not a wire format.
constexpr std::array<ItemElement, 15> kItemElements{{
    {"L", enmItemFormat::FormatList},
    {"B", enmItemFormat::FormatBinary},
    {"BOOLEAN", enmItemFormat::FormatBoolean},
    {"A", enmItemFormat::FormatAscii},
    {"J", enmItemFormat::FormatJIS8},
    {"I1", enmItemFormat::FormatI1},
    {"I2", enmItemFormat::FormatI2},
    {"I4", enmItemFormat::FormatI4},
    {"I8", enmItemFormat::FormatI8},
    {"U1", enmItemFormat::FormatU1},
    {"U2", enmItemFormat::FormatU2},
    {"U4", enmItemFormat::FormatU4},
    {"U8", enmItemFormat::FormatU8},
    {"F4", enmItemFormat::FormatF4},
    {"F8", enmItemFormat::FormatF8},
}};

std::optional<enmItemFormat> ItemFormat(std::string_view element) noexcept {
    for (const auto& item : kItemElements) {
        if (item.name == element) return item.format;
    }
    return std::nullopt;
}

bool IsText(const pugi::xml_node& node) noexcept {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// Text nodes keep the line breaks around them; errors show and point at the text itself.
std::size_t LeadingBlanks(std::string_view text) noexcept {
    std::size_t n = text.find_first_not_of(" \t\r\n");
    return n == std::string_view::npos ? text.size() : n;
}

std::string_view TrimBlanks(std::string_view text) noexcept {
    text.remove_prefix(LeadingBlanks(text));
    std::size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

// A decimal number of at most three digits, no sign, not above `max`.
std::optional<int> ParseHeaderField(std::string_view text, int max) noexcept {
    if (text.empty() || text.size() > 3) return std::nullopt;
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > max) {
        return std::nullopt;
    }
    return value;
}

class DictionaryParser {
  public:
    DictionaryParser(std::string_view xml, std::string_view origin, const DictionaryLimits& limits)
        : xml_(xml), origin_(origin), limits_(limits) {}

    MessageTable Parse() {
        if (xml_.size() > limits_.max_file_size) {
            throw DictionaryError(origin_ + ": larger than the limit of " +
                                  std::to_string(limits_.max_file_size) + " bytes");
        }
        // The parser keeps texts NUL-terminated, so a NUL byte would cut a value short unseen.
        if (auto nul = xml_.find('\0'); nul != std::string_view::npos) {
            FailAt(static_cast<std::ptrdiff_t>(nul), "NUL byte in the dictionary");
        }
        pugi::xml_document document;
        // As a fragment, text and further elements beside the root stay visible to the checks.
        pugi::xml_parse_result result =
            document.load_buffer(xml_.data(), xml_.size(),
                                 pugi::parse_default | pugi::parse_fragment, pugi::encoding_utf8);
        if (!result) {
            FailAt(result.offset, std::string("XML syntax error: ") + result.description());
        }
        return ParseRoot(RootElement(document));
    }

  private:
    pugi::xml_node RootElement(const pugi::xml_document& document) const {
        pugi::xml_node root;
        for (pugi::xml_node node : document.children()) {
            if (IsText(node)) Fail(node, "text outside the <dictionary> element");
            if (node.type() != pugi::node_element) continue;
            if (root) Fail(node, "a second root element; the dictionary is one <dictionary>");
            root = node;
        }
        if (!root) FailAt(0, "no <dictionary> element");
        if (std::strcmp(root.name(), "dictionary") != 0) {
            Fail(root, "the root element must be <dictionary>");
        }
        CheckAttributes(root, {});
        return root;
    }

    MessageTable ParseRoot(const pugi::xml_node& root) {
        MessageTable table;
        std::map<std::pair<int, int>, std::ptrdiff_t> defined_at;
        for (pugi::xml_node node : root.children()) {
            if (IsText(node)) Fail(node, "text outside a <message> element");
            if (node.type() != pugi::node_element) continue;
            if (std::strcmp(node.name(), "message") != 0) {
                Fail(node, "unknown element; a dictionary holds <message> elements");
            }
            MessageTemplate entry = ParseMessage(node);
            std::pair<int, int> key{entry.stream, entry.function};
            if (auto it = defined_at.find(key); it != defined_at.end()) {
                Fail(node, "duplicate message " + entry.name + ", first defined at line " +
                               std::to_string(LineOf(it->second)));
            }
            defined_at.emplace(key, node.offset_debug());
            table.emplace(key, std::move(entry));
        }
        return table;
    }

    MessageTemplate ParseMessage(const pugi::xml_node& node) {
        message_.clear();
        CheckAttributes(node, {"name", "stream", "function", "wbit", "title"});
        pugi::xml_attribute name = node.attribute("name");
        if (!name) Fail(node, "the name attribute is missing");
        int stream = HeaderField(node, "stream", 127);
        int function = HeaderField(node, "function", 255);
        std::string expected = MessageName(stream, function);
        if (expected != name.value()) {
            Fail(node, "the name must be " + expected + " for stream " + std::to_string(stream) +
                           " and function " + std::to_string(function));
        }
        bool wbit = Wbit(node);
        if (wbit && function % 2 == 0) {
            Fail(node, "a reply (even function) cannot expect a reply");
        }
        message_ = expected;

        MessageTemplate entry;
        entry.name = expected;
        entry.stream = stream;
        entry.function = function;
        entry.reply_expected = wbit;
        entry.title = node.attribute("title").value();
        entry.message = SecsMessage(stream, function, wbit);
        ParseBody(node, entry.message);
        message_.clear();
        return entry;
    }

    int HeaderField(const pugi::xml_node& node, const char* attribute, int max) const {
        pugi::xml_attribute value = node.attribute(attribute);
        if (!value) Fail(node, std::string("the ") + attribute + " attribute is missing");
        auto number = ParseHeaderField(value.value(), max);
        if (!number) {
            Fail(node, std::string(attribute) + " " + QuoteForError(value.value()) +
                           " is not a number from 0 to " + std::to_string(max));
        }
        return *number;
    }

    bool Wbit(const pugi::xml_node& node) const {
        pugi::xml_attribute value = node.attribute("wbit");
        if (!value || std::strcmp(value.value(), "false") == 0) return false;
        if (std::strcmp(value.value(), "true") == 0) return true;
        Fail(node, "wbit " + QuoteForError(value.value()) + " is not true or false");
    }

    void ParseBody(const pugi::xml_node& node, SecsMessage& message) {
        for (pugi::xml_node child : node.children()) {
            if (IsText(child)) Fail(child, "text in a message; its body is one item element");
            if (child.type() != pugi::node_element) continue;
            if (message.BodyCount() > 0) {
                Fail(child, "a second top-level item; a message body holds at most one item");
            }
            message.RootItem().AddItem(ParseItem(child, 0));
        }
    }

    // `depth` counts the lists around the item, as the binary decoder does.
    SecsItem ParseItem(const pugi::xml_node& node, std::size_t depth) {
        if (depth > limits_.max_depth) {
            Fail(node, "lists nested deeper than " + std::to_string(limits_.max_depth));
        }
        auto format = ItemFormat(node.name());
        if (!format) {
            Fail(node,
                 "unknown item element; items are L, B, BOOLEAN, A, J, I1, I2, I4, I8, U1, U2, "
                 "U4, U8, F4 or F8");
        }
        CheckAttributes(node, {"name"});
        if (++items_ > limits_.max_items) {
            Fail(node, "more than " + std::to_string(limits_.max_items) + " items");
        }
        SecsItem item(*format);
        if (item.IsList()) {
            for (pugi::xml_node child : node.children()) {
                if (IsText(child)) Fail(child, "text in a list; a list holds item elements");
                if (child.type() == pugi::node_element) item.AddItem(ParseItem(child, depth + 1));
            }
        } else {
            FillValues(node, item);
        }
        return item;
    }

    void FillValues(const pugi::xml_node& node, SecsItem& item) const {
        std::string text;
        for (pugi::xml_node child : node.children()) {
            if (child.type() == pugi::node_element) {
                Fail(child, "a " + std::string(FormatName(item.Format())) +
                                " item holds values, not elements");
            }
            if (IsText(child)) text += child.value();
        }
        try {
            FillItemFromText(item, text);
        } catch (const ItemTextError& e) {
            Fail(node, e.what());
        }
    }

    void CheckAttributes(const pugi::xml_node& node,
                         std::initializer_list<std::string_view> allowed) const {
        std::set<std::string_view> seen;
        for (pugi::xml_attribute attribute : node.attributes()) {
            std::string_view name = attribute.name();
            if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
                Fail(node, "unknown attribute " + QuoteForError(name));
            }
            if (!seen.insert(name).second) {
                Fail(node, "attribute " + QuoteForError(name) + " given twice");
            }
        }
    }

    std::string Describe(const pugi::xml_node& node) const {
        std::string text;
        if (IsText(node)) {
            text = "text " + QuoteForError(TrimBlanks(node.value()));
        } else {
            text = "<" + ClipName(node.name());
            if (pugi::xml_attribute name = node.attribute("name")) {
                text += " name=" + QuoteForError(name.value());
            }
            text += ">";
        }
        if (!message_.empty()) text += " in message " + message_;
        return text;
    }

    static std::string ClipName(std::string_view name) {
        std::string quoted = QuoteForError(name);
        return quoted.substr(1, quoted.size() - 2);
    }

    std::string_view Before(std::ptrdiff_t offset) const {
        return xml_.substr(0, std::min(static_cast<std::size_t>(offset), xml_.size()));
    }

    std::size_t LineOf(std::ptrdiff_t offset) const {
        std::string_view before = Before(offset);
        return 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    }

    // "origin:line:column", or the origin alone when the parser gave no position.
    std::string Where(std::ptrdiff_t offset) const {
        if (offset < 0) return origin_;
        std::string_view before = Before(offset);
        std::size_t newline = before.rfind('\n');
        std::size_t column =
            newline == std::string_view::npos ? before.size() + 1 : before.size() - newline;
        return origin_ + ":" + std::to_string(LineOf(offset)) + ":" + std::to_string(column);
    }

    [[noreturn]] void FailAt(std::ptrdiff_t offset, const std::string& what) const {
        throw DictionaryError(Where(offset) + ": " + what);
    }

    [[noreturn]] void Fail(const pugi::xml_node& node, const std::string& what) const {
        // Elements report the position of their name; step back to the '<' for the column.
        std::ptrdiff_t offset = node.offset_debug();
        if (offset > 0 && node.type() == pugi::node_element) --offset;
        if (offset >= 0 && node.type() == pugi::node_pcdata) {
            offset += static_cast<std::ptrdiff_t>(LeadingBlanks(node.value()));
        }
        throw DictionaryError(Where(offset) + ": " + Describe(node) + ": " + what);
    }

    std::string_view xml_;
    std::string origin_;
    DictionaryLimits limits_;
    std::string message_;  // the message being parsed, named in the errors of its items
    std::size_t items_ = 0;
};

}  // namespace

MessageTable ParseDictionaryXml(std::string_view xml, std::string_view origin,
                                const DictionaryLimits& limits) {
    return DictionaryParser(xml, origin, limits).Parse();
}

}  // namespace kest::detail
