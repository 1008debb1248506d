#include "driver/hsms_frame.h"

#include <algorithm>
#include <cstring>

namespace kest::hsms {

namespace {

void PutU32(std::uint8_t* out, std::uint32_t value) noexcept {
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

std::uint32_t GetU32(const std::uint8_t* in) noexcept {
    return (std::uint32_t{in[0]} << 24) | (std::uint32_t{in[1]} << 16) |
           (std::uint32_t{in[2]} << 8) | std::uint32_t{in[3]};
}

// A buffer above this size is let go after the first smaller frame: a run of large messages
// (a recipe transfer, a map) reuses it, and an idle link does not keep it long.
constexpr std::size_t kRetainedBuffer = 256 * 1024;

}  // namespace

Header DataHeader(std::uint16_t device_id, int stream, int function, bool reply_expected,
                  std::uint32_t system_bytes) noexcept {
    Header h;
    h.session_id = device_id;
    h.byte2 = static_cast<std::uint8_t>((reply_expected ? 0x80 : 0) | (stream & 0x7F));
    h.byte3 = static_cast<std::uint8_t>(function);
    h.stype = static_cast<std::uint8_t>(SType::Data);
    h.system_bytes = system_bytes;
    return h;
}

Header ControlHeader(SType stype, std::uint32_t system_bytes, std::uint8_t byte2,
                     std::uint8_t byte3) noexcept {
    Header h;
    h.session_id = kControlSessionId;
    h.byte2 = byte2;
    h.byte3 = byte3;
    h.stype = static_cast<std::uint8_t>(stype);
    h.system_bytes = system_bytes;
    return h;
}

std::array<std::uint8_t, kHeaderSize> EncodeHeader(const Header& header) noexcept {
    std::array<std::uint8_t, kHeaderSize> out{};
    out[0] = static_cast<std::uint8_t>(header.session_id >> 8);
    out[1] = static_cast<std::uint8_t>(header.session_id);
    out[2] = header.byte2;
    out[3] = header.byte3;
    out[4] = header.ptype;
    out[5] = header.stype;
    PutU32(out.data() + 6, header.system_bytes);
    return out;
}

Header DecodeHeader(std::span<const std::uint8_t, kHeaderSize> bytes) noexcept {
    Header h;
    h.session_id = static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
    h.byte2 = bytes[2];
    h.byte3 = bytes[3];
    h.ptype = bytes[4];
    h.stype = bytes[5];
    h.system_bytes = GetU32(bytes.data() + 6);
    return h;
}

std::array<std::uint8_t, kPrefixSize> EncodePrefix(const Header& header,
                                                   std::size_t body_size) noexcept {
    std::array<std::uint8_t, kPrefixSize> out{};
    PutU32(out.data(), static_cast<std::uint32_t>(body_size + kHeaderSize));
    auto h = EncodeHeader(header);
    std::copy(h.begin(), h.end(), out.begin() + kLengthSize);
    return out;
}

std::vector<std::uint8_t> EncodeFrame(const Header& header, std::span<const std::uint8_t> body) {
    auto prefix = EncodePrefix(header, body.size());
    std::vector<std::uint8_t> out(kPrefixSize + body.size());
    std::memcpy(out.data(), prefix.data(), kPrefixSize);
    if (!body.empty()) std::memcpy(out.data() + kPrefixSize, body.data(), body.size());
    return out;
}

std::string STypeName(std::uint8_t stype) {
    switch (static_cast<SType>(stype)) {
        case SType::Data:
            return "data";
        case SType::SelectReq:
            return "Select.req";
        case SType::SelectRsp:
            return "Select.rsp";
        case SType::DeselectReq:
            return "Deselect.req";
        case SType::DeselectRsp:
            return "Deselect.rsp";
        case SType::LinktestReq:
            return "Linktest.req";
        case SType::LinktestRsp:
            return "Linktest.rsp";
        case SType::RejectReq:
            return "Reject.req";
        case SType::SeparateReq:
            return "Separate.req";
    }
    return "SType " + std::to_string(stype);
}

std::string SelectStatusText(std::uint8_t status) {
    static constexpr const char* kTexts[] = {"established", "already active", "not ready",
                                             "connect exhaust"};
    std::string text = "status " + std::to_string(status);
    if (status < std::size(kTexts)) text += std::string(" (") + kTexts[status] + ")";
    return text;
}

std::string RejectReasonText(std::uint8_t reason) {
    static constexpr const char* kTexts[] = {"", "SType not supported", "PType not supported",
                                             "transaction not open", "entity not selected"};
    std::string text = "reason " + std::to_string(reason);
    if (reason >= 1 && reason < std::size(kTexts)) {
        text += std::string(" (") + kTexts[reason] + ")";
    }
    return text;
}

FrameReader::FrameReader(std::size_t max_body_size)
    : max_body_size_(std::min(max_body_size, kMaxBodySize)) {}

std::span<std::uint8_t> FrameReader::Prepare(std::size_t at_least) {
    // Once the length is in (and checked by Next), the rest of the frame is what is asked for:
    // a large message gets its room once and is read in place, never grown and copied.
    std::size_t frame = Expected();
    if (frame > Buffered() && frame - kPrefixSize <= max_body_size_) at_least = frame - Buffered();
    return Room(at_least);
}

std::span<std::uint8_t> FrameReader::Room(std::size_t at_least) {
    if (begin_ == end_) {
        begin_ = end_ = 0;
        if (capacity_ > kRetainedBuffer && !last_frame_large_) Reserve(0);
    }
    if (capacity_ - end_ < at_least) {
        const std::size_t kept = end_ - begin_;
        if (capacity_ - kept >= at_least) {  // moving the unread bytes down makes the room
            std::memmove(buffer_.get(), buffer_.get() + begin_, kept);
            end_ = kept;
            begin_ = 0;
        } else {  // a new buffer, which takes only the unread bytes along
            Reserve(std::max(kept + at_least, 2 * capacity_));
        }
    }
    return {buffer_.get() + end_, capacity_ - end_};
}

void FrameReader::Reserve(std::size_t capacity) {
    std::unique_ptr<std::uint8_t[]> bigger;
    if (capacity > 0) {
        bigger = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
        if (end_ > begin_) std::memcpy(bigger.get(), buffer_.get() + begin_, end_ - begin_);
    }
    end_ -= begin_;
    begin_ = 0;
    buffer_ = std::move(bigger);
    capacity_ = capacity;
}

void FrameReader::Commit(std::size_t count) {
    end_ += std::min(count, capacity_ - end_);
}

void FrameReader::Append(std::span<const std::uint8_t> bytes) {
    auto room = Room(bytes.size());
    std::copy(bytes.begin(), bytes.end(), room.begin());
    Commit(bytes.size());
}

std::size_t FrameReader::Expected() const noexcept {
    if (end_ - begin_ < kLengthSize) return 0;
    return kLengthSize + GetU32(buffer_.get() + begin_);
}

std::optional<Frame> FrameReader::Next() {
    std::size_t available = end_ - begin_;
    if (available < kLengthSize) return std::nullopt;
    std::uint32_t length = GetU32(buffer_.get() + begin_);
    if (length < kHeaderSize) {
        throw FrameError("message length " + std::to_string(length) +
                         " is shorter than the 10-byte header");
    }
    if (length - kHeaderSize > max_body_size_) {
        throw FrameError("message length " + std::to_string(length) + " exceeds the maximum of " +
                         std::to_string(max_body_size_ + kHeaderSize) + " bytes");
    }
    if (available - kLengthSize < length) return std::nullopt;
    const std::uint8_t* start = buffer_.get() + begin_ + kLengthSize;
    Frame frame{DecodeHeader(std::span<const std::uint8_t, kHeaderSize>(start, kHeaderSize)),
                std::span<const std::uint8_t>(start + kHeaderSize, length - kHeaderSize)};
    begin_ += kLengthSize + length;
    last_frame_large_ = kLengthSize + length > kRetainedBuffer;
    return frame;
}

}  // namespace kest::hsms
