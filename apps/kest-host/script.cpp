#include "script.h"

#include <cctype>
#include <stdexcept>

#include "base/text.h"
#include "secs/sml.h"
#include "secs/sml_pattern.h"

namespace kest::host {

namespace {

// How many '<' are still open in `line`, quoted text aside.
int OpenBrackets(std::string_view line, int open) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '\\') ++i;
            if (c == '"') quoted = false;
            continue;
        }
        if (c == '#' && open == 0) break;
        if (c == '"') quoted = true;
        if (c == '<') ++open;
        if (c == '>') --open;
    }
    return open;
}

std::string StripComment(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (quoted && line[i] == '\\') {
            ++i;
            continue;
        }
        if (line[i] == '"') quoted = !quoted;
        if (!quoted && line[i] == '#') return std::string(line.substr(0, i));
    }
    return std::string(line);
}

std::pair<std::string, std::string> SplitVerb(const std::string& command) {
    std::string_view text = TrimWhitespace(command);
    std::size_t space = text.find_first_of(" \t");
    if (space == std::string_view::npos) return {std::string(text), ""};
    return {std::string(text.substr(0, space)),
            std::string(TrimWhitespace(text.substr(space + 1)))};
}

const std::vector<std::string> kVerbs{"open",  "close",  "establish", "send",  "expect", "starts",
                                      "await", "absent", "reply",     "pause", "echo"};

}  // namespace

std::vector<std::string> ScriptRunner::Commands(std::string_view text, const std::string& origin) {
    std::vector<std::string> commands;
    std::string current;
    int open = 0;
    int line_number = 0;
    int start_line = 0;
    for (std::string_view line : Split(text, '\n')) {
        ++line_number;
        std::string clean = open == 0 ? StripComment(line) : std::string(line);
        if (open == 0 && TrimWhitespace(clean).empty()) continue;
        if (open == 0) {
            start_line = line_number;
            auto verb = SplitVerb(clean).first;
            if (std::find(kVerbs.begin(), kVerbs.end(), verb) == kVerbs.end()) {
                throw std::runtime_error(origin + ":" + std::to_string(line_number) +
                                         ": unknown command '" + verb + "'");
            }
        }
        current += (current.empty() ? "" : "\n") + clean;
        open = OpenBrackets(clean, open);
        if (open <= 0) {
            commands.push_back(current);
            current.clear();
            open = 0;
        }
    }
    if (!current.empty()) {
        throw std::runtime_error(origin + ":" + std::to_string(start_line) +
                                 ": message not closed by '>'");
    }
    return commands;
}

bool ScriptRunner::Run(const std::string& command) {
    auto [verb, rest] = SplitVerb(command);
    bool ok = false;
    try {
        ok = Execute(verb, rest);
    } catch (const SmlError& e) {
        session_.Out() << "! " << verb << ": " << e.what() << std::endl;
    } catch (const std::exception& e) {
        session_.Out() << "! " << verb << ": " << e.what() << std::endl;
    }
    if (!ok) ++failures_;
    return ok;
}

// "starts S2F18 <A "3001">": the last reply is that message and its text begins so (a time
// read back, whose seconds go on).
bool ScriptRunner::ExpectStart(const std::string& rest) {
    const SecsMessage pattern = ParseSmlMessage(rest);
    std::string why = "no reply to compare";
    if (last_reply_ && pattern.BodyCount() == 1 && last_reply_->BodyCount() == 1) {
        const SecsItem& text = last_reply_->Item(1);
        const SecsItem& start = pattern.Item(1);
        if (last_reply_->Name() == pattern.Name() && text.Format() == start.Format() &&
            !text.IsList() && text.ToText().starts_with(start.ToText())) {
            return true;
        }
        why = "got " + last_reply_->Name() + " " + ToSmlLine(text);
    }
    session_.Out() << "! starts " << pattern.Name() << ": " << why << std::endl;
    return false;
}

bool ScriptRunner::Execute(const std::string& verb, const std::string& rest) {
    if (verb == "open") return session_.Open();
    if (verb == "close") {
        session_.Close();
        return true;
    }
    if (verb == "establish") return session_.Establish();
    if (verb == "send") {
        last_reply_ = session_.Send(ParseSmlMessage(rest));
        return last_reply_.has_value();
    }
    if (verb == "expect") {
        SecsMessage pattern = ParseSmlMessage(rest);
        std::string why = "no reply to compare";
        if (last_reply_ && MatchMessage(*last_reply_, pattern, &why)) return true;
        session_.Out() << "! expect " << pattern.Name() << ": " << why << std::endl;
        return false;
    }
    if (verb == "starts") return ExpectStart(rest);
    if (verb == "await") {
        auto within = session_.Options().timeout;
        std::string text = rest;
        if (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0]))) {
            std::size_t end = text.find("ms");
            if (end == std::string::npos) throw std::runtime_error("await: write the time as Nms");
            within = std::chrono::milliseconds(std::stoll(text.substr(0, end)));
            text = std::string(TrimWhitespace(std::string_view(text).substr(end + 2)));
        }
        return session_.Await(ParseSmlMessage(text), within).has_value();
    }
    if (verb == "reply") {
        auto [name, message] = SplitVerb(rest);
        SecsMessage primary = ParseSmlMessage(name);
        session_.SetAnswer(primary.Stream(), primary.Function(), ParseSmlMessage(message));
        return true;
    }
    if (verb == "pause") {
        session_.Pause(std::chrono::milliseconds(std::stoll(rest)));
        return true;
    }
    if (verb == "absent") return session_.Absent(ParseSmlMessage(rest));
    if (verb == "echo") {
        session_.Out() << rest << std::endl;
        return true;
    }
    throw std::runtime_error("unknown command '" + verb + "'");
}

}  // namespace kest::host
