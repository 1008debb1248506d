#include "secs/sml_pattern.h"

#include "secs/sml.h"

namespace kest {

namespace {

bool Fail(std::string* why, const std::string& where, const std::string& text) {
    if (why) *why = (where.empty() ? std::string("body") : "item " + where) + ": " + text;
    return false;
}

bool Match(const SecsItem& actual, const SecsItem& pattern, const std::string& where,
           std::string* why) {
    if (pattern.Format() == enmItemFormat::FormatVar) return true;
    if (actual.Format() != pattern.Format() ||
        (!pattern.IsList() &&
         !(actual.Data().size() == pattern.Data().size() &&
           std::equal(actual.Data().begin(), actual.Data().end(), pattern.Data().begin())))) {
        return Fail(why, where, "expected " + ToSmlLine(pattern) + ", got " + ToSmlLine(actual));
    }
    if (!pattern.IsList()) return true;
    if (actual.Count() != pattern.Count()) {
        return Fail(why, where,
                    "expected a list of " + std::to_string(pattern.Count()) + ", got " +
                        std::to_string(actual.Count()));
    }
    for (std::size_t i = 1; i <= pattern.Count(); ++i) {
        std::string child = where.empty() ? std::to_string(i) : where + "." + std::to_string(i);
        if (!Match(actual.Item(i), pattern.Item(i), child, why)) return false;
    }
    return true;
}

}  // namespace

bool MatchItem(const SecsItem& actual, const SecsItem& pattern, std::string* why) {
    return Match(actual, pattern, "", why);
}

bool MatchMessage(const SecsMessage& actual, const SecsMessage& pattern, std::string* why) {
    if (actual.Stream() != pattern.Stream() || actual.Function() != pattern.Function()) {
        if (why) *why = "expected " + pattern.Name() + ", got " + actual.Name();
        return false;
    }
    if (pattern.BodyCount() == 0) return true;
    if (actual.BodyCount() != pattern.BodyCount()) {
        if (why) *why = "expected a body, got a header-only " + actual.Name();
        return false;
    }
    return MatchItem(actual.Item(1), pattern.Item(1), why);
}

}  // namespace kest
