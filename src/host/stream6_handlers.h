#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

/// S6F15 event report request: S6F16 {DATAID 1, CEID, one {RPTID, values} per linked report}
/// with the values by the shared value rules. S9F7 for a CEID that is not one U4 value.
void ReplyS6F15(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S6F19 individual report request: S6F20 with the values of the report's variables.
void ReplyS6F19(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S6F23 request spooled data: RSDC 0 transmits the spool (at most "MaxSpoolTransmit" messages
/// when that is above 0), 1 purges it; S6F24 RSDA 0 accepted, 1 denied, 2 no spooled data.
/// An emptied spool ends spooling and reports "GemSpoolingDeactivated".
void ReplyS6F23(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
