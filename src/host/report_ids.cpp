#include "host/report_ids.h"

#include <limits>

#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/message_checks.h"
#include "host/stream9_senders.h"
#include "secs/build.h"

namespace kest {

const SecsItem* ReadPairBody(GemContext& control, const SecsTransaction& trans) {
    if (!RequireBodyCount(control, trans, 1)) return nullptr;
    const SecsItem& body = trans.Primary().Item(1);
    if (!body.IsList() || body.Count() != 2) {
        SendS9F11(control, trans);
        return nullptr;
    }
    return &body;
}

std::optional<std::int32_t> TableKey(std::uint32_t id) {
    if (id > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) return {};
    return static_cast<std::int32_t>(id);
}

std::optional<bool> FindEventTable(GEMDB& db, std::uint32_t ceid) {
    const std::optional<std::int32_t> key = TableKey(ceid);
    if (!key) return {};
    for (bool gem : {true, false}) {
        if (db.EventGetRecord(Variant(*key), gem)) return gem;
    }
    return {};
}

bool ReportExists(GEMDB& db, std::uint32_t rptid) {
    const std::optional<std::int32_t> key = TableKey(rptid);
    return key && db.ReportGetRecord(Variant(*key)).has_value();
}

}  // namespace kest
