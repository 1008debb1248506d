#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

// The host defines and reads the limits of variables. A variable carries limits when its Min and
// Max are both set and differ and it is not the child of a list variable. LIMITIDs come as B or
// any unsigned format (1 to 255) and go back as B.

/// S2F45 define variable limit attributes: the whole message is checked before anything is
/// written; the first fault answers VLAACK 1 with the VID, its LVACK and, for a fault of one
/// limit, the LIMITID and LIMITACK. An empty list deletes every limit. Accepted: "LimitSetup".
void ReplyS2F45(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S2F47 variable limit attribute request: units, LIMITMIN, LIMITMAX and each limit in the
/// variable's format; L,0 for a VID that names no variable (or a child); an empty request lists
/// every variable that has limits.
void ReplyS2F47(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
