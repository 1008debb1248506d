#include "ui/console_actions.h"

#include <algorithm>
#include <array>
#include <functional>

#include "ui/frm_main.h"

namespace kest {

namespace {

using nlohmann::json;

constexpr std::size_t kMaxText = 4096;

const std::vector<ConsoleAction>& Actions() {
    static const std::vector<ConsoleAction> actions{
        {"switch", {{"to", FieldType::Text}}},
        {"communication",
         {{"timeout", FieldType::Text},
          {"heartbeat", FieldType::Text},
          {"enabled", FieldType::Flag}}},
        {"option", {{"name", FieldType::Text}, {"on", FieldType::Flag}}},
        {"spool", {{"count", FieldType::Text}}},
        {"recipe", {{"directory", FieldType::Text}, {"extension", FieldType::Text}}},
        {"options",
         {{"name", FieldType::Text},
          {"model", FieldType::Text},
          {"revision", FieldType::Text},
          {"timeFormat", FieldType::Text}}},
        {"password", {{"password", FieldType::Text}}},
        {"terminal", {{"text", FieldType::Text}}},
        {"clear", {}},
    };
    return actions;
}

constexpr std::array<std::pair<const char*, WindowOption>, 10> kOptions{{
    {"InitCommState", WindowOption::InitCommState},
    {"InitControlState", WindowOption::InitControlState},
    {"OnlineFailed", WindowOption::OnlineFailed},
    {"OnlineSubstate", WindowOption::OnlineSubstate},
    {"OfflineSubstate", WindowOption::OfflineSubstate},
    {"WBits5", WindowOption::WBits5},
    {"WBits6", WindowOption::WBits6},
    {"WBits10", WindowOption::WBits10},
    {"ConfigSpool", WindowOption::ConfigSpool},
    {"OverWriteSpool", WindowOption::OverWriteSpool},
}};

const std::array<std::pair<const char*, void (frmMain::*)()>, 6> kSwitches{{
    {"communication-on", &frmMain::EnableCommunication},
    {"communication-off", &frmMain::DisableCommunication},
    {"offline", &frmMain::GoOffline},
    {"online", &frmMain::GoOnline},
    {"local", &frmMain::GoLocal},
    {"remote", &frmMain::GoRemote},
}};

// Runs a window change with the administrator's rights, restoring the window's own mode.
bool AsAdministrator(frmMain& window, const std::function<bool()>& change) {
    const bool before = window.AdminMode();
    window.SetAdminMode(true);
    const bool done = change();
    window.SetAdminMode(before);
    return done;
}

ActionOutcome Switch(frmMain& window, const std::string& to) {
    for (const auto& [name, method] : kSwitches) {
        if (to == name) {
            (window.*method)();
            return {};
        }
    }
    return {ActionOutcome::BadValue, "Unknown switch \"" + to + "\".", {}};
}

ActionOutcome Option(frmMain& window, const std::string& name, bool on) {
    for (const auto& [option_name, option] : kOptions) {
        if (name == option_name) {
            AsAdministrator(window, [&] { return window.SetOption(option, on); });
            return {};
        }
    }
    return {ActionOutcome::BadValue, "Unknown option \"" + name + "\".", {}};
}

bool Change(frmMain& window, const std::string& action, const json& b) {
    auto text = [&](const char* key) { return b.at(key).get<std::string>(); };
    if (action == "communication") {
        return window.SaveCommunicationSetting(text("timeout"), text("heartbeat"),
                                               b.at("enabled").get<bool>());
    }
    if (action == "spool") return window.SaveSpoolSetting(text("count"));
    if (action == "recipe") return window.SaveRecipeSetting(text("directory"), text("extension"));
    if (action == "options") {
        return window.SaveOptions(text("name"), text("model"), text("revision"),
                                  text("timeFormat"));
    }
    if (action == "terminal") return window.SendTerminalButton(text("text"));
    if (action == "clear") return window.ClearTerminalButton();
    return window.ChangePassword(text("password"));
}

}  // namespace

std::optional<json> ParseActionBody(std::string_view body, const std::vector<ActionField>& fields,
                                    std::string& problem) {
    json parsed = json::parse(body, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) {
        problem = "The body is not a JSON object.";
        return std::nullopt;
    }
    for (const auto& [key, value] : parsed.items()) {
        const auto known = std::find_if(fields.begin(), fields.end(),
                                        [&](const ActionField& f) { return key == f.name; });
        if (known == fields.end()) {
            problem = "Unknown field \"" + key + "\".";
            return std::nullopt;
        }
        const bool fits =
            known->type == FieldType::Flag
                ? value.is_boolean()
                : value.is_string() && value.get_ref<const std::string&>().size() <= kMaxText;
        if (!fits) {
            problem = "Field \"" + key + "\" has the wrong type or size.";
            return std::nullopt;
        }
    }
    for (const ActionField& field : fields) {
        if (!parsed.contains(field.name)) {
            problem = "Field \"" + std::string(field.name) + "\" is missing.";
            return std::nullopt;
        }
    }
    return parsed;
}

const ConsoleAction* FindConsoleAction(std::string_view name) {
    for (const ConsoleAction& action : Actions()) {
        if (name == action.name) return &action;
    }
    return nullptr;
}

ActionOutcome RunConsoleAction(const ConsoleAction& action, frmMain& window, const json& body) {
    const std::string name = action.name;
    if (name == "switch") return Switch(window, body.at("to").get<std::string>());
    if (name == "option") {
        return Option(window, body.at("name").get<std::string>(), body.at("on").get<bool>());
    }
    const bool done = AsAdministrator(window, [&] { return Change(window, name, body); });
    const frmMainFields& f = window.Fields();
    if (done) return {ActionOutcome::Done, f.Notice, {}};
    return {ActionOutcome::Refused, f.Notice, f.Focus};
}

}  // namespace kest
