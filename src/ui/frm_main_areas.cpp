// The areas the control refreshes through `RefreshGEMTool`, and the senders not offered yet
// (the others are in window_senders.cpp).
#include "core/gem_context.h"
#include "services/gem_terminal.h"
#include "ui/formatted_program.h"
#include "ui/frm_main.h"
#include "ui/status_areas.h"

namespace kest {

void frmMain::RefreshAllStatus() {
    Trapped("RefreshAllStatus", [&](GemContext& control) { ShowAllStatus(control, fields_); });
}

void frmMain::RefreshSpoolStatus() {
    Trapped("RefreshSpoolStatus", [&](GemContext& control) { ShowSpoolStatus(control, fields_); });
}

void frmMain::LoadEnabledEvent() {
    Trapped("LoadEnabledEvent",
            [&](GemContext& control) { fields_.EnabledEvents = ListEnabledEvents(control); });
}

void frmMain::LoadEnabledAlarm() {
    Trapped("LoadEnabledAlarm",
            [&](GemContext& control) { fields_.EnabledAlarms = ListEnabledAlarms(control); });
}

void frmMain::LoadSetAlarm() {
    Trapped("LoadSetAlarm",
            [&](GemContext& control) { fields_.SetAlarms = ListSetAlarms(control); });
}

void frmMain::LoadTraceList() {
    Trapped("LoadTraceList", [&](GemContext& control) { fields_.Traces = ListTraces(control); });
}

void frmMain::LoadLimitList() {
    Trapped("LoadLimitList", [&](GemContext& control) { fields_.Limits = ListLimits(control); });
}

void frmMain::Send_Msg_To_Host(const std::string& text) {
    Trapped("Send_Msg_To_Host", [&](GemContext& control) {
        auto terminal = std::make_shared<GEMTerminal>();
        terminal->SetParent(control.weak_from_this());
        terminal->TerminalRequest(0, text);  // the main terminal
    });
}

Variant frmMain::SendFormattedProgram(const std::string& file_name, const std::string&) {
    bool sent = false;
    Trapped("SendFormattedProgram", [&](GemContext& control) {
        sent = control.SendSECSTrans(NewFormattedProgram(control, file_name), "NULL");
    });
    return sent;
}

}  // namespace kest
