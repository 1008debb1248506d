#pragma once

#include <cstdint>

namespace kest {

class GemContext;

/// Sends S2F17 (header only, W-bit) with tag `tid` through the control's `SendSECSTrans` with
/// the event name "NULL", so it needs the port open, communication established and the control
/// online (errors 4019, 4020, 4021 there) and may be spooled. Returns whether it was sent.
bool SECSTrans_S2F17(GemContext& control, std::int32_t tid);

}  // namespace kest
