#pragma once

#include <cstdint>
#include <string>

namespace kest {

/// One limit definition row (limit_definition): a limit of a variable with its dead bands.
struct KestRecLimit {
    std::int32_t limit_id = 0;         ///< LIMITID
    std::int32_t var_id = 0;           ///< VID of the monitored variable
    std::string upper_db = "NULL";     ///< upper dead band, as text
    std::string lower_db = "NULL";     ///< lower dead band, as text
    std::int32_t transition_type = 0;  ///< TRANSITION_TYPE column

    friend bool operator==(const KestRecLimit&, const KestRecLimit&) = default;
};

}  // namespace kest
