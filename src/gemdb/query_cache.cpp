#include "gemdb/query_cache.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>

#include "base/text.h"

namespace kest {

namespace {

// Functions whose result depends only on their arguments; a read that calls any other
// (random, date('now'), changes ...) is run every time.
bool Repeatable(std::string_view function) {
    static constexpr std::array<std::string_view, 19> kRepeatable = {
        "count", "sum",    "total", "min",      "max",         "avg",    "lower",
        "upper", "length", "abs",   "coalesce", "ifnull",      "nullif", "substr",
        "trim",  "typeof", "instr", "replace",  "group_concat"};
    return std::any_of(kRepeatable.begin(), kRepeatable.end(),
                       [&](std::string_view name) { return EqualsNoCase(name, function); });
}

void AddTable(std::vector<std::string>& tables, const char* name) {
    std::string lower = name != nullptr ? name : "";
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (std::find(tables.begin(), tables.end(), lower) == tables.end()) {
        tables.push_back(std::move(lower));
    }
}

}  // namespace

void StatementEffects::Record(int action, const char* first, const char* second,
                              const char* trigger) {
    if (trigger != nullptr) triggers = true;
    switch (action) {
        case SQLITE_READ:
            AddTable(reads, first);
            return;
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
            // Triggers' writes are reported too (they are compiled in); foreign-key actions
            // would not be, but our connections never turn foreign keys on.
            AddTable(writes, first);
            return;
        case SQLITE_FUNCTION:
            if (second == nullptr || !Repeatable(second)) not_repeatable = true;
            return;
        case SQLITE_SELECT:
        case SQLITE_RECURSIVE:
        case SQLITE_TRANSACTION:  // nothing is kept inside a transaction, see StoreResult
            return;
        default:
            unknown = true;
    }
}

}  // namespace kest
