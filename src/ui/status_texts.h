#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/state_model.h"  // StateNumber

namespace kest {

/// The communication field: "Communicating" for `GEM_COMMSTATE` 2, else "Not Communicating".
std::string CommStateText(std::int32_t comm_state);

/// The control-state field for `GEM_CONTROLSTATE` 1 to 5 ("Equipment Offline" ... "Online
/// Remote"); "" for any other value.
std::string ControlStateText(std::int32_t control_state);

/// The process-program change status: "Created" (1), "Changed" (2), "Deleted" (3), else
/// "Unknown".
std::string PPChangeStatusText(std::int32_t status);

/// The spool state field: "Active" (1) or "InActive" (any other value).
std::string SpoolStateText(std::int32_t spool_state);
/// The spool load substate field: "Full" (7) or "Not Full" (any other value).
std::string SpoolLoadText(std::int32_t load_substate);
/// The spool unload substate field: "Transmit" (4), "Purge" (3), else "No Spool Output".
std::string SpoolUnloadText(std::int32_t unload_substate);

/// A limit's transition type as listed: "Upper To Lower" (1) or "Lower To Upper" (any other).
std::string TransitionTypeText(std::int32_t transition_type);

/// A trace period in seconds as the six-digit DSPER "hhmmss" (hours above 99 are kept whole).
std::string DsperText(std::int32_t seconds);

/// Numbers joined with ",".
std::string JoinNumbers(const std::vector<std::int32_t>& numbers);

}  // namespace kest
