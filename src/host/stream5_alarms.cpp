#include "host/stream5_alarms.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/message_checks.h"
#include "host/stream9_senders.h"
#include "secs/build.h"

namespace kest {

namespace {

constexpr std::uint8_t kEnabledBit = 0x80;

// {ALCD, ALID, ALTX} of each alarm in `ids` that has a row, in that order.
SecsItem AlarmList(GEMDB& db, const std::vector<std::int32_t>& ids) {
    SecsItem list;
    list.ReserveChildren(ids.size());
    for (std::int32_t id : ids) {
        const std::optional<KestRecAlarm> alarm = db.AlarmGetRecord(Variant(id));
        if (!alarm) continue;
        list.AddItem(build::L(build::B({alarm->Enable() ? kEnabledBit : std::uint8_t{0}}),
                              build::U4(static_cast<std::uint32_t>(alarm->ID())),
                              build::A(alarm->TEXT())));
    }
    return list;
}

// The alarms a U4 item names, in its order: every alarm for a zero-length item.
std::vector<std::int32_t> RequestedAlarms(GEMDB& db, const SecsItem& alid) {
    if (alid.Count() == 0) return db.AlarmGetAll();
    std::vector<std::int32_t> ids;
    ids.reserve(alid.Count());
    for (std::size_t i = 1; i <= alid.Count(); ++i) {
        const std::uint64_t id = alid.Value(i).ToUInt64();
        // A value beyond the IDs a row can hold names no alarm.
        if (id <= static_cast<std::uint64_t>(INT32_MAX))
            ids.push_back(static_cast<std::int32_t>(id));
    }
    return ids;
}

bool AlarmExists(GEMDB& db, std::uint64_t id) {
    const std::vector<std::int32_t> all = db.AlarmGetAll();
    return std::find(all.begin(), all.end(), static_cast<std::int64_t>(id)) != all.end();
}

bool IsU4(const SecsItem& item) {
    return !item.IsList() && item.Format() == enmItemFormat::FormatU4;
}

}  // namespace

void ReplyS5F3(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    const SecsItem& body = trans->Primary().Item(1);
    if (!body.IsList() || body.Count() != 2) {
        SendS9F11(control, *trans);
        return;
    }
    const SecsItem& aled = body.Item(1);
    const SecsItem& alid = body.Item(2);
    if (aled.IsList() || aled.Format() != enmItemFormat::FormatBinary || aled.Count() != 1 ||
        !IsU4(alid) || alid.Count() > 1) {
        SendS9F7(control, *trans);
        return;
    }
    const bool enable = (aled.Value().ToInt64() & kEnabledBit) != 0;
    GEMDB& db = control.Db();
    bool done = false;
    if (alid.Count() == 0) {
        done = db.AlarmEnableAll(enable);
    } else if (const std::uint64_t id = alid.Value().ToUInt64(); AlarmExists(db, id)) {
        done = db.AlarmSetField(Variant(static_cast<std::int64_t>(id)), FLDID_ALARM::ALM_ENABLE,
                                Variant(enable));
    }
    AnswerWith(*trans, build::B({static_cast<std::uint8_t>(done ? 0 : 1)}));
    if (done) control.FireEvent(KestEvent("GEMAlarm", "AlarmEnableChanged"));
}

void ReplyS5F5(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    const SecsItem& alid = trans->Primary().Item(1);
    if (!IsU4(alid)) {
        SendS9F7(control, *trans);
        return;
    }
    GEMDB& db = control.Db();
    AnswerWith(*trans, AlarmList(db, RequestedAlarms(db, alid)));
}

void ReplyS5F7(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 0)) return;
    GEMDB& db = control.Db();
    AnswerWith(*trans, AlarmList(db, db.AlarmGetEnabled(true)));
}

}  // namespace kest
