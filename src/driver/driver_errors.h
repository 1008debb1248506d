#pragma once

#include <string>
#include <string_view>

namespace kest::driver_error {

// The codes the control acts on (they reach the application unchanged).

/// No reply within T3. Raised through `Error` with the primary's stream, function, system bytes
/// and name; the text ends with the name ("S6F11").
inline constexpr int kReplyTimeout = 2012;
/// A message did not reach the remote entity: the port was closed or not selected, the body could
/// not be encoded, the connection ended before it was written, or the remote entity rejected it.
/// Raised through `Error` with the message's stream, function, system bytes and name; the text
/// ends with the name.
inline constexpr int kSendFailed = 2015;
/// The remote entity closed the connection or sent Separate.req.
inline constexpr int kConnectionClosed = 3002;
/// Connected. Reserved: the driver reports a selected session through `Connect`, never as an error.
inline constexpr int kConnected = 3004;
/// No Select.rsp or Linktest.rsp within T6; on SECS-I, a block whose retries ran out (no EOT or
/// ACK within T2, or NAK, RTY + 1 times).
inline constexpr int kControlTimeout = 3005;
/// The connection was not selected within T7.
inline constexpr int kNotSelectedTimeout = 3013;
/// A message stopped arriving for longer than T8 in the middle; on SECS-I, its next block did
/// not come within T4.
inline constexpr int kInterCharacterTimeout = 3014;
/// The socket failed (reset, broken pipe, unreachable network), or the remote entity stopped
/// reading: the send queue passed `MaxSendQueueSize` or a write made no progress within
/// `WriteTimeout`.
inline constexpr int kNetworkError = 3024;

// The driver's own codes (reported, not acted on by the control).

/// A received data message whose body is not valid SECS-II. It still arrives as
/// `ReceivedPrimary` or `ReceivedSecondary` with this code; its body is empty, its header exact.
inline constexpr int kUndecodableBody = 2016;
/// The SECS-II log could not be written; reported once until a write succeeds again.
inline constexpr int kLogWriteFailed = 2020;
/// The port could not be opened: unsupported port type or mode, bad address, listen failure.
inline constexpr int kPortOpenFailed = 3000;
/// An active connection attempt failed; the next follows after T5. Reported for the first failure
/// of a series and whenever the reason changes.
inline constexpr int kConnectFailed = 3001;
/// A connection was refused: a second connection while one is open, or Select.rsp with a
/// non-zero status.
inline constexpr int kConnectionRefused = 3003;
/// The application closed the port (`Disconnect` code; Separate.req was sent first).
inline constexpr int kPortClosed = 3006;
/// The remote entity broke the protocol. On SECS-I: a block out of order, or a message above
/// the size limit, is dropped and the line stays up. On HSMS: a length field out of bounds ends the
/// connection; a message of unknown type, a wrong PType or data before selection is answered with
/// Reject.req and the connection stays up.
inline constexpr int kProtocolError = 3007;

}  // namespace kest::driver_error
