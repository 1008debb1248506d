#include "services/gem_event_report.h"

#include "core/gem_context.h"
#include "gemdb/gemdb.h"
#include "services/ed_event_report.h"

namespace kest {

namespace {

std::optional<KestRecEvent> FindEvent(GEMDB& db, const Variant& key) {
    if (auto gem = db.EventGetRecord(key, true)) return gem;
    return db.EventGetRecord(key, false);
}

}  // namespace

bool GEMEventReport::SendEventRptByCEID(std::int32_t ceid) {
    auto control = parent_.lock();
    if (!control) return false;
    const char* source = "GEMEventReport:SendEventRptByCEID";
    return RunTrapped(control.get(), source, [&] {
        auto record = FindEvent(control->Db(), ceid);
        if (!record) {
            control->TriggerError(source, 4023,
                                  "CEID : " + std::to_string(ceid) +
                                      " not exist in GEM Database. Cannot send event report.",
                                  __LINE__);
            return false;
        }
        if (!record->Enable()) {
            control->TriggerError(
                source, 4026,
                "CEID : " + std::to_string(ceid) + " is not enable. Cannot send event report.",
                __LINE__);
            ceid_name_ = "NULL";
            return false;
        }
        ceid_ = ceid;
        ceid_name_ = record->Name();
        return Start(*control, "SendEventRptByCEID");
    });
}

bool GEMEventReport::SendEventRptByName(const std::string& name) {
    auto control = parent_.lock();
    if (!control) return false;
    const char* source = "GEMEventReport:SendEventRptByName";
    return RunTrapped(control.get(), source, [&] {
        ceid_name_ = name;
        if (name.empty()) {
            control->TriggerError(source, 4024, "Invalid null value of CEIDName.", __LINE__);
            ceid_name_ = "NULL";
            return false;
        }
        auto record = FindEvent(control->Db(), name);
        if (!record) {
            control->TriggerError(
                source, 4025,
                "CEIDName : " + name + " not exist in GEM Database. Cannot send event report.",
                __LINE__);
            return false;
        }
        if (!record->Enable()) {
            control->TriggerError(source, 4026,
                                  "CEID : " + std::to_string(record->ID()) +
                                      " is not enable. Cannot send event report.",
                                  __LINE__);
            ceid_name_ = "NULL";
            return false;
        }
        ceid_ = record->ID();
        return Start(*control, "SendEventRptByName");
    });
}

bool GEMEventReport::Start(GemContext& control, const char* method) {
    method_ = method;
    auto action = std::make_shared<EDEventReport>(control.NewTID());
    action->SetParent(control.weak_from_this());
    // Registered before its message goes out, so a report raised while sending (no reply
    // expected, or a failed hand-over) reaches the application and leaves no stale entry.
    control.AddEDAction(action);
    action->SetSource(shared_from_this());
    return true;
}

}  // namespace kest
