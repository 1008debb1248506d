#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/message_checks.h"
#include "host/report_ids.h"
#include "host/stream2_reports.h"
#include "host/stream9_senders.h"

namespace kest {

namespace {

enum Erack : std::uint8_t { kAccepted = 0, kRefused = 1 };

std::uint8_t EnableAll(GEMDB& db, bool enable) {
    GEMDB::WriteGroup group(db);
    const bool gem = db.EventEnableAll(enable, true);
    const bool user = db.EventEnableAll(enable, false);
    return gem && user ? kAccepted : kRefused;
}

// Every listed event must exist before any is changed.
std::uint8_t EnableListed(GEMDB& db, bool enable, const std::vector<std::uint32_t>& ceids) {
    std::vector<std::pair<std::int32_t, bool>> events;  // CEID and its table (GEM when true)
    events.reserve(ceids.size());
    for (std::uint32_t ceid : ceids) {
        const std::optional<bool> gem = FindEventTable(db, ceid);
        if (!gem) return kRefused;
        events.emplace_back(static_cast<std::int32_t>(ceid), *gem);
    }
    GEMDB::WriteGroup group(db);
    for (const auto& [ceid, gem] : events) {
        if (!db.EventSetField(Variant(ceid), FLDID_EVENT::EVT_ENABLE, Variant(enable), gem)) {
            return kRefused;
        }
    }
    return kAccepted;
}

}  // namespace

void ReplyS2F37(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    const SecsItem* body = ReadPairBody(control, *trans);
    if (body == nullptr) return;
    const SecsItem& ceed = body->Item(1);
    const std::optional<std::vector<std::uint32_t>> ceids = ReadU4Ids(body->Item(2));
    if (ceed.Format() != enmItemFormat::FormatBoolean || ceed.Count() != 1 || !ceids) {
        SendS9F7(control, *trans);
        return;
    }
    GEMDB& db = control.Db();
    const bool enable = ceed.Value().ToBool();
    const std::uint8_t erack =
        ceids->empty() ? EnableAll(db, enable) : EnableListed(db, enable, *ceids);
    AnswerAck(*trans, erack);
    if (erack == kAccepted) control.FireEvent(KestEvent("GEMEventReport", "EventEnableChanged"));
}

}  // namespace kest
