#include "services/gem_estab_comm.h"

#include "base/text.h"
#include "core/gem_context.h"
#include "core/state_model.h"
#include "services/ed_estab_comm.h"

namespace kest {

void GEMEstabComm::SetParent(std::weak_ptr<GemContext> parent) {
    parent_ = std::move(parent);
    auto control = parent_.lock();
    if (!control) return;
    RunTrapped(control.get(), "GEMEstabComm:Set Parent", [&] {
        // Both read before either changes: a failed read leaves the pair as it was.
        std::string model = control->GemVar("EquipmentModel");
        std::string revision = control->GemVar("SoftwareRevision");
        mdln_ = std::move(model);
        softrev_ = std::move(revision);
    });
}

bool GEMEstabComm::Connect(const std::string& MDLN, const std::string& SOFTREV) {
    auto control = parent_.lock();
    if (!control) return false;
    const char* source = "GEMEstabComm:Connect";
    return RunTrapped(control.get(), source, [&] {
        if (control->Setting("PortOpened") != "TRUE") {
            control->TriggerError(source, 4019, "Invalid port connect state to perform this task.",
                                  __LINE__);
            return false;
        }
        TakeArguments(*control, MDLN, SOFTREV);
        auto action = std::make_shared<EDEstabComm>(control->NewTID());
        action->SetParent(control);
        // Registered before its message goes out (see GEMEventReport::Start).
        control->AddEDAction(action);
        action->SetSource(shared_from_this());
        return true;
    });
}

void GEMEstabComm::TakeArguments(GemContext& control, const std::string& mdln,
                                 const std::string& softrev) {
    // A refused variable write is reported by the database; the request still goes out with
    // the values the application asked for.
    if (mdln != "NULL") {
        mdln_ = std::string(Trim(mdln));
        control.SetGemVar("EquipmentModel", mdln_);
    }
    if (softrev != "NULL") {
        softrev_ = std::string(Trim(softrev));
        control.SetGemVar("SoftwareRevision", softrev_);
    }
    control.State().Changed(StateAspect::Equipment);
}

}  // namespace kest
