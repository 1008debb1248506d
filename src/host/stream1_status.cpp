// S1F3 and S1F11: the host reads status variable values and names.
#include <optional>
#include <utility>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/message_checks.h"
#include "host/stream1_handlers.h"
#include "host/stream9_senders.h"
#include "host/variable_lookup.h"
#include "secs/build.h"
#include "services/value_rules.h"

namespace kest {

namespace {

// The SVID list of an S1F3 or S1F11, or nothing after S9F7 was sent for a malformed one.
std::optional<std::vector<std::uint32_t>> ReadSvids(GemContext& control,
                                                    const SecsTransaction& trans) {
    if (!RequireBodyCount(control, trans, 1)) return {};
    auto svids = ReadU4Ids(trans.Primary().Item(1));
    if (!svids) SendS9F7(control, trans);
    return svids;
}

SecsItem StatusValue(GemContext& control, std::uint32_t svid) {
    auto found = FindVariable(control.Db(), svid);
    return found ? VariableValueItem(control, found->record, found->gem) : SecsItem();
}

void AppendEveryStatusValue(GemContext& control, SecsItem& values) {
    GEMDB& db = control.Db();
    std::vector<KestRecVariable> gem_variables = db.VariableGetAll(true);
    // Without GEM variables the reply stays empty, user variables included.
    if (gem_variables.empty()) return;
    for (const KestRecVariable& record : gem_variables) {
        if (record.ParentKey() == 0) values.AddItem(VariableValueItem(control, record, true));
    }
    for (const KestRecVariable& record : db.VariableGetAll(false)) {
        if (record.ParentKey() == 0) values.AddItem(VariableValueItem(control, record, false));
    }
}

SecsItem NameEntry(const KestRecVariable& record, bool status_only) {
    if (record.ParentKey() != 0) return SecsItem();
    if (status_only && (record.VarType() == "DV" || record.VarType() == "EC")) return SecsItem();
    const std::string& unit = record.Unit();
    return build::L(build::U4(record.ID()), build::A(record.Name()),
                    build::A(unit == "NULL" ? std::string() : unit));
}

}  // namespace

void ReplyS1F3(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    auto svids = ReadSvids(control, *trans);
    if (!svids || !trans->ReplyExpected()) return;
    SecsItem values;
    if (svids->empty()) AppendEveryStatusValue(control, values);
    for (std::uint32_t svid : *svids)
        values.AddItem(StatusValue(control, svid));
    SetReplyBody(*trans, std::move(values));
    trans->Reply();
}

void ReplyS1F11(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    auto svids = ReadSvids(control, *trans);
    if (!svids || !trans->ReplyExpected()) return;
    const bool status_only = control.Setting("S1F11SupportSV") == "TRUE";
    SecsItem names;
    if (svids->empty()) {
        GEMDB& db = control.Db();
        for (bool gem : {true, false}) {
            for (const KestRecVariable& record : db.VariableGetAll(gem))
                names.AddItem(NameEntry(record, status_only));
        }
    }
    for (std::uint32_t svid : *svids) {
        auto found = FindVariable(control.Db(), svid);
        names.AddItem(found ? NameEntry(found->record, status_only) : SecsItem());
    }
    SetReplyBody(*trans, std::move(names));
    trans->Reply();
}

}  // namespace kest
