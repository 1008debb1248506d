#include "settings/secs_initialize.h"

#include <filesystem>

#include "core/gem_context.h"
#include "gemdb/gemdb.h"

namespace kest {

namespace {

std::string Default(GemContext& control, const char* row) {
    return control.Db().SettingGetField(row, FLDID_SETTING::SET_DEFAULTVAL).ToText();
}

// A saved file setting as the driver takes it: a relative path belongs to the application
// directory (not to wherever the process was started), and "NULL" is no file at all.
std::string DefaultPath(GemContext& control, const char* row) {
    std::string text = Default(control, row);
    if (text.empty() || text == "NULL") return "";
    std::filesystem::path path(text);
    return path.is_relative() ? (control.AppDirectory() / path).string() : text;
}

}  // namespace

void SECSInitialize::SetParent(std::weak_ptr<GemContext> parent) {
    parent_ = std::move(parent);
    auto control = parent_.lock();
    if (!control) return;
    RunTrapped(control.get(), "SECSInitialize:Set Parent", [&] {
        SecsDriver& driver = control->VortelToolOCX();
        driver.SetDictionaryFile(DefaultPath(*control, "SECSDictionaryFile"));
        driver.SetSECSIILogFile(DefaultPath(*control, "SECSLogFile"));
        driver.SetSECSILogPath(DefaultPath(*control, "SECSILogPath"));
        control->Db().AlarmEnableSet(false);
        SetAlarmEnableAll(Default(*control, "AlarmEnableAll") == "TRUE");
        SetEventEnableAll(Default(*control, "EventEnableAll") == "TRUE");
    });
}

bool SECSInitialize::AlarmEnableAll() const {
    auto control = parent_.lock();
    return control && RunTrapped(control.get(), "SECSInitialize:Get AlarmEnableAll",
                                 [&] { return control->Setting("AlarmEnableAll") == "TRUE"; });
}

void SECSInitialize::SetAlarmEnableAll(bool value) {
    if (auto control = parent_.lock()) {
        RunTrapped(control.get(), "SECSInitialize:Let AlarmEnableAll",
                   [&] { control->SetSetting("AlarmEnableAll", value ? "TRUE" : "FALSE"); });
    }
}

bool SECSInitialize::EventEnableAll() const {
    auto control = parent_.lock();
    return control && RunTrapped(control.get(), "SECSInitialize:Get EventEnableAll",
                                 [&] { return control->Setting("EventEnableAll") == "TRUE"; });
}

void SECSInitialize::SetEventEnableAll(bool value) {
    if (auto control = parent_.lock()) {
        RunTrapped(control.get(), "SECSInitialize:Let EventEnableAll",
                   [&] { control->SetSetting("EventEnableAll", value ? "TRUE" : "FALSE"); });
    }
}

std::string SECSInitialize::SECSDictionaryFile() const {
    auto control = parent_.lock();
    return control ? control->VortelToolOCX().DictionaryFile() : std::string();
}

void SECSInitialize::SetSECSDictionaryFile(const std::string& value) {
    if (auto control = parent_.lock()) control->VortelToolOCX().SetDictionaryFile(value);
}

std::string SECSInitialize::SECSIILogFile() const {
    auto control = parent_.lock();
    return control ? control->VortelToolOCX().SECSIILogFile() : std::string();
}

void SECSInitialize::SetSECSIILogFile(const std::string& value) {
    if (auto control = parent_.lock()) control->VortelToolOCX().SetSECSIILogFile(value);
}

std::string SECSInitialize::SECSILogPath() const {
    auto control = parent_.lock();
    return control ? control->VortelToolOCX().SECSILogPath() : std::string();
}

void SECSInitialize::SetSECSILogPath(const std::string& value) {
    if (auto control = parent_.lock()) control->VortelToolOCX().SetSECSILogPath(value);
}

bool SECSInitialize::SaveSetting() {
    auto control = parent_.lock();
    if (!control) return false;
    return RunTrapped(control.get(), "SECSInitialize:SaveSetting", [&] {
        control->SetSetting("SECSDictionaryFile", SECSDictionaryFile());
        control->SetSetting("SECSLogFile", SECSIILogFile());
        control->SetSetting("SECSILogPath", SECSILogPath());
        return true;
    });
}

Variant SECSInitialize::LoadXMLDictionary() {
    auto control = parent_.lock();
    if (!control) return {};
    return RunTrapped(control.get(), "SECSInitialize:LoadXMLDictionary", [&] {
        control->VortelToolOCX().LoadDictionary();
        return Variant(true);
    });
}

}  // namespace kest
