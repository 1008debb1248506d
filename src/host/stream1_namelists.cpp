#include "host/stream1_namelists.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/message_checks.h"
#include "host/stream9_senders.h"
#include "host/variable_lookup.h"
#include "secs/build.h"

namespace kest {

namespace {

constexpr const char* kDataVariable = "DV";

// The IDs of the request, or nothing after S9F7 was sent for a malformed one.
std::optional<std::vector<std::uint32_t>> ReadIds(GemContext& control,
                                                  const SecsTransaction& trans) {
    if (!RequireBodyCount(control, trans, 1)) return std::nullopt;
    auto ids = ReadU4Ids(trans.Primary().Item(1));
    if (!ids) SendS9F7(control, trans);
    return ids;
}

SecsItem DataVariableEntry(std::uint32_t vid, const KestRecVariable* record) {
    if (record == nullptr) return build::L(build::U4(vid), build::A(), build::A());
    const std::string& unit = record->Unit();
    return build::L(build::U4(vid), build::A(record->Name()),
                    build::A(unit == "NULL" ? std::string() : unit));
}

// The variables of the reports linked to `ceid`, each once, in link and report order.
SecsItem LinkedVariables(GEMDB& db, std::int32_t ceid) {
    std::vector<std::int32_t> vids;
    for (std::int32_t rptid : db.EvtRptGetReportList(ceid)) {
        for (std::int32_t vid : db.EvtRptGetVarList(rptid)) {
            if (std::find(vids.begin(), vids.end(), vid) == vids.end()) vids.push_back(vid);
        }
    }
    SecsItem list;
    list.ReserveChildren(vids.size());
    for (std::int32_t vid : vids)
        list.AddItem(build::U4(static_cast<std::uint32_t>(vid)));
    return list;
}

SecsItem EventEntry(GEMDB& db, std::uint32_t ceid) {
    if (ceid <= static_cast<std::uint32_t>(INT32_MAX)) {
        const Variant key(static_cast<std::int32_t>(ceid));
        for (bool gem : {true, false}) {
            if (auto record = db.EventGetRecord(key, gem)) {
                return build::L(build::U4(ceid), build::A(record->Name()),
                                LinkedVariables(db, record->ID()));
            }
        }
    }
    return build::L(build::U4(ceid), build::A(), build::L());
}

}  // namespace

void ReplyS1F21(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    auto vids = ReadIds(control, *trans);
    if (!vids || !trans->ReplyExpected()) return;
    GEMDB& db = control.Db();
    SecsItem names;
    if (vids->empty()) {
        for (bool gem : {true, false}) {
            for (const KestRecVariable& r : db.VariableGetAll(gem, kDataVariable))
                names.AddItem(DataVariableEntry(static_cast<std::uint32_t>(r.ID()), &r));
        }
    }
    for (std::uint32_t vid : *vids) {
        std::optional<FoundVariable> found = FindVariable(db, vid);
        const bool data = found && found->record.VarType() == kDataVariable;
        names.AddItem(DataVariableEntry(vid, data ? &found->record : nullptr));
    }
    AnswerWith(*trans, std::move(names));
}

void ReplyS1F23(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    auto ceids = ReadIds(control, *trans);
    if (!ceids || !trans->ReplyExpected()) return;
    GEMDB& db = control.Db();
    if (ceids->empty()) {
        for (bool gem : {true, false}) {
            for (std::int32_t ceid : db.EventGetAll(gem))
                ceids->push_back(static_cast<std::uint32_t>(ceid));
        }
    }
    SecsItem events;
    events.ReserveChildren(ceids->size());
    for (std::uint32_t ceid : *ceids)
        events.AddItem(EventEntry(db, ceid));
    AnswerWith(*trans, std::move(events));
}

}  // namespace kest
