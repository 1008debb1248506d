#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

// The host reads, changes and lists equipment constants: variables of either table whose type is
// "EC". ECIDs must be U4 items of one value, else S9F7.

/// S2F13 equipment constant request: each value by the value routine, a zero-length A for an ID
/// that is not a constant; L,0 asks for every constant, GEM table first.
void ReplyS2F13(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S2F15 new equipment constant send: every pair is checked before anything is written (EAC 1
/// not a constant, EAC 4 outside Min..Max, S9F7 for a value of another format, S9F11 for an empty
/// list); then the request is recorded in secs_ec_changed, the values are written (EAC 2 when one
/// cannot be) and "ConstantChanged" lists the constants written.
void ReplyS2F15(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S2F29 equipment constant namelist request: {ECID, ECNAME, ECMIN, ECMAX, ECDEF, UNITS} per
/// constant, L,0 for an ID that is not one; L,0 asks for every constant.
void ReplyS2F29(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
