#include "ui/status_texts.h"

#include <fmt/format.h>

#include "base/text.h"

namespace kest {

std::string CommStateText(std::int32_t comm_state) {
    return comm_state == 2 ? "Communicating" : "Not Communicating";
}

std::string ControlStateText(std::int32_t control_state) {
    switch (control_state) {
        case 1:
            return "Equipment Offline";
        case 2:
            return "Attempt Online";
        case 3:
            return "Host Offline";
        case 4:
            return "Online Local";
        case 5:
            return "Online Remote";
        default:
            return "";
    }
}

std::string PPChangeStatusText(std::int32_t status) {
    switch (status) {
        case 1:
            return "Created";
        case 2:
            return "Changed";
        case 3:
            return "Deleted";
        default:
            return "Unknown";
    }
}

std::string SpoolStateText(std::int32_t spool_state) {
    return spool_state == 1 ? "Active" : "InActive";
}

std::string SpoolLoadText(std::int32_t load_substate) {
    return load_substate == 7 ? "Full" : "Not Full";
}

std::string SpoolUnloadText(std::int32_t unload_substate) {
    switch (unload_substate) {
        case 4:
            return "Transmit";
        case 3:
            return "Purge";
        default:
            return "No Spool Output";
    }
}

std::string TransitionTypeText(std::int32_t transition_type) {
    return transition_type == 1 ? "Upper To Lower" : "Lower To Upper";
}

std::string DsperText(std::int32_t seconds) {
    if (seconds < 0) seconds = 0;
    return fmt::format("{:02}{:02}{:02}", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

std::string JoinNumbers(const std::vector<std::int32_t>& numbers) {
    std::string joined;
    for (std::int32_t n : numbers) {
        if (!joined.empty()) joined += ',';
        joined += std::to_string(n);
    }
    return joined;
}

}  // namespace kest
