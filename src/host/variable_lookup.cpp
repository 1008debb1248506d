#include "host/variable_lookup.h"

#include <limits>

#include "gemdb/gemdb.h"

namespace kest {

std::optional<FoundVariable> FindVariable(GEMDB& db, std::uint32_t id) {
    if (id > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) return {};
    const Variant key(static_cast<std::int32_t>(id));
    for (bool gem : {true, false}) {
        if (auto record = db.VariableGetRecord(key, gem)) return FoundVariable{*record, gem};
    }
    return {};
}

}  // namespace kest
