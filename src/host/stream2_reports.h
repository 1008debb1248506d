#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

// The host defines reports, links them to collection events and switches events on and off.
// Every ID (DATAID, RPTID, VID, CEID) must be a U4 item of one value. Every entry is checked
// before anything is written, so a refused message leaves the database as it was; the writes of
// one message are committed together.

/// S2F33 define report: L,0 deletes every report but the default ones and unlinks every report
/// from every event; entries with VIDs define reports named "R" + RPTID, entries without delete
/// them. DRACK 2 malformed or mixed, 3 RPTID already defined, 4 unknown VID or a list's child,
/// 1 the database refused a write.
void ReplyS2F33(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S2F35 link event report: entries with RPTIDs link them to an event that has none yet,
/// entries without unlink every report of the event. LRACK 2 malformed or mixed, 3 the event
/// already has reports, 4 unknown CEID, 5 unknown RPTID.
void ReplyS2F35(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S2F37 enable/disable event report: the listed events, or every event of both tables for
/// L,0; ERACK 1 for an unknown CEID or a refused write. "EventEnableChanged" follows ERACK 0.
void ReplyS2F37(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S2F39 multi-block inquire: GRANT 0 for any length.
void ReplyS2F39(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
