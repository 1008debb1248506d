// The areas the control refreshes through `RefreshGEMTool`, and the senders not offered yet
// (the others are in window_senders.cpp).
#include "core/gem_context.h"
#include "ui/frm_main.h"
#include "ui/status_areas.h"

namespace kest {

void frmMain::RefreshAdminMode() {
    // The administrator area has no fields of its own yet.
}

void frmMain::RefreshAllSetting() {
    // The settings tabs read their fields when they open.
}

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

void frmMain::Send_Msg_To_Host(const std::string&) {
    // Terminal messages to the host are not offered by this window yet.
}

Variant frmMain::SendFormattedProgram(const std::string&, const std::string&) {
    return {};  // not offered by this window yet
}

}  // namespace kest
