#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

/// S10F3 terminal display, single {TID, TEXT}: ACKC10 0, then the text, trimmed and stamped
/// "S10F3" + local "yyyymmdd hh:mm:ss" + "> ", is stored as the last message from the host and
/// raised as "MessageReceived". A blank text closes the terminal message window instead and
/// raises "TEXT" "NULL", the stored message unchanged. S9F7 for a missing body or a TEXT not
/// of format A, S9F11 for a list not of two. The TID is not used.
void ReplyS10F3(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S10F5 terminal display, multi-block {TID, L,n {TEXT}}: as S10F3, with the trimmed lines
/// joined by "|" (blank leading lines are skipped) under the same "S10F3" stamp. S9F7 for a
/// missing body or a line not of format A, S9F11 for a list not of two.
void ReplyS10F5(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
