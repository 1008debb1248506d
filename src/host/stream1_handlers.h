#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

// The stream 1 handlers. Each first checks the body's shape (S9F7 when it is wrong), answers
// only a primary that expects a reply, and raises the events the state model acts on. A
// run-time failure is reported by the dispatcher's trap around the handler; no reply follows.

/// S1F1 are you there: S1F2 {MDLN, SOFTREV}; raises ("GEMEstabComm", "CommEstablished").
void ReplyS1F1(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
/// S1F3 selected status request: S1F4 with one value a SVID by the shared value rules (L,0 for
/// an unknown one), or every top-level variable for an empty list. S9F7 when a SVID is not U4.
void ReplyS1F3(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
/// S1F11 status variable namelist: S1F12 {SVID, SVNAME, UNITS} a variable, L,0 for an unknown
/// one, a list member, or (with "S1F11SupportSV" "TRUE") a DV or EC. S9F7 for a bad SVID.
void ReplyS1F11(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
/// S1F13 establish communications: S1F14 {COMMACK 0, {MDLN, SOFTREV}}; raises
/// ("GEMEstabComm", "CommEstablished"). S9F11 for a non-empty list.
void ReplyS1F13(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
/// S1F15 request off-line: S1F16 OFLACK 0; raises ("GEMControl", "RequestOffline") unless the
/// control state is already host off-line.
void ReplyS1F15(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
/// S1F17 request on-line: S1F18 ONLACK 2 when on-line, 0 from host off-line (then raises
/// ("GEMControl", "RequestOnline") after the reply), 1 otherwise.
void ReplyS1F17(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
