#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

/// S2F23 trace initialize send L,5 {TRID, DSPER, TOTSMP, REPGSZ, L,n {SVID}}, answered with
/// TIAACK. S9F11 for a root list not of five; S9F7 for TRID, TOTSMP, REPGSZ or an SVID that is
/// not one U4 value, or a DSPER that is not A of six characters. TIAACK 3 for a DSPER "hhmmss"
/// with a part that is not two digits in range; 1 for REPGSZ outside 1..4, an empty SVID list or
/// an SVID that names no top-level variable; 2 when four other traces run. TOTSMP 0 stops the
/// trace ("TraceEnd"); otherwise the trace starts ("TraceStart"), replacing one of the same TRID.
void ReplyS2F23(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
