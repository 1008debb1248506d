#include "services/gem_heart_beat.h"

#include "core/gem_context.h"
#include "services/ed_heart_beat.h"

namespace kest {

bool GEMHeartBeat::AreYouThere() {
    auto control = parent_.lock();
    if (!control) return false;
    const char* source = "GEMHeartBeat:AreYouThere";
    return RunTrapped(control.get(), source, [&] {
        if (control->Setting("PortOpened") != "TRUE") {
            control->TriggerError(source, 4019, "Invalid port connect state to perform this task.",
                                  __LINE__);
            return false;
        }
        auto action = std::make_shared<EDHeartBeat>(control->NewTID());
        action->SetParent(control);
        // Registered before its message goes out (see GEMEventReport::Start).
        control->AddEDAction(action);
        action->SetSource();
        return true;
    });
}

}  // namespace kest
