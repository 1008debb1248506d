#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kest {

class GemContext;

/// The 10-byte MHEAD of stream 9 messages: R-bit and device ID (0x80 0x00 from device ID 32768
/// up), the stream and function of the offending message, E-bit, block 1, no system bytes.
std::array<std::uint8_t, 10> BuildMHEAD(std::int32_t device_id, std::int32_t stream,
                                        std::int32_t function);

/// Sends S9F9 (transaction timer timeout) naming the message whose reply timed out, with this
/// equipment's device ID. Returns whether `SendSECSTrans` accepted it.
bool SECSTrans_S9F9(GemContext& control, std::int32_t stream, std::int32_t function);

/// Sends S9F13 (conversation timeout): L,2 {A MEXP, A EDID}. Returns whether it was accepted.
bool SECSTrans_S9F13(GemContext& control, const std::string& mexp, const std::string& edid);

}  // namespace kest
