#include "services/gem_clock.h"

#include "core/gem_context.h"
#include "services/ed_clock.h"

namespace kest {

bool GEMClock::GetDateTime() {
    auto control = parent_.lock();
    if (!control) return false;
    return RunTrapped(control.get(), "GEMClock:GetDateTime", [&] {
        auto action = std::make_shared<EDClock>(control->NewTID());
        action->SetParent(control);
        // Registered before the send: a refused send reports "DateTime" "NULL" at once, and
        // only a live transaction's report reaches the application (and leaves the list, so no
        // time-out follows it).
        control->AddEDAction(action);
        action->SetSource(shared_from_this());
        return true;
    });
}

}  // namespace kest
