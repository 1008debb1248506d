#pragma once

#include <cstdint>

namespace kest {

class GemContext;
class SecsTransaction;

// The stream 9 errors the equipment answers a faulty host primary with. Each sends one B item
// holding the 10-byte MHEAD of the offending message (device ID with the R-bit, its stream and
// function, E-bit, block 1, no system bytes) through `SendSECSTrans` with no event name, and
// returns whether that send was accepted. A refusal is reported by `SendSECSTrans`; a failure
// while building is reported through the error trap as "EDPrimaryIn:SendS9F<n>".

/// S9F1 unrecognized device ID.
bool SendS9F1(GemContext& control, std::int32_t device_id, std::int32_t stream,
              std::int32_t function);
/// S9F3 unrecognized stream type.
bool SendS9F3(GemContext& control, std::int32_t device_id, std::int32_t stream,
              std::int32_t function);
/// S9F5 unrecognized function type.
bool SendS9F5(GemContext& control, std::int32_t device_id, std::int32_t stream,
              std::int32_t function);
/// S9F7 illegal data.
bool SendS9F7(GemContext& control, std::int32_t device_id, std::int32_t stream,
              std::int32_t function);
/// S9F11 data too long.
bool SendS9F11(GemContext& control, std::int32_t device_id, std::int32_t stream,
               std::int32_t function);

/// S9F7 about the primary of `trans` (its device ID, stream and function).
bool SendS9F7(GemContext& control, const SecsTransaction& trans);
/// S9F11 about the primary of `trans`.
bool SendS9F11(GemContext& control, const SecsTransaction& trans);

}  // namespace kest
