#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace kest {

class frmMain;

enum class FieldType { Text, Flag };

/// A field an action's JSON body must carry.
struct ActionField {
    const char* name;
    FieldType type;
};

/// A change the console asks of the operator window.
struct ConsoleAction {
    const char* name;
    std::vector<ActionField> fields;
};

/// What the window made of an action.
struct ActionOutcome {
    enum Status { Done, Refused, BadValue, NoWindow } status = Done;
    std::string notice;  ///< the box text the window showed, or what is wrong with the value
    std::string field;   ///< for Refused: the field the window sent the operator back to
};

/// `body` as a JSON object holding exactly `fields`, each of its type, texts at most 4 KiB.
/// Nothing, with the reason in `problem`, when it is malformed, lacks a field or has another.
std::optional<nlohmann::json> ParseActionBody(std::string_view body,
                                              const std::vector<ActionField>& fields,
                                              std::string& problem);

/// The action named `name` ("switch", "communication", "option", "spool", "recipe",
/// "options", "password", "terminal", "clear"), or null.
const ConsoleAction* FindConsoleAction(std::string_view name);

/// Runs `action` on `window` with the checked `body`, in administrator mode for the call (the
/// console's session stands for the window's login).
ActionOutcome RunConsoleAction(const ConsoleAction& action, frmMain& window,
                               const nlohmann::json& body);

}  // namespace kest
