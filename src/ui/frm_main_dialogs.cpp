// The operator window's dialogs: login and password, equipment options, the database, and the
// log menu.
#include <system_error>

#include "base/clock.h"
#include "core/gem_context.h"
#include "gemdb/gemdb.h"
#include "notify/message_box.h"
#include "ui/entry_checks.h"
#include "ui/frm_main.h"

namespace kest {

bool frmMain::Login(const std::string& password) {
    bool done = false;
    Trapped("frmLogin:cmdOK_Click", [&](GemContext& control) {
        fields_.Focus.clear();
        fields_.Notice.clear();
        if (Refused(control, CheckLogin(password, control.Setting("AdministratorPassword")))) {
            return;
        }
        admin_mode_ = done = true;
    });
    RefreshAdminMode();
    return done;
}

void frmMain::Logout() {
    admin_mode_ = false;
    RefreshAdminMode();
}

bool frmMain::ChangePassword(const std::string& password) {
    return Changing("frmPassword:cmdOK_Click", [&](GemContext& control) {
        if (Refused(control, CheckNewPassword(password))) return false;
        control.SetSetting("AdministratorPassword", Variant(password));
        const bool changed = control.Setting("AdministratorPassword") == password;
        Box(control,
            changed ? "Change Administrator Password success!"
                    : "Change Administrator Password fail!",
            changed ? BoxKind::Information : BoxKind::Warning);
        return changed;
    });
}

bool frmMain::SaveOptions(const std::string& name, const std::string& model,
                          const std::string& revision, const std::string& time_format) {
    return Changing("frmOption:cmdOK_Click", [&](GemContext& control) {
        if (Refused(control, CheckOptions(name, model, revision, time_format))) return false;
        GEMDB::WriteGroup group(control.Db());
        bool wrote = control.SetGemVar("EquipmentName", Variant(name));
        wrote = control.SetGemVar("EquipmentModel", Variant(model)) && wrote;
        wrote = control.SetGemVar("SoftwareRevision", Variant(revision)) && wrote;
        wrote =
            control.SetGemVar("TimeFormat", Variant(time_format == "16 Bytes" ? 1 : 0)) && wrote;
        return wrote;
    });
}

bool frmMain::ChangeDatabase(const std::string& file) {
    bool changed = Changing("frmDatabase:cmdLoad_Click", [&](GemContext& control) {
        if (control.Setting("PortOpened") == "TRUE") {
            Box(control, "GEM Database cannot be change during port is connected!",
                BoxKind::Warning);
            return false;
        }
        if (Refused(control, CheckDatabaseName(file))) return false;
        const std::string before = control.Db().DBFile();
        control.Db().SetDBFile(file);
        if (control.Db().DBFile() == before && before != file) return false;  // reported
        control.SetSetting("GEMDatabase", Variant(control.Db().DBFile()));
        control.SaveProtocolSetting();
        return true;
    });
    if (changed) {
        RefreshAdminMode();
        Trapped("frmDatabase:cmdLoad_Click",
                [&](GemContext& control) { RefreshEveryArea(control); });
    }
    return changed;
}

std::optional<std::filesystem::path> frmMain::LogFile(WindowLog log) {
    std::optional<std::filesystem::path> found;
    Trapped(log == WindowLog::Service ? "mnuServiceLog_Click" : "mnuSECSIILog_Click",
            [&](GemContext& control) {
                const std::string name =
                    std::string(log == WindowLog::Service ? "KestTool_" : "SECSII_") +
                    FormatLocal(control.GetClock()->Now(), "yyyy-mm-dd");
                const auto path = control.AppDirectory() / "Log" / (name + ".log");
                std::error_code error;
                if (std::filesystem::is_regular_file(path, error)) {
                    found = path;
                } else {
                    Box(control, name + ".log not exist!", BoxKind::Warning);
                }
            });
    return found;
}

}  // namespace kest
