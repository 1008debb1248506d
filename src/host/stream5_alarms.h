#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

/// S5F3 enable/disable alarm send {ALED, ALID}: bit 8 of ALED enables, the other bits are
/// ignored; a zero-length U4 ALID means every alarm. ACKC5 0 and "AlarmEnableChanged" when the
/// database took it, 1 (an unknown alarm) otherwise. S9F11 for a list not of two, S9F7 for ALED
/// not one B byte or ALID not U4.
void ReplyS5F3(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S5F5 list alarms request: a U4 ALID of zero values lists every alarm once in table order,
/// otherwise the alarms given in that order (one without a row is left out); each as
/// {ALCD 128 enabled or 0, ALID, ALTX}. S9F7 for an ALID that is not U4.
void ReplyS5F5(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S5F7 list enabled alarm request (header only): the enabled alarms, ALCD 128 each.
void ReplyS5F7(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
