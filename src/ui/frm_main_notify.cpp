// What the operator window shows follows the state model and the control's events.
#include "core/gem_context.h"
#include "core/state_model.h"
#include "ui/frm_main.h"
#include "ui/status_areas.h"
#include "ui/status_texts.h"

namespace kest {

namespace {
// Result lines kept for the view; older ones are in the service log as event lines.
constexpr std::size_t kMaxResults = 1000;
}  // namespace

void frmMain::moGEMServer_EventNotification(const KestEvent& event) {
    Trapped("moGEMServer_EventNotification", [&](GemContext& control) {
        if (!loaded_) return;
        const std::string& service = event.ServiceName;
        const std::string& name = event.EventName;
        if (service == "SECSProtocol") {
            ShowConnection(control, fields_);
        } else if (service == "GEMControl" &&
                   (name == "RequestOnline" || name == "RequestOffline")) {
            ShowAllStatus(control, fields_);
            ShowSpoolStatus(control, fields_);
        } else if (service == "GEMTrace") {
            fields_.Traces = ListTraces(control);
        }
        if (name == "GEMTimeout") OnTimeout(event);
    });
}

void frmMain::OnStateMoved(GemContext& control, StateAspect aspect) {
    switch (aspect) {
        case StateAspect::Communication:
            fields_.CommState =
                control.State().ShowsCommunicating() ? "Communicating" : "Not Communicating";
            break;
        case StateAspect::Control:
            fields_.ControlState =
                ControlStateText(static_cast<std::int32_t>(control.State().Control()));
            break;
        case StateAspect::Spool:
            ShowSpoolStatus(control, fields_);
            break;
        case StateAspect::Equipment:
            ShowEquipment(control, fields_);
            break;
    }
}

void frmMain::OnTimeout(const KestEvent& event) {
    Variant method = event.Output("MethodName");
    AddResult((method.IsEmpty() ? event.ServiceName : method.ToText()) + " timeout occured.");
}

void frmMain::AddResult(std::string line) {
    if (fields_.Results.size() >= kMaxResults) fields_.Results.erase(fields_.Results.begin());
    fields_.Results.push_back(std::move(line));
}

}  // namespace kest
