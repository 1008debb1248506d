#include "services/gem_alarm.h"

#include "base/text.h"
#include "core/gem_context.h"
#include "gemdb/gemdb.h"
#include "services/ed_alarm.h"
#include "services/gem_event_report.h"

namespace kest {

bool GEMAlarm::SetAlarmByALID(std::int32_t alid, bool alcd, const std::string& altx) {
    auto control = parent_.lock();
    if (!control) return false;
    const char* source = "GEMAlarm:SetAlarmByALID";
    return RunTrapped(control.get(), source, [&] {
        auto record = control->Db().AlarmGetRecord(alid);
        if (!record) {
            control->TriggerError(
                source, 4001, "Alarm ID " + std::to_string(alid) + " not exist in GEM Database.",
                __LINE__);
            altx_ = "NULL";
            return false;
        }
        return Report(*control, *record, alcd, altx, "SetAlarmByALID");
    });
}

bool GEMAlarm::SetAlarmByName(const std::string& name, bool alcd, const std::string& altx) {
    auto control = parent_.lock();
    if (!control) return false;
    const char* source = "GEMAlarm:SetAlarmByName";
    return RunTrapped(control.get(), source, [&] {
        auto record = control->Db().AlarmGetRecord(name);
        if (!record) {
            control->TriggerError(source, 4002,
                                  "Alarm name " + name + " not exist in GEM Database.", __LINE__);
            altx_ = "NULL";
            return false;
        }
        return Report(*control, *record, alcd, altx, "SetAlarmByName");
    });
}

bool GEMAlarm::Report(GemContext& control, const KestRecAlarm& record, bool alcd,
                      const std::string& altx, const char* method) {
    if (!record.Enable()) {
        control.TriggerError(std::string("GEMAlarm:") + method, 4003,
                             "Alarm ID " + std::to_string(record.ID()) + " is not enable.",
                             __LINE__);
        altx_ = "NULL";
        return false;
    }
    alid_ = record.ID();
    alcd_ = alcd;
    altx_ = altx == "NULL" ? record.TEXT() : std::string(Trim(altx));
    method_ = method;
    auto action = std::make_shared<EDAlarm>(control.NewTID());
    action->SetParent(control.weak_from_this());
    control.AddEDAction(action);  // before sending (see GEMEventReport::Start)
    action->SetSource(shared_from_this());
    std::int32_t ceid = alcd ? record.SetCEID() : record.ClearCEID();
    if (ceid >= 1) {
        auto report = std::make_shared<GEMEventReport>();
        report->SetParent(control.weak_from_this());
        report->SendEventRptByCEID(ceid);
    }
    return true;
}

}  // namespace kest
