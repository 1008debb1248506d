#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

/// S2F41 host command send: checks the message (S9F11 for a wrong list length, S9F7 for a wrong
/// item), turns it into a `KestCommand` with its parameters, registers it and raises
/// `CommandNotification`; the application answers with `ReplyCommand` (S2F42).
void ReplyS2F41(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S2F49 enhanced remote command: as S2F41 with OBJSPEC; a list-valued CEPVAL becomes one input
/// whose value joins the list's values with "," ("TypeA"), any other a plain input
/// ("TypeDefault"). Answered by `ReplyCommand` with S2F50.
void ReplyS2F49(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
