#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

// The host's wafer-map replies, stored into "secs_S12data_HostToEquip": each item's format
// name and its value as text go to the existing row of its name and occurrence ("NotUsed", or
// "1", "2", ... for repeated items); rows are never added. Repeated items also store their
// count ("S12F4_ChildCount", "S12F14_ChildCount", "S12F18_ChildCount"), and "S12_Trigger"
// takes the reply's name last, all in one transaction. The whole reply is checked first: a
// wrong shape gets S9F7, more than a million repeated items S9F11, and nothing is stored.
// S12F4 is also taken as a primary from the host; it is stored the same way and not answered.

void ReplyS12F2(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
void ReplyS12F4(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
void ReplyS12F6(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
void ReplyS12F8(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
void ReplyS12F10(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
void ReplyS12F12(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
void ReplyS12F14(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
void ReplyS12F16(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);
void ReplyS12F18(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
