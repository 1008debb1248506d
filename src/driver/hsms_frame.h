#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

/// HSMS framing (SEMI E37): the 4-byte length prefix and the 10-byte message header. Pure
/// functions and a byte-stream reader, free of sockets, so they can be fuzzed and tested alone.
namespace kest::hsms {

inline constexpr std::size_t kLengthSize = 4;
inline constexpr std::size_t kHeaderSize = 10;
inline constexpr std::size_t kPrefixSize = kLengthSize + kHeaderSize;
/// Session ID of every control message in HSMS-SS.
inline constexpr std::uint16_t kControlSessionId = 0xFFFF;
/// The largest body the 32-bit length field can announce.
inline constexpr std::size_t kMaxBodySize = 0xFFFFFFFFu - kHeaderSize;

/// Session type, header byte 5.
enum class SType : std::uint8_t {
    Data = 0,
    SelectReq = 1,
    SelectRsp = 2,
    DeselectReq = 3,
    DeselectRsp = 4,
    LinktestReq = 5,
    LinktestRsp = 6,
    RejectReq = 7,
    SeparateReq = 9,
};

/// Select.rsp status, header byte 3.
enum class SelectStatus : std::uint8_t {
    Established = 0,
    AlreadyActive = 1,
    NotReady = 2,
    ConnectExhaust = 3,
};

/// Reject.req reason, header byte 3.
enum class RejectReason : std::uint8_t {
    STypeNotSupported = 1,
    PTypeNotSupported = 2,
    TransactionNotOpen = 3,
    EntityNotSelected = 4,
};

/// The 10-byte message header, field by field.
struct Header {
    std::uint16_t session_id = 0;  ///< bytes 0-1: device ID of data messages, 0xFFFF for control
    std::uint8_t byte2 = 0;        ///< W-bit and stream of data messages
    std::uint8_t byte3 = 0;        ///< function of data messages
    std::uint8_t ptype = 0;        ///< 0: SECS-II
    std::uint8_t stype = 0;        ///< `SType`
    std::uint32_t system_bytes = 0;

    /// True for a data message (SType 0).
    bool IsData() const noexcept { return stype == 0; }
    /// The W-bit of a data message.
    bool ReplyExpected() const noexcept { return (byte2 & 0x80) != 0; }
    /// The stream of a data message, 0 to 127.
    int Stream() const noexcept { return byte2 & 0x7F; }
    /// The function of a data message, 0 to 255.
    int Function() const noexcept { return byte3; }

    friend bool operator==(const Header&, const Header&) = default;
};

/// The header of a data message. `stream` 0 to 127 and `function` 0 to 255 (not checked: the
/// message model guarantees them).
Header DataHeader(std::uint16_t device_id, int stream, int function, bool reply_expected,
                  std::uint32_t system_bytes) noexcept;

/// The header of an HSMS-SS control message: session ID 0xFFFF, the bytes given, PType 0.
Header ControlHeader(SType stype, std::uint32_t system_bytes, std::uint8_t byte2 = 0,
                     std::uint8_t byte3 = 0) noexcept;

/// The 10 header bytes, big-endian.
std::array<std::uint8_t, kHeaderSize> EncodeHeader(const Header& header) noexcept;
/// The header read from its 10 bytes (every bit pattern is a header; checks come later).
Header DecodeHeader(std::span<const std::uint8_t, kHeaderSize> bytes) noexcept;

/// Length prefix and header for a body of `body_size` bytes (at most `kMaxBodySize`).
std::array<std::uint8_t, kPrefixSize> EncodePrefix(const Header& header,
                                                   std::size_t body_size) noexcept;
/// A whole frame: length prefix, header, body.
std::vector<std::uint8_t> EncodeFrame(const Header& header,
                                      std::span<const std::uint8_t> body = {});

/// "Select.req", "Linktest.rsp", "data" ...; "SType 8" for a type HSMS does not define.
std::string STypeName(std::uint8_t stype);
/// "status 1 (already active)" style text for Select.rsp status codes.
std::string SelectStatusText(std::uint8_t status);
/// "reason 4 (entity not selected)" style text for Reject.req reason codes.
std::string RejectReasonText(std::uint8_t reason);

/// A length field that no valid frame can carry. The stream cannot be resynchronised after it.
class FrameError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// One frame cut from the byte stream. `body` points into the reader's buffer and stays valid
/// until the reader's next `Prepare`.
struct Frame {
    Header header;
    std::span<const std::uint8_t> body;
};

/// Cuts a TCP byte stream into frames. Bytes are read straight into its buffer (`Prepare`,
/// `Commit`), then `Next` yields each complete frame. A length field is checked as soon as its
/// four bytes are in, before room for the message is made, so a hostile length costs nothing.
class FrameReader {
  public:
    /// `max_body_size`: the largest body accepted (the length field counts 10 more bytes).
    explicit FrameReader(std::size_t max_body_size);

    /// Room for the next read at the end of the buffer: the rest of the frame once its length
    /// is in, else at least `at_least` bytes.
    std::span<std::uint8_t> Prepare(std::size_t at_least);
    /// Records that `count` bytes were written into the room `Prepare` gave.
    void Commit(std::size_t count);
    /// Copies `bytes` in (`Prepare` + `Commit`), for callers that hold bytes already.
    void Append(std::span<const std::uint8_t> bytes);

    /// The next complete frame, or nothing until more bytes arrive. Raises `FrameError` for a
    /// length below 10 or a body above the maximum; the reader is unusable afterwards.
    std::optional<Frame> Next();

    /// True while bytes of an unfinished frame are buffered (T8 runs then).
    bool InMessage() const noexcept { return end_ > begin_; }
    /// Bytes of the unfinished frame received so far.
    std::size_t Buffered() const noexcept { return end_ - begin_; }
    /// Bytes the unfinished frame needs in all (0 until its length field is complete).
    std::size_t Expected() const noexcept;

  private:
    std::span<std::uint8_t> Room(std::size_t at_least);
    void Reserve(std::size_t capacity);

    std::size_t max_body_size_;
    // Not a vector: its zero-fill of every new byte cost as much as the read itself.
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;  // first unread byte
    std::size_t end_ = 0;    // one past the last received byte
    bool last_frame_large_ = false;
};

}  // namespace kest::hsms
