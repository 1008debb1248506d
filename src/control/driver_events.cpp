#include "control/driver_events.h"

#include "control/control_core.h"

namespace kest {

void DriverEventsAdapter::Connect() {
    if (auto server = server_.lock()) server->VortelTool1_Connect();
}

void DriverEventsAdapter::Disconnect(int error_code, const std::string& error_text) {
    if (auto server = server_.lock()) server->VortelTool1_Disconnect(error_code, error_text);
}

void DriverEventsAdapter::ReceivedPrimary(std::shared_ptr<SecsTransaction> trans, int error_code,
                                          const std::string& error_text) {
    if (auto server = server_.lock()) {
        server->VortelTool1_ReceivedPrimary(trans, error_code, error_text);
    }
}

void DriverEventsAdapter::ReceivedSecondary(std::shared_ptr<SecsTransaction> trans, int error_code,
                                            const std::string& error_text) {
    if (auto server = server_.lock()) {
        server->VortelTool1_ReceivedSecondary(trans, error_code, error_text);
    }
}

void DriverEventsAdapter::Error(const DriverError& error) {
    if (auto server = server_.lock()) server->VortelTool1_Error(error);
}

}  // namespace kest
