// Collection events the control reports by name, and the trace timer's tick.
#include <algorithm>
#include <utility>

#include "control/control_core.h"
#include "services/builders_stream6.h"
#include "services/gem_alarm.h"
#include "services/gem_event_report.h"
#include "services/value_rules.h"

namespace kest {

std::shared_ptr<kest::GEMEventReport> ControlCore::GEMEventReport() {
    auto service = std::make_shared<kest::GEMEventReport>();
    service->SetParent(WeakSelf());
    return service;
}

std::shared_ptr<kest::GEMAlarm> ControlCore::GEMAlarm() {
    auto service = std::make_shared<kest::GEMAlarm>();
    service->SetParent(WeakSelf());
    return service;
}

bool ControlCore::ReportEvent(const std::string& name) {
    return GEMEventReport()->SendEventRptByName(name);
}

void ControlCore::TraceTick(int index) {
    const char* source = "KestServer:TraceTimer_Timer";
    RunTrapped(this, source, [&] {
        auto it = std::find_if(traces_.begin(), traces_.end(),
                               [&](const KestRecTrace& t) { return t.TimerIndex == index; });
        if (it == traces_.end()) return;
        if (--it->Countdown > 0) return;
        it->Countdown = it->Period;
        for (std::int32_t svid : it->SVIDs)
            it->Samples.AddItem(VariableValueItem(*this, svid));
        ++it->SMPLN;
        ++it->Pending;
        const std::int32_t trid = it->TRID;
        const std::int32_t smpln = it->SMPLN;
        const bool last = smpln >= it->TOTSMP;
        if (it->Pending < it->REPGSZ && !last) return;
        it->Pending = 0;
        if (!SECSTrans_S6F1(*this, *it, std::exchange(it->Samples, SecsItem()))) {
            TriggerError(source, 6002, "SECS [S6F1] message send failed.", __LINE__);
        }
        KestEvent sent("GEMTrace", "TraceSend");
        sent.AddOutput("TRID", trid);
        sent.AddOutput("SMPLN", smpln);
        FireEvent(sent);
        if (!last) return;
        if (TraceTimerElement* element = TraceTime(index)) *element = TraceTimerElement{};
        ApplyTraceTimer(index);
        std::erase_if(traces_, [&](const KestRecTrace& t) { return t.TRID == trid; });
        KestEvent end("GEMTrace", "TraceEnd");
        end.AddOutput("TRID", trid);
        FireEvent(end);
    });
}

}  // namespace kest
