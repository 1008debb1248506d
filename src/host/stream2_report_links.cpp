#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/message_checks.h"
#include "host/report_ids.h"
#include "host/stream2_reports.h"

namespace kest {

namespace {

enum Lrack : std::uint8_t {
    kAccepted = 0,
    kBadFormat = 2,
    kAlreadyLinked = 3,
    kUnknownEvent = 4,
    kUnknownReport = 5,
};

struct LinkEntry {
    std::int32_t ceid = 0;
    std::vector<std::int32_t> rptids;  ///< empty: the entry unlinks every report of the event
};

struct CheckedLinks {
    std::vector<LinkEntry> entries;
    std::optional<std::uint8_t> lrack;
};

// Each entry in order: its shape and CEID, the event, then each RPTID and its report.
CheckedLinks CheckLinks(GEMDB& db, const SecsItem& list) {
    CheckedLinks checked;
    if (!list.IsList()) return {{}, kBadFormat};
    checked.entries.reserve(list.Count());
    for (const SecsItem& entry : list) {
        if (!entry.IsList() || entry.Count() != 2) return {{}, kBadFormat};
        const std::optional<std::uint32_t> ceid = ReadU4Id(entry.Item(1));
        if (!ceid) return {{}, kBadFormat};
        if (!FindEventTable(db, *ceid)) return {{}, kUnknownEvent};
        const SecsItem& rptids = entry.Item(2);
        if (!rptids.IsList()) return {{}, kBadFormat};
        LinkEntry& checked_entry = checked.entries.emplace_back();
        checked_entry.ceid = static_cast<std::int32_t>(*ceid);
        checked_entry.rptids.reserve(rptids.Count());
        for (const SecsItem& item : rptids) {
            const std::optional<std::uint32_t> rptid = ReadU4Id(item);
            if (!rptid) return {{}, kBadFormat};
            if (!ReportExists(db, *rptid)) return {{}, kUnknownReport};
            checked_entry.rptids.push_back(static_cast<std::int32_t>(*rptid));
        }
    }
    const bool links = !checked.entries.empty() && !checked.entries.front().rptids.empty();
    for (const LinkEntry& entry : checked.entries) {
        if (entry.rptids.empty() == links) return {{}, kBadFormat};
    }
    return checked;
}

// An event takes reports only while it has none, which also holds for an event that an earlier
// entry of the same message links.
bool AnyLinked(GEMDB& db, const std::vector<LinkEntry>& entries) {
    std::unordered_set<std::int32_t> seen;
    for (const LinkEntry& entry : entries) {
        if (!seen.insert(entry.ceid).second || !db.EvtRptGetReportList(entry.ceid).empty()) {
            return true;
        }
    }
    return false;
}

std::uint8_t Link(GEMDB& db, const std::vector<LinkEntry>& entries) {
    if (AnyLinked(db, entries)) return kAlreadyLinked;
    GEMDB::WriteGroup group(db);
    for (const LinkEntry& entry : entries) {
        std::int32_t order = 0;
        for (std::int32_t rptid : entry.rptids)
            db.EvtRptLinkReport(entry.ceid, rptid, ++order);
    }
    return kAccepted;
}

std::uint8_t Unlink(GEMDB& db, const std::vector<LinkEntry>& entries) {
    GEMDB::WriteGroup group(db);
    for (const LinkEntry& entry : entries) {
        for (std::int32_t rptid : db.EvtRptGetReportList(entry.ceid))
            db.EvtRptUnlinkReport(entry.ceid, rptid);
    }
    return kAccepted;
}

std::uint8_t LinkReports(GEMDB& db, const SecsItem& body) {
    if (!ReadU4Id(body.Item(1))) return kBadFormat;
    CheckedLinks checked = CheckLinks(db, body.Item(2));
    if (checked.lrack) return *checked.lrack;
    if (checked.entries.empty()) return kAccepted;
    return checked.entries.front().rptids.empty() ? Unlink(db, checked.entries)
                                                  : Link(db, checked.entries);
}

}  // namespace

void ReplyS2F35(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    const SecsItem* body = ReadPairBody(control, *trans);
    if (body == nullptr) return;
    AnswerAck(*trans, LinkReports(control.Db(), *body));
}

}  // namespace kest
