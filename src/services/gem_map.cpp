#include "services/gem_map.h"

#include "core/gem_context.h"
#include "services/ed_map.h"

namespace kest {

bool GEMMap::MapSetupDataSend(const std::string& functionX) {
    function_ = functionX;
    auto control = parent_.lock();
    if (!control) return false;
    return RunTrapped(control.get(), "GEMMap:MapSetupDataSend", [&] {
        method_ = "MapSetupDataSend";
        auto action = std::make_shared<EDMap>(control->NewTID());
        action->SetParent(control->weak_from_this());
        control->AddEDAction(action);  // before sending: the report removes it again
        action->SetSource(shared_from_this());
        return true;
    });
}

bool GEMMap::ClearMessage() {
    auto control = parent_.lock();
    return control && control->ReportEvent("GemMessageAcknowledge");
}

bool GEMessage::ClearMessage() {
    auto control = parent_.lock();
    if (!control) return false;
    control->DisplayMessage("");
    return control->ReportEvent("GemMessageAcknowledge");
}

}  // namespace kest
