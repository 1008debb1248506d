// The control's members that start, show and feed the operator window, and the equipment's own
// state updates that the window displays.
#include "control/control_core.h"
#include "ui/frm_main.h"

namespace kest {

bool ControlCore::StartGEMTool() {
    return RunTrapped(this, "KestServer:StartGEMTool", [&] {
        if (window_) {
            auto old = std::move(window_);  // unloading may forget the window itself
            old->SetAdminMode(true);
            old->Unload();
        }
        window_ = std::make_shared<frmMain>();
        window_->SetParent(WeakSelf());
        window_->SetOnUnload([this](const frmMain& unloaded) {
            if (window_.get() == &unloaded) window_.reset();
        });
        window_->Load();
        return true;
    });
}

bool ControlCore::StopGEMTool() {
    return RunTrapped(this, "KestServer:StopGEMTool", [&] {
        if (window_) {
            window_->SetAdminMode(true);
            auto window = std::move(window_);
            window->Unload();
        }
        return true;
    });
}

bool ControlCore::RequireWindow(const char* procedure) {
    if (window_) return true;
    TriggerError(std::string("KestServer:") + procedure, 4005, "KestTool is not started.",
                 __LINE__);
    return false;
}

bool ControlCore::ShowGEMTool(bool modal) {
    return RunTrapped(this, "KestServer:ShowGEMTool", [&] {
        if (!RequireWindow("ShowGEMTool")) return false;
        window_->Show(modal);
        window_->SetAdminMode(false);
        RefreshGEMTool();
        return true;
    });
}

bool ControlCore::HideGEMTool() {
    return RunTrapped(this, "KestServer:HideGEMTool", [&] {
        if (!RequireWindow("HideGEMTool")) return false;
        window_->Hide();
        return true;
    });
}

bool ControlCore::RefreshGEMTool() {
    return RunTrapped(this, "KestServer:RefreshGEMTool", [&] {
        if (!RequireWindow("RefreshGEMTool")) return false;
        if (!window_->Visible()) return true;
        window_->RefreshAdminMode();
        window_->RefreshAllSetting();
        window_->RefreshAllStatus();
        window_->RefreshSpoolStatus();
        window_->LoadEnabledEvent();
        window_->LoadEnabledAlarm();
        window_->LoadSetAlarm();
        window_->LoadTraceList();
        window_->LoadLimitList();
        return true;
    });
}

bool ControlCore::UpdateProcessState(const std::string& new_state) {
    const char* source = "KestServer:UpdateProcessState";
    return RunTrapped(this, source, [&] {
        if (new_state.empty()) {
            TriggerError(source, 4006, "Invalid NewState value of Process State.", __LINE__);
            return false;
        }
        std::string previous = GemVar("ProcessState");
        SetGemVar("PreviousProcessState", previous);
        SetGemVar("ProcessState", new_state);
        ReportEvent("GemProcessStateChange");
        state_.Changed(StateAspect::Equipment);
        return true;
    });
}

bool ControlCore::UpdatePPEXECName(const std::string& ppid) {
    const char* source = "KestServer:UpdatePPEXECName";
    return RunTrapped(this, source, [&] {
        if (ppid.empty()) {
            TriggerError(source, 4007, "Invalid PPID value of PPEXEC name.", __LINE__);
            return false;
        }
        SetGemVar("PPExecName", ppid);
        state_.Changed(StateAspect::Equipment);
        return true;
    });
}

bool ControlCore::UpdatePPChange(const std::string& ppid, std::int32_t change_status) {
    const char* source = "KestServer:UpdatePPChange";
    return RunTrapped(this, source, [&] {
        if (ppid.empty()) {
            TriggerError(source, 4007, "Invalid PPID value.", __LINE__);
            return false;
        }
        SetGemVar("PPChangeName", ppid);
        SetGemVar("PPChangeStatus", change_status);
        ReportEvent("GemPPChangeEvent");
        state_.Changed(StateAspect::Equipment);
        return true;
    });
}

bool ControlCore::Send_Msg(const std::string& text) {
    RunTrapped(this, "KestServer:Send_Msg", [&] {
        if (RequireWindow("Send_Msg")) window_->Send_Msg_To_Host(text);
    });
    return false;  // the window's procedure gives no result
}

bool ControlCore::Send_S14F1(const std::string& file_name, const std::string& path) {
    return RunTrapped(this, "KestServer:Send_S14F1", [&] {
        return RequireWindow("Send_S14F1") && window_->Request_Download_Map(file_name, path);
    });
}

Variant ControlCore::Send_S6F11_UploadMapData(const std::string& file_name,
                                              const std::string& path) {
    return RunTrapped(this, "KestServer:Send_S6F11_UploadMapData", [&] {
        return RequireWindow("Send_S6F11_UploadMapData") ? window_->UploadMapData(file_name, path)
                                                         : Variant();
    });
}

Variant ControlCore::Send_S7F23(const std::string& file_name, const std::string& path) {
    return RunTrapped(this, "KestServer:Send_S7F23", [&] {
        return RequireWindow("Send_S7F23") ? window_->SendFormattedProgram(file_name, path)
                                           : Variant();
    });
}

Variant ControlCore::Send_S6F11(const std::string& ceid) {
    return RunTrapped(this, "KestServer:Send_S6F11", [&] {
        return RequireWindow("Send_S6F11") ? window_->SendEventToHost(ceid) : Variant();
    });
}

}  // namespace kest
