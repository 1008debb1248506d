#include "ui/status_areas.h"

#include "core/gem_context.h"
#include "core/state_model.h"
#include "gemdb/gemdb.h"
#include "ui/status_texts.h"

namespace kest {

namespace {

// A state variable as a number; -1 (no state) when it holds no number.
std::int32_t StateOf(const GemContext& control, const char* name) {
    return StateNumber(control.GemVar(name)).value_or(-1);
}

// A stored text as the window shows it: the absent value "NULL" shows as nothing.
std::string Shown(std::string text) {
    return text == "NULL" ? std::string() : text;
}

}  // namespace

void ShowAllStatus(GemContext& control, frmMainFields& fields) {
    // The state model reads the two states; the texts only name them.
    fields.CommState = CommStateText(static_cast<std::int32_t>(control.State().Comm()));
    fields.ControlState = ControlStateText(static_cast<std::int32_t>(control.State().Control()));
    ShowEquipment(control, fields);
}

void ShowEquipment(GemContext& control, frmMainFields& fields) {
    fields.ProcessState = Shown(control.GemVar("ProcessState"));
    fields.PreviousProcessState = Shown(control.GemVar("PreviousProcessState"));
    fields.PPExecName = Shown(control.GemVar("PPExecName"));
    fields.PPChangeName = Shown(control.GemVar("PPChangeName"));
    fields.PPChangeStatus = PPChangeStatusText(StateOf(control, "PPChangeStatus"));
    fields.EquipmentName = Shown(control.GemVar("EquipmentName"));
    fields.EquipmentModel = Shown(control.GemVar("EquipmentModel"));
    fields.SoftwareRevision = Shown(control.GemVar("SoftwareRevision"));
}

void ShowSpoolStatus(GemContext& control, frmMainFields& fields) {
    fields.SpoolState = SpoolStateText(StateOf(control, "SpoolState"));
    fields.SpoolLoadSubstate = SpoolLoadText(StateOf(control, "SpoolLoadSubstate"));
    fields.SpoolUnloadSubstate = SpoolUnloadText(StateOf(control, "SpoolUnloadSubstate"));
    fields.SpoolCountActual = std::to_string(control.SpoolList().size());
    fields.SpoolCountTotal = Shown(control.GemVar("SpoolCountTotal"));
}

void ShowConnection(GemContext& control, frmMainFields& fields) {
    bool opened = control.Setting("PortOpened") == "TRUE";
    fields.Connection = opened ? "CONNECT" : "DISCONNECT";
    fields.OpenPortEnabled = !opened;
    fields.ClosePortEnabled = opened;
}

std::vector<EnabledEventRow> ListEnabledEvents(GemContext& control) {
    GEMDB& db = control.Db();
    std::vector<EnabledEventRow> rows;
    for (bool gem : {true, false}) {
        for (std::int32_t id : db.EventGetEnabled(gem)) {
            auto record = db.EventGetRecord(id, gem);
            rows.push_back({id, record ? record->Name() : std::string()});
        }
    }
    return rows;
}

std::vector<EnabledAlarmRow> ListEnabledAlarms(GemContext& control) {
    GEMDB& db = control.Db();
    std::vector<EnabledAlarmRow> rows;
    for (std::int32_t id : db.AlarmGetEnabled(true)) {
        auto record = db.AlarmGetRecord(id);
        if (!record) continue;  // removed since the list was read
        rows.push_back({id, record->Name(), record->AlarmSet() ? "Alarm Set" : "Alarm Clear"});
    }
    return rows;
}

std::vector<SetAlarmRow> ListSetAlarms(GemContext& control) {
    GEMDB& db = control.Db();
    std::vector<SetAlarmRow> rows;
    for (std::int32_t id : db.AlarmGetSet()) {
        auto record = db.AlarmGetRecord(id);
        rows.push_back({id, record ? record->Name() : std::string()});
    }
    return rows;
}

std::vector<TraceRow> ListTraces(GemContext& control) {
    std::vector<TraceRow> rows;
    for (const KestRecTrace& trace : control.TraceList()) {
        rows.push_back({trace.TRID, DsperText(trace.Period), trace.TOTSMP, trace.REPGSZ,
                        trace.SMPLN, trace.TimerIndex, JoinNumbers(trace.SVIDs)});
    }
    return rows;
}

std::vector<LimitRow> ListLimits(GemContext& control) {
    GEMDB& db = control.Db();
    std::vector<LimitRow> rows;
    for (std::int32_t vid : db.LimitGetAllVID()) {
        for (const KestRecLimit& limit : db.LimitGetVIDAttr(vid)) {
            rows.push_back({limit.limit_id, limit.var_id, limit.lower_db, limit.upper_db,
                            TransitionTypeText(limit.transition_type)});
        }
    }
    return rows;
}

}  // namespace kest
