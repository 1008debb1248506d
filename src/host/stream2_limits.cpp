#include "host/stream2_limits.h"

#include <algorithm>
#include <optional>
#include <set>
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

// LVACK and LIMITACK codes of a refused definition.
enum Lvack : std::uint8_t { kNoVariable = 1, kNoLimits = 2, kVidTwice = 3, kBadLimit = 4 };
enum Limitack : std::uint8_t {
    kBadLimitId = 1,
    kAboveMax = 2,
    kBelowMin = 3,
    kUpperBelowLower = 4,
    kWrongFormat = 5,
    kLimitIdTwice = 7
};

// One limit of the message: a LIMITID and its dead bands, or none (delete the limit).
struct LimitEntry {
    std::uint64_t id = 0;
    const SecsItem* upper = nullptr;
    const SecsItem* lower = nullptr;
};

struct VariableEntry {
    std::uint32_t vid = 0;
    std::vector<LimitEntry> limits;  // none: delete every limit of the variable
};

bool IsUnsignedOrB(enmItemFormat f) {
    return f == enmItemFormat::FormatBinary || f == enmItemFormat::FormatU1 ||
           f == enmItemFormat::FormatU2 || f == enmItemFormat::FormatU4 ||
           f == enmItemFormat::FormatU8;
}

