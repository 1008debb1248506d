#include "control/limit_monitor.h"

#include "services/format_compare.h"

namespace kest {

std::optional<LimitCrossing> LimitMonitor::Evaluate(const KestRecLimit& limit, int format_code,
                                                    const std::string& value) {
    FormatValue v = ConvertByFormat(format_code, value);
    FormatValue lower = ConvertByFormat(format_code, limit.lower_db);
    FormatValue upper = ConvertByFormat(format_code, limit.upper_db);

    LimitZone now = LimitZone::Unknown;
    if (CompareByFormat(v, lower) < 0) {
        now = LimitZone::Lower;
    } else if (CompareByFormat(v, upper) > 0) {
        now = LimitZone::Upper;
    }

    auto key = std::make_pair(limit.var_id, limit.limit_id);
    auto found = zones_.find(key);
    bool seeding = found == zones_.end() || found->second.upper != limit.upper_db ||
                   found->second.lower != limit.lower_db;
    State& state = zones_[key];
    if (seeding) {
        state = State{now, limit.upper_db, limit.lower_db};
        return std::nullopt;
    }
    if (now == LimitZone::Unknown || now == state.zone) return std::nullopt;  // dead band
    state.zone = now;
    return LimitCrossing{limit.limit_id, limit.var_id, now == LimitZone::Lower ? 1 : 0};
}

}  // namespace kest
