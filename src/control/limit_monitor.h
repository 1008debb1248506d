#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gemdb/kest_rec_limit.h"

namespace kest {

/// The zone a monitored value is in for one limit: above the upper dead band, below the lower
/// one, or between them (where it keeps the zone it came from).
enum class LimitZone { Unknown, Upper, Lower };

/// What one limit's evaluation found: the value crossed into a zone and must be reported with
/// "TransitionType" 0 (into the upper zone) or 1 (into the lower zone).
struct LimitCrossing {
    std::int32_t limit_id = 0;
    std::int32_t var_id = 0;
    int transition_type = 0;
};

/// Remembers each limit's zone so that only transitions are reported. A limit's zone is seeded
/// silently at its first evaluation and again whenever its dead bands change.
class LimitMonitor {
  public:
    /// Evaluates `limit` for a variable of format `format_code` holding `value`. Returns the
    /// crossing to report, if any. Raises KestException when the value or a bound does not
    /// convert by the format.
    std::optional<LimitCrossing> Evaluate(const KestRecLimit& limit, int format_code,
                                          const std::string& value);
    /// Forgets every zone (the limits were redefined).
    void Reset() { zones_.clear(); }

  private:
    struct State {
        LimitZone zone = LimitZone::Unknown;
        std::string upper;
        std::string lower;
    };
    std::map<std::pair<std::int32_t, std::int32_t>, State> zones_;
};

}  // namespace kest
