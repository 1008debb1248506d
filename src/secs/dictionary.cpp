#include "secs/dictionary.h"

#include <charconv>
#include <fstream>
#include <optional>
#include <system_error>

#include "secs/default_dictionary.h"
#include "secs/dictionary_values.h"
#include "secs/dictionary_xml.h"

namespace kest {

namespace {

// (stream, function) of a name written exactly as `MessageName` writes it ("S6F11").
std::optional<std::pair<int, int>> ParseMessageName(std::string_view name) {
    if (name.size() < 4 || name.size() > 8 || name[0] != 'S') return std::nullopt;
    std::size_t f = name.find('F');
    if (f == std::string_view::npos) return std::nullopt;
    int stream = -1;
    int function = -1;
    const char* end = name.data() + f;
    if (std::from_chars(name.data() + 1, end, stream).ptr != end) return std::nullopt;
    end = name.data() + name.size();
    if (std::from_chars(name.data() + f + 1, end, function).ptr != end) return std::nullopt;
    if (stream < 0 || stream > 127 || function < 0 || function > 255) return std::nullopt;
    // Leading zeros and signs read as numbers too; only the canonical spelling names a message.
    if (MessageName(stream, function) != name) return std::nullopt;
    return std::pair{stream, function};
}

std::string ReadDictionaryFile(const std::filesystem::path& file, std::size_t max_size) {
    const std::string origin = file.string();
    std::error_code ec;
    auto status = std::filesystem::status(file, ec);
    if (ec || !std::filesystem::exists(status)) {
        throw DictionaryError(
            origin + ": cannot open the dictionary: " + (ec ? ec.message() : "no such file"));
    }
    if (!std::filesystem::is_regular_file(status)) {
        throw DictionaryError(origin + ": cannot open the dictionary: not a regular file");
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) throw DictionaryError(origin + ": cannot open the dictionary");
    // Read in chunks against the limit rather than trusting the size the file system reports.
    std::string content;
    char chunk[64 * 1024];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        content.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (content.size() > max_size) {
            throw DictionaryError(origin + ": larger than the limit of " +
                                  std::to_string(max_size) + " bytes");
        }
    }
    if (in.bad()) throw DictionaryError(origin + ": cannot read the dictionary");
    return content;
}

}  // namespace

MessageDictionary MessageDictionary::FromFile(const std::filesystem::path& file,
                                              const DictionaryLimits& limits) {
    return FromString(ReadDictionaryFile(file, limits.max_file_size), file.string(), limits);
}

MessageDictionary MessageDictionary::FromString(std::string_view xml, std::string_view origin,
                                                const DictionaryLimits& limits) {
    MessageDictionary dictionary;
    dictionary.by_header_ = detail::ParseDictionaryXml(xml, origin, limits);
    return dictionary;
}

const MessageDictionary& MessageDictionary::Default() {
    static const MessageDictionary dictionary = FromString(DefaultDictionaryXml(), "Default.xml");
    return dictionary;
}

const MessageTemplate* MessageDictionary::Find(std::string_view name) const noexcept {
    try {
        auto header = ParseMessageName(name);
        return header ? Find(header->first, header->second) : nullptr;
    } catch (...) {
        return nullptr;  // only the name text can fail to allocate; nothing is found then
    }
}

const MessageTemplate* MessageDictionary::Find(int stream, int function) const noexcept {
    auto it = by_header_.find({stream, function});
    return it == by_header_.end() ? nullptr : &it->second;
}

SecsMessage MessageDictionary::NewPrimary(std::string_view name) const {
    const MessageTemplate* entry = Find(name);
    if (!entry) {
        std::string quoted = detail::QuoteForError(name);
        throw DictionaryError("unknown message " + quoted.substr(1, quoted.size() - 2));
    }
    return entry->message;
}

SecsMessage MessageDictionary::ReplyShell(int stream, int function) const {
    if (stream < 0 || stream > 127 || function < 0 || function > 255) {
        throw DictionaryError("no reply shell for stream " + std::to_string(stream) +
                              ", function " + std::to_string(function) +
                              ": streams are 0 to 127, functions 0 to 255");
    }
    // Function 255 has no successor; the stream's function 0 (abort) is the only answer left.
    int reply_function = function < 255 ? function + 1 : 0;
    if (const MessageTemplate* entry = Find(stream, reply_function)) {
        SecsMessage shell = entry->message;
        shell.SetReplyExpected(false);  // a reply never asks for a reply
        return shell;
    }
    return SecsMessage(stream, reply_function);
}

}  // namespace kest
