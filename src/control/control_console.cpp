// The web console in front of the operator window.
#include "control/control_core.h"
#include "ui/web_console.h"

namespace kest {

bool ControlCore::StartConsole(const std::string& address, int port) {
    return RunTrapped(this, "KestServer:StartConsole", [&] {
        if (console_) return true;
        auto console = std::make_unique<WebConsole>(
            Self(), ConsoleHooks{.window = [this] { return window_.get(); },
                                 .terminal_text = [this] { return message_text_; }});
        std::string error;
        if (!console->Start(address, port, error)) {
            TriggerError("KestServer:StartConsole", 3000, "Console: " + error, __LINE__);
            return false;
        }
        console_ = std::move(console);
        return true;
    });
}

void ControlCore::StopConsole() {
    console_.reset();
}

int ControlCore::ConsolePort() const noexcept {
    return console_ ? console_->Port() : 0;
}

}  // namespace kest
