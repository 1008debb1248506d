// The areas the control refreshes through `RefreshGEMTool`, and the message senders the
// control's Send_ members hand over to.
#include "control/kest_server.h"
#include "ui/frm_main.h"
#include "ui/status_areas.h"

namespace kest {

void frmMain::RefreshAdminMode() {
    Record("RefreshAdminMode");
}

void frmMain::RefreshAllSetting() {
    Record("RefreshAllSetting");
}

void frmMain::RefreshAllStatus() {
    Record("RefreshAllStatus");
    Trapped("RefreshAllStatus", [&](KestServer& control) { ShowAllStatus(control, fields_); });
}

void frmMain::RefreshSpoolStatus() {
    Record("RefreshSpoolStatus");
    Trapped("RefreshSpoolStatus", [&](KestServer& control) { ShowSpoolStatus(control, fields_); });
}

void frmMain::LoadEnabledEvent() {
    Record("LoadEnabledEvent");
    Trapped("LoadEnabledEvent",
            [&](KestServer& control) { fields_.EnabledEvents = ListEnabledEvents(control); });
}

void frmMain::LoadEnabledAlarm() {
    Record("LoadEnabledAlarm");
    Trapped("LoadEnabledAlarm",
            [&](KestServer& control) { fields_.EnabledAlarms = ListEnabledAlarms(control); });
}

void frmMain::LoadSetAlarm() {
    Record("LoadSetAlarm");
    Trapped("LoadSetAlarm",
            [&](KestServer& control) { fields_.SetAlarms = ListSetAlarms(control); });
}

void frmMain::LoadTraceList() {
    Record("LoadTraceList");
    Trapped("LoadTraceList", [&](KestServer& control) { fields_.Traces = ListTraces(control); });
}

void frmMain::LoadLimitList() {
    Record("LoadLimitList");
    Trapped("LoadLimitList", [&](KestServer& control) { fields_.Limits = ListLimits(control); });
}

void frmMain::Send_Msg_To_Host(const std::string& text) {
    Record("Send_Msg_To_Host " + text);
}

bool frmMain::Request_Download_Map(const std::string& file_name, const std::string& path) {
    Record("Request_Download_Map " + file_name + " " + path);
    return false;
}

Variant frmMain::UploadMapData(const std::string& file_name, const std::string& path) {
    Record("UploadMapData " + file_name + " " + path);
    return {};
}

Variant frmMain::SendFormattedProgram(const std::string& file_name, const std::string& path) {
    Record("SendFormattedProgram " + file_name + " " + path);
    return {};
}

Variant frmMain::SendEventToHost(const std::string& ceid) {
    Record("SendEventToHost " + ceid);
    return {};
}

}  // namespace kest
