#include "services/gem_terminal.h"

#include "core/gem_context.h"
#include "services/ed_terminal_request.h"

namespace kest {

bool GEMTerminal::TerminalRequest(std::int32_t tid, const std::string& text) {
    auto control = parent_.lock();
    if (!control) return false;
    const char* source = "GEMTerminal:TerminalRequest";
    return RunTrapped(control.get(), source, [&] {
        if (tid < 0 || tid > 255) {
            control->TriggerError(
                source, 4022,
                "Invalid value TID parameter (0-255) in [GEMTerminal.TerminalRequest].", __LINE__);
            text_ = "NULL";
            return false;
        }
        tid_ = tid;
        text_ = text;
        auto action = std::make_shared<EDTerminalRequest>(control->NewTID());
        action->SetParent(control);
        // Registered before the send, as the other services do: a refused send reports at once,
        // and only a live transaction's report reaches the application.
        control->AddEDAction(action);
        action->SetSource(shared_from_this());
        return true;
    });
}

}  // namespace kest