// The shape of L,n {L,2 {VID, L,m {L,2 {LIMITID, L,2 {UPPERDB, LOWERDB} or L,0}}}}; nothing
// when it is malformed (S9F7).
std::optional<std::vector<VariableEntry>> ReadShape(const SecsItem& list) {
    if (!list.IsList()) return std::nullopt;
    std::vector<VariableEntry> entries;
    for (const SecsItem& variable : list) {
        if (!variable.IsList() || variable.Count() != 2 || !ReadU4Id(variable.Item(1)) ||
            !variable.Item(2).IsList()) {
            return std::nullopt;
        }
        VariableEntry entry{static_cast<std::uint32_t>(variable.Item(1).Value().ToUInt64()), {}};
        for (const SecsItem& limit : variable.Item(2)) {
            if (!limit.IsList() || limit.Count() != 2) return std::nullopt;
            const SecsItem& id = limit.Item(1);
            const SecsItem& bands = limit.Item(2);
            if (id.IsList() || !IsUnsignedOrB(id.Format()) || id.Count() != 1) return std::nullopt;
            if (!bands.IsList() || (bands.Count() != 0 && bands.Count() != 2)) return std::nullopt;
            LimitEntry parsed{id.Value().ToUInt64(), nullptr, nullptr};
            if (bands.Count() == 2) {
                parsed.upper = &bands.Item(1);
                parsed.lower = &bands.Item(2);
            }
            entry.limits.push_back(parsed);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool HasLimits(const KestRecVariable& r) {
    return r.Min() != "NULL" && r.Max() != "NULL" && r.Min() != r.Max();
}

// A dead band in the variable's format (a NaN or an infinity is no number of it).
std::optional<FormatValue> Band(const KestRecVariable& r, const SecsItem& item) {
    if (item.IsList() || static_cast<int>(item.Format()) != r.VarFormat() || item.Count() != 1) {
        return std::nullopt;
    }
    try {
        FormatValue value = ConvertByFormat(r.VarFormat(), item.ToText());
        return value;
    } catch (const KestException&) {
        return std::nullopt;
    }
}

// The LIMITACK of one limit of variable `r`, 0 when it is acceptable.
std::uint8_t CheckLimit(const KestRecVariable& r, const LimitEntry& limit) {
    if (limit.id < 1 || limit.id > 255) return kBadLimitId;
    if (limit.upper == nullptr) return 0;
    const auto upper = Band(r, *limit.upper);
    const auto lower = Band(r, *limit.lower);
    if (!upper || !lower) return kWrongFormat;
    if (CompareByFormat(*upper, ConvertByFormat(r.VarFormat(), r.Max())) > 0) return kAboveMax;
    if (CompareByFormat(*lower, ConvertByFormat(r.VarFormat(), r.Min())) < 0) return kBelowMin;
    if (CompareByFormat(*upper, *lower) < 0) return kUpperBelowLower;
    return 0;
}

// The error entry of the first fault, or nothing when every definition is acceptable.
std::optional<SecsItem> FirstFault(GEMDB& db, const std::vector<VariableEntry>& entries) {
    auto fault = [](std::uint32_t vid, std::uint8_t lvack, std::optional<SecsItem> limit) {
        return build::L(build::U4(vid), build::B({lvack}), limit ? *limit : build::L());
    };
    std::set<std::uint32_t> seen;
    for (const VariableEntry& entry : entries) {
        const std::optional<FoundVariable> variable = FindVariable(db, entry.vid);
        if (!variable || variable->record.ParentKey() != 0) {
            return fault(entry.vid, kNoVariable, {});
        }
        if (!HasLimits(variable->record)) return fault(entry.vid, kNoLimits, {});
        if (!seen.insert(entry.vid).second) return fault(entry.vid, kVidTwice, {});
        std::set<std::uint64_t> ids;
        for (const LimitEntry& limit : entry.limits) {
            std::uint8_t limitack = CheckLimit(variable->record, limit);
            if (limitack == 0 && !ids.insert(limit.id).second) limitack = kLimitIdTwice;
            if (limitack == 0) continue;
            const auto id = static_cast<std::uint8_t>(std::min<std::uint64_t>(limit.id, 255));
            return fault(entry.vid, kBadLimit, build::L(build::B({id}), build::B({limitack})));
        }
    }
    return std::nullopt;
}

void WriteLimits(GEMDB& db, const std::vector<VariableEntry>& entries) {
    for (const VariableEntry& entry : entries) {
        const auto vid = static_cast<std::int32_t>(entry.vid);
        if (entry.limits.empty()) db.LimitDeleteAttr(vid, 0);
        for (const LimitEntry& limit : entry.limits) {
            const auto id = static_cast<std::int32_t>(limit.id);
            db.LimitDeleteAttr(vid, id);
            if (limit.upper == nullptr) continue;
            db.LimitAddAttr({id, vid, limit.upper->ToText(), limit.lower->ToText(), 0});
        }
    }
}

void Answer(SecsTransaction& trans, std::uint8_t vlaack, SecsItem errors) {
    if (!trans.ReplyExpected()) return;
    SetReplyBody(trans, build::L(build::B({vlaack}), std::move(errors)));
    trans.Reply();
}

SecsItem Attributes(GEMDB& db, std::uint32_t vid) {
    const std::optional<FoundVariable> variable = FindVariable(db, vid);
    if (!variable || variable->record.ParentKey() != 0) return build::L(build::U4(vid), build::L());
    const KestRecVariable& r = variable->record;
    const auto format = static_cast<enmItemFormat>(r.VarFormat());
    SecsItem limits = build::L();
    for (const KestRecLimit& limit : db.LimitGetVIDAttr(static_cast<std::int32_t>(vid))) {
        limits.AddItem(build::L(build::B({static_cast<std::uint8_t>(limit.limit_id)}),
                                ItemFromText(format, limit.upper_db),
                                ItemFromText(format, limit.lower_db)));
    }
    return build::L(
        build::U4(vid),
        build::L(build::A(r.Unit() == "NULL" ? std::string() : r.Unit()),
                 ItemFromText(format, r.Min()), ItemFromText(format, r.Max()), std::move(limits)));
}

}  // namespace

void ReplyS2F45(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    const SecsItem& body = trans->Primary().Item(1);
    if (!body.IsList() || body.Count() != 2) {
        SendS9F11(control, *trans);
        return;
    }
    const std::optional<std::vector<VariableEntry>> entries = ReadShape(body.Item(2));
    if (!ReadU4Id(body.Item(1)) || !entries) {
        SendS9F7(control, *trans);
        return;
    }
    GEMDB& db = control.Db();
    if (entries->empty()) {
        db.LimitDeleteAttr(0, 0);
    } else if (std::optional<SecsItem> fault = FirstFault(db, *entries)) {
        Answer(*trans, 1, build::L(std::move(*fault)));
        return;
    } else {
        WriteLimits(db, *entries);
    }
    Answer(*trans, 0, build::L());
    KestEvent event("GEMLimit", "LimitSetup");
    control.FireEvent(event);
}

void ReplyS2F47(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    std::optional<std::vector<std::uint32_t>> vids = ReadU4Ids(trans->Primary().Item(1));
    if (!vids) {
        SendS9F7(control, *trans);
        return;
    }
    if (!trans->ReplyExpected()) return;
    GEMDB& db = control.Db();
    if (vids->empty()) {
        for (std::int32_t vid : db.LimitGetAllVID())
            vids->push_back(static_cast<std::uint32_t>(vid));
    }
    SecsItem list = build::L();
    for (std::uint32_t vid : *vids)
        list.AddItem(Attributes(db, vid));
    SetReplyBody(*trans, std::move(list));
    trans->Reply();
}

}  // namespace kest
