// Feeds arbitrary request bodies to the web console's action parser and the window's entry
// checks: the first byte picks the action, the rest is the body. Nothing may throw, and a body
// the parser accepts must hold every field of the action in its type.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/console_actions.h"
#include "ui/entry_checks.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

constexpr const char* kActions[] = {"switch", "communication", "option",  "spool",
                                    "recipe", "options",       "password"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto* action = kest::FindConsoleAction(kActions[data[0] % std::size(kActions)]);
    Require(action != nullptr);
    const std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string problem;
    const auto parsed = kest::ParseActionBody(body, action->fields, problem);
    Require(parsed.has_value() == problem.empty());
    if (parsed) {
        for (const kest::ActionField& field : action->fields) {
            const auto& value = parsed->at(field.name);
            Require(field.type == kest::FieldType::Flag ? value.is_boolean() : value.is_string());
        }
    }
    // The same bytes as typed text: the checks never throw and an accepted number is in range.
    if (!kest::CheckCommunicationTab(body, body)) {
        const auto n = kest::EnteredNumber(body);
        Require(n && *n >= 0 && *n <= 60);
    }
    (void)kest::CheckSpoolCount(body, 1000);
    (void)kest::CheckOptions(body, body, body, body);
    (void)kest::CheckNewPassword(body);
    (void)kest::CheckDatabaseName(body);
    return 0;
}
