#include "host/stream2_constants.h"

#include <optional>
#include <string>
#include <vector>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/message_checks.h"
#include "host/stream9_senders.h"
#include "host/variable_lookup.h"
#include "secs/build.h"
#include "services/format_compare.h"
#include "services/value_rules.h"

namespace kest {

namespace {

constexpr const char* kConstant = "EC";

std::optional<FoundVariable> FindConstant(GEMDB& db, std::uint32_t id) {
    std::optional<FoundVariable> found = FindVariable(db, id);
    if (found && found->record.VarType() != kConstant) return std::nullopt;
    return found;
}

// Every constant, GEM table first.
std::vector<FoundVariable> AllConstants(GEMDB& db) {
    std::vector<FoundVariable> constants;
    for (bool gem : {true, false}) {
        for (KestRecVariable& record : db.VariableGetAll(gem, kConstant)) {
            constants.push_back({std::move(record), gem});
        }
    }
    return constants;
}

// The ECIDs of an S2F13 or S2F29, or nothing after S9F7 was sent for a malformed list.
std::optional<std::vector<std::uint32_t>> ReadEcids(GemContext& control,
                                                    const SecsTransaction& trans) {
    if (!RequireBodyCount(control, trans, 1)) return std::nullopt;
    auto ecids = ReadU4Ids(trans.Primary().Item(1));
    if (!ecids) SendS9F7(control, trans);
    return ecids;
}

// Each requested constant's entry by `entry`, `missing` for an ID that is not one; every
// constant for an empty request.
template <typename Entry>
void AnswerEach(GemContext& control, SecsTransaction& trans, Entry entry, const SecsItem& missing) {
    auto ecids = ReadEcids(control, trans);
    if (!ecids || !trans.ReplyExpected()) return;
    GEMDB& db = control.Db();
    SecsItem list;
    if (ecids->empty()) {
        for (const FoundVariable& constant : AllConstants(db))
            list.AddItem(entry(constant));
    }
    for (std::uint32_t ecid : *ecids) {
        std::optional<FoundVariable> constant = FindConstant(db, ecid);
        list.AddItem(constant ? entry(*constant) : missing);
    }
    SetReplyBody(trans, std::move(list));
    trans.Reply();
}

enmItemFormat FormatOf(const KestRecVariable& record) {
    return static_cast<enmItemFormat>(record.VarFormat());
}

SecsItem NameEntry(const FoundVariable& constant) {
    const KestRecVariable& r = constant.record;
    const enmItemFormat format = FormatOf(r);
    return build::L(build::U4(static_cast<std::uint32_t>(r.ID())), build::A(r.Name()),
                    ItemFromText(format, r.Min()), ItemFromText(format, r.Max()),
                    ItemFromText(format, r.DefaultValue()),
                    build::A(r.Unit() == "NULL" ? std::string() : r.Unit()));
}

// --- S2F15 ---------------------------------------------------------------------------------

struct Change {
    FoundVariable constant;
    std::string value;
};

// The outcome of checking the pairs: the changes, or a refusal (S9F7, S9F11 or an EAC).
struct Checked {
    std::vector<Change> changes;
    const char* stream9 = nullptr;
    std::optional<std::uint8_t> eac;
};

bool HasRange(const KestRecVariable& r) {
    const enmItemFormat f = FormatOf(r);
    const bool ordered = f != enmItemFormat::FormatList && f != enmItemFormat::FormatBoolean &&
                         f != enmItemFormat::FormatAscii && f != enmItemFormat::FormatVar;
    return ordered && r.Min() != "NULL" && r.Max() != "NULL";
}

bool InRange(const KestRecVariable& r, const std::string& value) {
    if (!HasRange(r)) return true;
    const FormatValue v = ConvertByFormat(r.VarFormat(), value);
    return CompareByFormat(v, ConvertByFormat(r.VarFormat(), r.Min())) >= 0 &&
           CompareByFormat(v, ConvertByFormat(r.VarFormat(), r.Max())) <= 0;
}

Checked CheckPairs(GEMDB& db, const SecsItem& body) {
    Checked checked;
    if (!body.IsList()) return {{}, "S9F7", {}};
    if (body.Count() == 0) return {{}, "S9F11", {}};
    for (const SecsItem& pair : body) {
        if (!pair.IsList() || pair.Count() != 2) return {{}, "S9F11", {}};
        const SecsItem& ecid = pair.Item(1);
        const SecsItem& ecv = pair.Item(2);
        const std::optional<std::uint32_t> id = ReadU4Id(ecid);
        if (!id) return {{}, "S9F7", {}};
        std::optional<FoundVariable> constant = FindConstant(db, *id);
        if (!constant) return {{}, nullptr, 1};
        if (ecv.Format() != FormatOf(constant->record)) return {{}, "S9F7", {}};
        std::string value = ecv.IsList() ? std::string() : ecv.ToText();
        if (!InRange(constant->record, value)) return {{}, nullptr, 4};
        checked.changes.push_back({std::move(*constant), std::move(value)});
    }
    return checked;
}

void RecordRequest(GEMDB& db, const std::vector<Change>& changes) {
    db.InsertECChanged("1", "TotalChanged", std::to_string(changes.size()));
    for (std::size_t k = 0; k < changes.size(); ++k) {
        db.InsertECChanged(std::to_string(k + 2), "ECID",
                           std::to_string(changes[k].constant.record.ID()));
    }
}

// Writes each value, reporting each written constant in `event`; false when one failed.
bool WriteValues(GEMDB& db, const std::vector<Change>& changes, KestEvent& event) {
    for (const Change& change : changes) {
        const KestRecVariable& r = change.constant.record;
        const Variant key(r.ID());
        if (!db.VariableSetField(key, FLDID_VARIABLE::VAR_VAL, Variant(change.value),
                                 change.constant.gem)) {
            return false;
        }
        auto written = db.VariableGetRecord(key, change.constant.gem);
        event.AddOutput(r.Name(), Variant(written ? written->Value() : change.value));
    }
    return true;
}

}  // namespace

void ReplyS2F13(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    AnswerEach(
        control, *trans,
        [&](const FoundVariable& c) { return VariableValueItem(control, c.record, c.gem); },
        build::A());
}

void ReplyS2F29(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    AnswerEach(control, *trans, &NameEntry, build::L());
}

void ReplyS2F15(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    GEMDB& db = control.Db();
    Checked checked = CheckPairs(db, trans->Primary().Item(1));
    if (checked.stream9 != nullptr) {
        std::string_view refusal = checked.stream9;
        refusal == "S9F7" ? SendS9F7(control, *trans) : SendS9F11(control, *trans);
        return;
    }
    if (checked.eac) {
        AnswerAck(*trans, *checked.eac);
        return;
    }
    RecordRequest(db, checked.changes);
    KestEvent event("GEMConstant", "ConstantChanged");
    AnswerAck(*trans, WriteValues(db, checked.changes, event) ? 0 : 2);
    control.FireEvent(event);
}

}  // namespace kest
