#pragma once

#include <cstdint>

#include "secs/item.h"

namespace kest {

class GemContext;
class GEMEventReport;
struct KestRecTrace;

/// True when the GEM variable `name` ("WBITS5", "WBITS6", "WBITS10") asks for the W-bit.
bool WBitFrom(GemContext& control, const char* name);

/// Builds S6F11 for the event of `service` (DATAID 1, CEID, one entry per linked report that
/// has variables, each value by the value rules), tags it with `tid` and sends it through
/// `SendSECSTrans` with the event's name. Returns whether it was handed over.
bool SECSTrans_S6F11(GemContext& control, const GEMEventReport& service, std::int32_t tid);

/// Builds and sends the S6F1 trace data of `trace`: TRID, SMPLN, STIME (16 characters) and
/// `samples`, the values of the samples it reports. Returns whether it was handed over.
bool SECSTrans_S6F1(GemContext& control, const KestRecTrace& trace, SecsItem samples);

}  // namespace kest
