#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/variant.h"

namespace kest {

/// The notification a write to a GEM state variable raises.
struct StateChange {
    std::string service_name;  ///< "GEMCommunication", "GEMControl" or "GEMSpool"
    std::string state;         ///< the state text, such as "EnabledCommunicating"
    bool spool_check = false;  ///< the control's spool check runs afterwards
};

/// The notification that writing `value` (taken as an integer) to the GEM variable `name`
/// raises: "CommState" 0 to 2, "ControlState" 1 to 5, "SpoolState", "SpoolLoadSubstate" and
/// "SpoolUnloadSubstate" 1 to 7. Other names, values outside those lists and values that are
/// not numbers raise nothing.
std::optional<StateChange> StateChangeFor(std::string_view name, const Variant& value);

}  // namespace kest
