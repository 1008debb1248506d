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

void frmMain::moGEMServer_MethodNotification(const KestMethod& method) {
    Trapped("moGEMServer_MethodNotification", [&](GemContext&) {
        if (!loaded_ || method.ServiceName != "GEMProcessProgram") return;
        std::string ppid;
        for (const KestItem& input : method.Inputs()) {
            if (input.ItemName == "PPID") ppid = input.ItemValue.ToText();
        }
        const std::string recipe = "Recipe [" + ppid + "]";
        if (method.MethodName == "RecipeUploadToHost") {
            const std::int32_t ppgnt = method.Output("PPGNT").ToInt32();
            const std::int32_t ackc7 = method.Output("ACKC7").ToInt32();
            // A grant refused by the host ends with ACKC7 -1 and never sent the program.
            const char* outcome = ppgnt == 0 && ackc7 == 0    ? "success"
                                  : ppgnt != 0 && ackc7 == -1 ? "rejected"
                                                              : "failed";
            AddResult(recipe + " upload to host " + outcome + ".");
        } else if (method.MethodName == "RecipeDownloadFromHost") {
            const bool received = method.Output("FileReceived").ToBool();
            AddResult(recipe + " download from host " + (received ? "success." : "failed."));
        }
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
