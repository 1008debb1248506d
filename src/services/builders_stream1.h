#pragma once

#include <cstdint>

namespace kest {

class GemContext;
class GEMEstabComm;

/// Sends S1F1 (header only, W-bit) directly through the driver with tag `tid`. Returns whether
/// the driver took it.
bool SECSTrans_S1F1(GemContext& control, std::int32_t tid);

/// Sends S1F13 (W-bit) directly through the driver with tag `tid`: L,2 {A MDLN, A SOFTREV}
/// from the properties of `source`, as they stand (neither cut nor padded). Returns whether the
/// driver took it; a failure inside is reported as "modSECS:SECSTrans_S1F13".
bool SECSTrans_S1F13(GemContext& control, const GEMEstabComm& source, std::int32_t tid);

}  // namespace kest
