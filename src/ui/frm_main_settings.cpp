// The settings tabs of the operator window: what they show, and the writes they make after
// their checks.
#include <array>
#include <initializer_list>
#include <utility>

#include "base/variant.h"
#include "core/gem_context.h"
#include "driver/secs_driver.h"
#include "gemdb/gemdb.h"
#include "notify/message_box.h"
#include "ui/entry_checks.h"
#include "ui/frm_main.h"

namespace kest {

namespace {

struct OptionRow {
    WindowOption option;
    const char* variable;
    const char* on;
    const char* off;
    bool SettingsFields::*shown;
};

// Each option writes one GEM variable, its first choice `on`, its second `off`.
constexpr std::array<OptionRow, 10> kOptions{{
    {WindowOption::InitCommState, "InitCommState", "1", "0", &SettingsFields::InitCommEnabled},
    {WindowOption::InitControlState, "InitControlState", "2", "1",
     &SettingsFields::InitControlOnline},
    {WindowOption::OnlineFailed, "OnlineFailed", "3", "1", &SettingsFields::OnlineFailedHost},
    {WindowOption::OnlineSubstate, "OnlineSubstate", "5", "4",
     &SettingsFields::OnlineSubstateRemote},
    {WindowOption::OfflineSubstate, "OfflineSubstate", "3", "1",
     &SettingsFields::OfflineSubstateHost},
    {WindowOption::WBits5, "WBITS5", "1", "0", &SettingsFields::WBits5},
    {WindowOption::WBits6, "WBITS6", "1", "0", &SettingsFields::WBits6},
    {WindowOption::WBits10, "WBITS10", "1", "0", &SettingsFields::WBits10},
    {WindowOption::ConfigSpool, "ConfigSpool", "1", "0", &SettingsFields::ConfigSpool},
    {WindowOption::OverWriteSpool, "OverWriteSpool", "TRUE", "FALSE",
     &SettingsFields::OverWriteSpool},
}};

const OptionRow& Row(WindowOption option) {
    for (const OptionRow& row : kOptions) {
        if (row.option == option) return row;
    }
    return kOptions.front();  // every enumerator has a row
}

// The spool count's bound: the variable's own maximum, the spool's capacity.
std::int64_t SpoolBound(GemContext& control) {
    const Variant max =
        control.Db().VariableGetField("MaxSpoolTransmit", FLDID_VARIABLE::VAR_MAX, true);
    return EnteredNumber(max.ToText()).value_or(0);
}

// Writes GEM variables together. A refused write has been reported by the database; the
// caller then shows no "Updated" box.
bool WriteAll(GemContext& control, std::initializer_list<std::pair<const char*, Variant>> values) {
    GEMDB::WriteGroup group(control.Db());
    bool wrote = true;
    for (const auto& [name, value] : values)
        wrote = control.SetGemVar(name, value) && wrote;
    return wrote;
}

}  // namespace

void frmMain::RefreshAllSetting() {
    Trapped("RefreshAllSetting", [&](GemContext& control) {
        SettingsFields& shown = fields_.Settings;
        for (const OptionRow& row : kOptions)
            shown.*row.shown = control.GemVar(row.variable) == row.on;
        shown.EstablishCommunicationTimeout = control.GemVar("EstablishCommunicationTimeout");
        shown.HeartBeat = control.GemVar("HeartBeat");
        shown.MaxSpoolTransmit = control.GemVar("MaxSpoolTransmit");
        shown.PPDirectory = control.GemVar("PPDirectory");
        shown.PPFileExt = control.GemVar("PPFileExt");
        shown.GEMDatabase = control.Db().DBFile();
        fields_.EquipmentName = control.GemVar("EquipmentName");
        fields_.EquipmentModel = control.GemVar("EquipmentModel");
        fields_.SoftwareRevision = control.GemVar("SoftwareRevision");
    });
}

void frmMain::RefreshAdminMode() {
    fields_.Settings.LoginMenu = admin_mode_ ? "&Logout" : "&Login";
    fields_.Settings.SettingsEnabled = admin_mode_;
}

bool frmMain::Refused(GemContext& control, const std::optional<EntryWarning>& warning) {
    if (!warning) return false;
    fields_.Focus = warning->field;
    Box(control, warning->text, BoxKind::Warning);
    return true;
}

void frmMain::Box(GemContext& control, std::string text, BoxKind kind) {
    fields_.Notice = text;
    control.Boxes().MessageBox(text, kind);
}

bool frmMain::Changing(const char* procedure, const std::function<bool(GemContext&)>& body) {
    if (!admin_mode_) return false;  // the tabs are disabled outside administrator mode
    bool wrote = false;
    Trapped(procedure, [&](GemContext& control) {
        fields_.Focus.clear();
        fields_.Notice.clear();
        wrote = body(control);
    });
    RefreshAllSetting();
    return wrote;
}

bool frmMain::SaveCommunicationSetting(const std::string& timeout, const std::string& heartbeat,
                                       bool init_comm_enabled) {
    return Changing("cmdCommunicationSave_Click", [&](GemContext& control) {
        if (Refused(control, CheckCommunicationTab(timeout, heartbeat))) return false;
        const bool wrote =
            WriteAll(control, {{"InitCommState", Variant(init_comm_enabled ? 1 : 0)},
                               {"EstablishCommunicationTimeout", Variant(*EnteredNumber(timeout))},
                               {"HeartBeat", Variant(*EnteredNumber(heartbeat))}});
        control.SetHeartBeat();
        if (!wrote) return false;
        Box(control, "Communication Setting Updated.", BoxKind::Information);
        return true;
    });
}

bool frmMain::SetOption(WindowOption option, bool on) {
    return Changing("optSetting_Click", [&](GemContext& control) {
        const OptionRow& row = Row(option);
        return WriteAll(control, {{row.variable, Variant(std::string(on ? row.on : row.off))}});
    });
}

bool frmMain::SaveSpoolSetting(const std::string& count) {
    return Changing("cmdSpoolSave_Click", [&](GemContext& control) {
        if (Refused(control, CheckSpoolCount(count, SpoolBound(control)))) return false;
        if (!WriteAll(control, {{"MaxSpoolTransmit", Variant(*EnteredNumber(count))}})) {
            return false;
        }
        Box(control, "Spooling Setting Updated.", BoxKind::Information);
        return true;
    });
}

bool frmMain::SaveRecipeSetting(const std::string& directory, const std::string& extension) {
    return Changing("cmdRecipeSave_Click", [&](GemContext& control) {
        if (Refused(control, CheckRecipeTab(directory, extension))) return false;
        const bool wrote = WriteAll(
            control, {{"PPDirectory", Variant(directory)}, {"PPFileExt", Variant(extension)}});
        control.VortelToolOCX().SetPPDirectory(control.GemVar("PPDirectory"));
        if (!wrote) return false;
        Box(control, "Recipe Setting Updated.", BoxKind::Information);
        return true;
    });
}

}  // namespace kest
