// The operator window's buttons that talk to the host: the terminal message and its window.
#include "core/gem_context.h"
#include "notify/message_box.h"
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

}  // namespace kest
