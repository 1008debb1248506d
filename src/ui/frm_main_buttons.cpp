// The operator window's buttons that talk to the host: the terminal message and its window,
// and the process program upload and download dialogs.
#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "core/gem_context.h"
#include "notify/message_box.h"
#include "services/gem_process_program.h"
#include "ui/entry_checks.h"
#include "ui/frm_main.h"

namespace kest {

bool frmMain::LinkReady(GemContext& control) {
    const char* refusal = nullptr;
    const std::string control_state = control.GemVar("ControlState");
    if (control.Setting("PortOpened") != "TRUE") {
        refusal = "Invalid port connect state to perform this task.";
    } else if (control.GemVar("CommState") != "2") {
        refusal = "Invalid communication state to perform this task.";
    } else if (control_state != "4" && control_state != "5") {
        refusal = "Invalid control state to perform this task.";
    }
    if (refusal != nullptr) Box(control, refusal, BoxKind::Warning);
    return refusal == nullptr;
}

bool frmMain::SendTerminalButton(const std::string& text) {
    return Changing("cmdSendTerminal_Click", [&](GemContext& control) {
        if (!LinkReady(control) || Refused(control, CheckTerminalText(text))) return false;
        Send_Msg_To_Host(text);
        return true;
    });
}

bool frmMain::ClearTerminalButton() {
    return Changing("cmdClear_Click", [&](GemContext& control) {
        control.DisplayMessage("");
        return control.ReportEvent("GemMessageAcknowledge");
    });
}

std::vector<std::string> frmMain::UploadList() {
    std::vector<std::string> programs;
    Trapped("frmUpload:Form_Load", [&](GemContext& control) {
        std::string extension = control.GemVar("PPFileExt");
        if (!extension.empty() && extension.front() != '.') extension.insert(0, ".");
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator(control.GemVar("PPDirectory"), error)) {
            if (entry.is_regular_file(error) && entry.path().extension() == extension) {
                programs.push_back(entry.path().filename().string());
            }
        }
        std::sort(programs.begin(), programs.end());
    });
    return programs;
}

bool frmMain::UploadButton(const std::string& ppid) {
    const std::vector<std::string> listed = UploadList();
    return Changing("frmUpload:cmdOK_Click", [&](GemContext& control) {
        if (!LinkReady(control)) return false;
        if (std::find(listed.begin(), listed.end(), ppid) == listed.end()) {
            fields_.Focus = "lstRecipeID";
            Box(control, "Please select Recipe ID!", BoxKind::Warning);
            return false;
        }
        const std::string directory = control.GemVar("PPDirectory");
        const auto size = std::filesystem::file_size(std::filesystem::path(directory) / ppid);
        auto programs = std::make_shared<GEMProcessProgram>();
        programs->SetParent(control.weak_from_this());
        // A program too large for LENGTH goes as 0, which the service refuses (4016).
        const auto length = size > INT32_MAX ? 0 : static_cast<std::int32_t>(size);
        return programs->RecipeUploadToHost(ppid, length, directory);
    });
}

bool frmMain::DownloadButton(const std::string& ppid) {
    return Changing("frmDownload:cmdOK_Click", [&](GemContext& control) {
        const std::string directory = control.GemVar("PPDirectory");
        if (!LinkReady(control) || Refused(control, CheckRecipeID(ppid, directory))) return false;
        auto programs = std::make_shared<GEMProcessProgram>();
        programs->SetParent(control.weak_from_this());
        return programs->RecipeDownloadFromHost(ppid, directory);
    });
}

}  // namespace kest
