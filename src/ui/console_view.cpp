#include "ui/console_view.h"

#include <nlohmann/json.hpp>

namespace kest {

namespace {

using nlohmann::json;

json Lists(const frmMainFields& f) {
    json events = json::array();
    for (const auto& row : f.EnabledEvents)
        events.push_back({row.EventID, row.EventName});
    json alarms = json::array();
    for (const auto& row : f.EnabledAlarms)
        alarms.push_back({row.AlarmID, row.AlarmName, row.State});
    json set = json::array();
    for (const auto& row : f.SetAlarms)
        set.push_back({row.AlarmID, row.AlarmName});
    json traces = json::array();
    for (const auto& row : f.Traces) {
        traces.push_back(
            {row.TRID, row.DSPER, row.TOTSMP, row.REPGSZ, row.SMPNO, row.TIMER, row.VIDS});
    }
    json limits = json::array();
    for (const auto& row : f.Limits) {
        limits.push_back({row.LimitID, row.VariableID, row.LowerDataBound, row.UpperDataBound,
                          row.TransitionType});
    }
    return {{"events", events},
            {"alarms", alarms},
            {"setAlarms", set},
            {"traces", traces},
            {"limits", limits}};
}

json Settings(const SettingsFields& s) {
    return {{"InitCommState", s.InitCommEnabled},
            {"EstablishCommunicationTimeout", s.EstablishCommunicationTimeout},
            {"HeartBeat", s.HeartBeat},
            {"InitControlState", s.InitControlOnline},
            {"OfflineSubstate", s.OfflineSubstateHost},
            {"OnlineSubstate", s.OnlineSubstateRemote},
            {"OnlineFailed", s.OnlineFailedHost},
            {"WBits5", s.WBits5},
            {"WBits6", s.WBits6},
            {"WBits10", s.WBits10},
            {"ConfigSpool", s.ConfigSpool},
            {"OverWriteSpool", s.OverWriteSpool},
            {"MaxSpoolTransmit", s.MaxSpoolTransmit},
            {"PPDirectory", s.PPDirectory},
            {"PPFileExt", s.PPFileExt},
            {"GEMDatabase", s.GEMDatabase}};
}

}  // namespace

std::string ConsoleStateJson(const frmMainFields& f, const std::string& terminal_text,
                             bool window_started) {
    json state = {
        {"started", window_started},
        {"comm", f.CommState},
        {"control", f.ControlState},
        {"connection", f.Connection},
        {"process", f.ProcessState},
        {"spool",
         {{"state", f.SpoolState},
          {"load", f.SpoolLoadSubstate},
          {"unload", f.SpoolUnloadSubstate},
          {"actual", f.SpoolCountActual},
          {"total", f.SpoolCountTotal}}},
        {"equipment",
         {{"name", f.EquipmentName},
          {"model", f.EquipmentModel},
          {"revision", f.SoftwareRevision}}},
        {"lists", Lists(f)},
        {"settings", Settings(f.Settings)},
        {"results", f.Results},
        {"terminal", terminal_text},
    };
    // Invalid UTF-8 from the database or the host is shown replaced, never refused.
    return state.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string ConsoleNoteJson(const std::string& kind, const std::string& line) {
    return json{{"kind", kind}, {"line", line}}.dump(-1, ' ', false,
                                                     json::error_handler_t::replace);
}

}  // namespace kest
