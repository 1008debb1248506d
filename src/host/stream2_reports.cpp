#include "host/stream2_reports.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/message_checks.h"
#include "host/report_ids.h"
#include "host/stream9_senders.h"
#include "host/variable_lookup.h"

namespace kest {

namespace {

enum Drack : std::uint8_t {
    kAccepted = 0,
    kRefusedByDatabase = 1,
    kBadFormat = 2,
    kAlreadyDefined = 3,
    kUnknownVariable = 4,
};

struct ReportEntry {
    std::uint32_t rptid = 0;
    std::vector<std::int32_t> vids;  ///< empty: the entry deletes the report
};

// The entries of a report list, or the DRACK that refuses it. Only top-level variables can be
// reported: a child of a list variable is reported through its parent.
struct CheckedEntries {
    std::vector<ReportEntry> entries;
    std::optional<std::uint8_t> drack;
};

CheckedEntries CheckEntries(GEMDB& db, const SecsItem& list) {
    CheckedEntries checked;
    if (!list.IsList()) return {{}, kBadFormat};
    checked.entries.reserve(list.Count());
    for (const SecsItem& entry : list) {
        if (!entry.IsList() || entry.Count() != 2) return {{}, kBadFormat};
        const std::optional<std::uint32_t> rptid = ReadU4Id(entry.Item(1));
        const std::optional<std::vector<std::uint32_t>> vids = ReadU4Ids(entry.Item(2));
        if (!rptid || !vids) return {{}, kBadFormat};
        ReportEntry& checked_entry = checked.entries.emplace_back();
        checked_entry.rptid = *rptid;
        checked_entry.vids.reserve(vids->size());
        for (std::uint32_t vid : *vids) {
            const std::optional<FoundVariable> variable = FindVariable(db, vid);
            if (!variable || variable->record.ParentKey() != 0) return {{}, kUnknownVariable};
            checked_entry.vids.push_back(static_cast<std::int32_t>(vid));
        }
    }
    // The first entry decides whether the message defines or deletes.
    const bool defines = !checked.entries.front().vids.empty();
    for (const ReportEntry& entry : checked.entries) {
        if (entry.vids.empty() == defines) return {{}, kBadFormat};
    }
    return checked;
}

// Removes every variable of `rptid` and its link to every event; false when a write failed.
bool Strip(GEMDB& db, std::int32_t rptid, bool variables) {
    bool ok = true;
    if (variables) {
        for (std::int32_t vid : db.EvtRptGetVarList(rptid))
            ok = db.EvtRptDelVariable(rptid, vid) && ok;
    }
    for (std::int32_t ceid : db.EvtRptGetEventList(rptid))
        ok = db.EvtRptUnlinkReport(ceid, rptid) && ok;
    return ok;
}

// L,0: every report but the default ones goes with its variables; every report, default ones
// included, loses its links to events.
std::uint8_t DeleteAll(GEMDB& db) {
    const std::vector<KestRecReport> reports = db.ReportGetAll();
    GEMDB::WriteGroup group(db);
    bool ok = true;
    for (const KestRecReport& report : reports) {
        if (!report.IsDefault()) ok = db.ReportDeleteRecord(Variant(report.ID())) && ok;
        ok = Strip(db, report.ID(), !report.IsDefault()) && ok;
    }
    return ok ? kAccepted : kRefusedByDatabase;
}

// Every RPTID must be new, to the database and to the message.
std::optional<std::uint8_t> CheckNew(GEMDB& db, const std::vector<ReportEntry>& entries) {
    std::unordered_set<std::uint32_t> seen;
    for (const ReportEntry& entry : entries) {
        if (ReportExists(db, entry.rptid) || !seen.insert(entry.rptid).second) {
            return kAlreadyDefined;
        }
        if (!TableKey(entry.rptid)) return kRefusedByDatabase;
    }
    return std::nullopt;
}

// Adds report `entry` with its variables in order; on a refused write, takes back what was
// added of it.
bool Define(GEMDB& db, const ReportEntry& entry) {
    const auto rptid = static_cast<std::int32_t>(entry.rptid);
    KestRecReport report;
    report.SetID(rptid);
    report.SetName("R" + std::to_string(entry.rptid));
    if (!db.ReportAddRecord(report)) return false;
    std::int32_t order = 0;
    for (std::int32_t vid : entry.vids) {
        if (db.EvtRptAddVariable(rptid, vid, ++order)) continue;
        for (std::int32_t added = 0; added < order - 1; ++added)
            db.EvtRptDelVariable(rptid, entry.vids[static_cast<std::size_t>(added)]);
        db.ReportDeleteRecord(Variant(rptid));
        return false;
    }
    return true;
}

std::uint8_t DefineAll(GEMDB& db, const std::vector<ReportEntry>& entries) {
    if (auto refusal = CheckNew(db, entries)) return *refusal;
    GEMDB::WriteGroup group(db);
    for (const ReportEntry& entry : entries) {
        if (!Define(db, entry)) return kRefusedByDatabase;
    }
    return kAccepted;
}

// Deletes the reports of `entries` that exist; a default report keeps its record.
std::uint8_t DeleteListed(GEMDB& db, const std::vector<ReportEntry>& entries) {
    GEMDB::WriteGroup group(db);
    bool ok = true;
    for (const ReportEntry& entry : entries) {
        const std::optional<std::int32_t> key = TableKey(entry.rptid);
        if (!key) continue;
        const std::optional<KestRecReport> report = db.ReportGetRecord(Variant(*key));
        if (!report) continue;  // nothing to delete is no error
        ok = Strip(db, *key, true) && ok;
        if (!report->IsDefault()) ok = db.ReportDeleteRecord(Variant(*key)) && ok;
    }
    return ok ? kAccepted : kRefusedByDatabase;
}

std::uint8_t DefineReports(GEMDB& db, const SecsItem& body) {
    if (!ReadU4Id(body.Item(1))) return kBadFormat;
    const SecsItem& list = body.Item(2);
    if (list.IsList() && list.Count() == 0) return DeleteAll(db);
    CheckedEntries checked = CheckEntries(db, list);
    if (checked.drack) return *checked.drack;
    return checked.entries.front().vids.empty() ? DeleteListed(db, checked.entries)
                                                : DefineAll(db, checked.entries);
}

}  // namespace

void ReplyS2F33(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    const SecsItem* body = ReadPairBody(control, *trans);
    if (body == nullptr) return;
    AnswerAck(*trans, DefineReports(control.Db(), *body));
}

void ReplyS2F39(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    const SecsItem* body = ReadPairBody(control, *trans);
    if (body == nullptr) return;
    if (!ReadU4Id(body->Item(1)) || !ReadU4Id(body->Item(2))) {
        SendS9F7(control, *trans);
        return;
    }
    AnswerAck(*trans, 0);  // granted: any length is taken
}

}  // namespace kest
