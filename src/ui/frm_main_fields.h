#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kest {

/// A row of the enabled-events list ("Event ID", "Event Name").
struct EnabledEventRow {
    std::int32_t EventID = 0;
    std::string EventName;
    friend bool operator==(const EnabledEventRow&, const EnabledEventRow&) = default;
};

/// A row of the enabled-alarms list ("Alarm ID", "Alarm Name", "Alarm Set" / "Alarm Clear").
struct EnabledAlarmRow {
    std::int32_t AlarmID = 0;
    std::string AlarmName;
    std::string State;
    friend bool operator==(const EnabledAlarmRow&, const EnabledAlarmRow&) = default;
};

/// A row of the set-alarms list ("Alarm ID", "Alarm Name").
struct SetAlarmRow {
    std::int32_t AlarmID = 0;
    std::string AlarmName;
    friend bool operator==(const SetAlarmRow&, const SetAlarmRow&) = default;
};

/// A row of the trace list ("TRID", "DSPER", "TOTSMP", "REPGSZ", "SMP NO", "TIMER", "VIDS").
struct TraceRow {
    std::int32_t TRID = 0;
    std::string DSPER;
    std::int32_t TOTSMP = 0;
    std::int32_t REPGSZ = 0;
    std::int32_t SMPNO = 0;
    std::int32_t TIMER = 0;
    std::string VIDS;
    friend bool operator==(const TraceRow&, const TraceRow&) = default;
};

/// A row of the limit list ("Limit ID", "Variable ID", "Lower Data Bound", "Upper Data Bound",
/// "Transition Type").
struct LimitRow {
    std::int32_t LimitID = 0;
    std::int32_t VariableID = 0;
    std::string LowerDataBound;
    std::string UpperDataBound;
    std::string TransitionType;
    friend bool operator==(const LimitRow&, const LimitRow&) = default;
};

/// The settings tabs and the administrator area, as the database holds them.
struct SettingsFields {
    // Communication tab.
    bool InitCommEnabled = true;  ///< "InitCommState" 1
    std::string EstablishCommunicationTimeout;
    std::string HeartBeat;
    // Control tab: the initial state and the substates the options choose.
    bool InitControlOnline = false;     ///< "InitControlState" 2
    bool OfflineSubstateHost = false;   ///< "OfflineSubstate" 3
    bool OnlineSubstateRemote = false;  ///< "OnlineSubstate" 5
    bool OnlineFailedHost = false;      ///< "OnlineFailed" 3
    // W-bits of S5F1, S6F11 and S10F1.
    bool WBits5 = false;
    bool WBits6 = false;
    bool WBits10 = false;
    // Spool tab.
    bool ConfigSpool = false;
    bool OverWriteSpool = false;
    std::string MaxSpoolTransmit;
    // Recipe tab.
    std::string PPDirectory;
    std::string PPFileExt;
    // Database and administrator area.
    std::string GEMDatabase;
    std::string LoginMenu = "&Login";
    bool SettingsEnabled = false;  ///< the tabs take changes in administrator mode only
    friend bool operator==(const SettingsFields&, const SettingsFields&) = default;
};

/// What the operator window shows: its state, so tests and views read it. The texts are the
/// window's own ("Communicating", "Online Remote", "Not Full" ...).
struct frmMainFields {
    // Communication and control (the state model keeps them in step with the variables).
    std::string CommState = "Not Communicating";
    std::string ControlState;
    // The connection field ("CONNECT" / "DISCONNECT") and the port menu items.
    std::string Connection = "DISCONNECT";
    bool OpenPortEnabled = true;
    bool ClosePortEnabled = false;
    // Equipment and process.
    std::string ProcessState;
    std::string PreviousProcessState;
    std::string PPExecName;
    std::string PPChangeName;
    std::string PPChangeStatus;
    std::string EquipmentName;
    std::string EquipmentModel;
    std::string SoftwareRevision;
    // Spool.
    std::string SpoolState;
    std::string SpoolLoadSubstate;
    std::string SpoolUnloadSubstate;
    std::string SpoolCountActual;
    std::string SpoolCountTotal;
    // Lists.
    std::vector<EnabledEventRow> EnabledEvents;
    std::vector<EnabledAlarmRow> EnabledAlarms;
    std::vector<SetAlarmRow> SetAlarms;
    std::vector<TraceRow> Traces;
    std::vector<LimitRow> Limits;
    SettingsFields Settings;
    /// The field the last refused entry sent the operator back to ("" when none).
    std::string Focus;
    /// The text of the last box a settings tab or dialog showed ("" when none since).
    std::string Notice;
    /// Result lines written as the control reports ("<name> timeout occured." ...), oldest first.
    std::vector<std::string> Results;

    friend bool operator==(const frmMainFields&, const frmMainFields&) = default;
};

}  // namespace kest
