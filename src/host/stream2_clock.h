#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

// The host reads and sets the equipment's clock and checks the link with a loopback.

/// S2F17 date and time request: TIME (A) of 12 characters "yymmddhhmmss" when "TimeFormat" is
/// 0, else 16 characters "yyyymmddhhmmss00".
void ReplyS2F17(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S2F25 loopback diagnostic request: the value bytes of the first item come back as B,
/// whatever its format.
void ReplyS2F25(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S2F31 date and time set request: a TIME that is not numeric A text, or not a possible date
/// and time, gets S9F7; one not 12 or 16 characters long S9F11. TIACK 0 when the clock was set,
/// 1 when it refused (the time then unchanged).
void ReplyS2F31(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
