#include "host/stream2_spool_reset.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/message_checks.h"
#include "host/stream9_senders.h"
#include "secs/build.h"

namespace kest {

namespace {

// What is wrong with an entry: a stream 9 refusal, or a STRACK with the function it names.
struct Fault {
    enum class Kind { S9F7, S9F11, Strack } kind = Kind::Strack;
    std::uint8_t strid = 0;
    std::uint8_t strack = 0;
    std::optional<std::uint8_t> fcnid;
};

struct Entry {
    std::uint8_t strid = 0;
    std::vector<std::uint8_t> fcnids;
};

Fault Refusal(Fault::Kind kind) {
    Fault fault;
    fault.kind = kind;
    return fault;
}

std::optional<std::uint8_t> ReadU1(const SecsItem& item) {
    if (item.IsList() || item.Format() != enmItemFormat::FormatU1 || item.Count() != 1) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(item.Value().ToInt64());
}

std::optional<Fault> ReadEntry(const SecsItem& item, Entry& entry) {
    if (!item.IsList() || item.Count() != 2) return Refusal(Fault::Kind::S9F11);
    const std::optional<std::uint8_t> strid = ReadU1(item.Item(1));
    if (!strid || !item.Item(2).IsList()) return Refusal(Fault::Kind::S9F7);
    entry.strid = *strid;
    for (const SecsItem& fcnid : item.Item(2)) {
        const std::optional<std::uint8_t> function = ReadU1(fcnid);
        if (!function) return Refusal(Fault::Kind::S9F7);
        entry.fcnids.push_back(*function);
    }
    return std::nullopt;
}

// STRACK 1 to 4 for an entry that reads well.
std::optional<Fault> CheckEntry(GEMDB& db, const Entry& entry) {
    auto strack = [&](std::uint8_t code, std::optional<std::uint8_t> fcnid = std::nullopt) {
        return Fault{Fault::Kind::Strack, entry.strid, code, fcnid};
    };
    if (entry.strid == 1) return strack(1);
    if (db.SpoolSupportFunc(entry.strid).empty()) return strack(2);
    for (std::uint8_t fcnid : entry.fcnids) {
        if (fcnid % 2 == 0) return strack(4, fcnid);
        const std::optional<KestRecSecsTrans> row = db.SFGetRecord(entry.strid, fcnid);
        if (!row || !row->spool_support) return strack(3, fcnid);
    }
    return std::nullopt;
}

// RSPACK 0 with no entries, or 1 with the refused one.
SecsItem Answer(const std::optional<Fault>& fault) {
    if (!fault) return build::L(build::B({0}), build::L());
    SecsItem functions;
    if (fault->fcnid) functions.AddItem(build::U1(*fault->fcnid));
    return build::L(build::B({1}), build::L(build::L(build::U1(fault->strid),
                                                     build::B({fault->strack}), functions)));
}

void Reply(SecsTransaction& trans, SecsItem body) {
    if (!trans.ReplyExpected()) return;
    SetReplyBody(trans, std::move(body));
    trans.Reply();
}

}  // namespace

void ReplyS2F43(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    const SecsItem& body = trans->Primary().Item(1);
    if (!body.IsList()) {
        SendS9F7(control, *trans);
        return;
    }
    GEMDB& db = control.Db();
    std::vector<Entry> entries(body.Count());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::optional<Fault> fault = ReadEntry(body.Item(i + 1), entries[i]);
        if (!fault) fault = CheckEntry(db, entries[i]);
        if (!fault) continue;
        if (fault->kind == Fault::Kind::S9F7) SendS9F7(control, *trans);
        if (fault->kind == Fault::Kind::S9F11) SendS9F11(control, *trans);
        if (fault->kind == Fault::Kind::Strack) Reply(*trans, Answer(fault));
        return;
    }
    if (entries.empty()) db.SpoolDisable(0);
    for (const Entry& entry : entries) {
        db.SpoolDisable(entry.strid);
        for (std::uint8_t fcnid : entry.fcnids) {
            db.SFSetField(entry.strid, fcnid, FLDID_SECSTRANS::SPOOL_ENABLE, Variant(true));
        }
    }
    Reply(*trans, Answer(std::nullopt));
}

}  // namespace kest
