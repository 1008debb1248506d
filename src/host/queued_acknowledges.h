#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

// The host's acknowledgements of equipment primaries, passed on to the equipment software as a
// label on the acknowledge queue: "ACKC5(n)", "ACKC6(n)", "ACKC7(n)", "ACKC10(n)" with the
// received code. The code is one value of 0 to 255 (B, or an integer format); anything else is
// answered with S9F7 about the reply and queues nothing.

/// S5F2 alarm report acknowledge.
void ReplyS5F2(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
/// S6F12 event report acknowledge.
void ReplyS6F12(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
/// S7F4 process program acknowledge.
void ReplyS7F4(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
/// S10F2 terminal request acknowledge.
void ReplyS10F2(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S7F6 process program data: queues PPID + ":Downloaded". An empty list (the host has no such
/// program) downloaded nothing and queues nothing; a PPID that is not A text gives S9F7.
void ReplyS7F6(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
