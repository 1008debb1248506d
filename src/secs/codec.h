#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "secs/item.h"
#include "secs/message.h"

namespace kest {

/// Bounds applied while decoding bytes from outside.
struct DecodeLimits {
    std::size_t max_message_size = 16 * 1024 * 1024;  ///< bytes of one message body
    std::size_t max_depth = 64;                       ///< nesting of lists
    std::size_t max_items = 1'000'000;                ///< items of one message body
};

/// Bytes that are not a valid SECS-II item, or an item that cannot be encoded.
class SecsCodecError : public std::runtime_error {
  public:
    SecsCodecError(const std::string& what, std::size_t offset)
        : std::runtime_error(what), offset_(offset) {}
    /// Where in the input the fault was found (0 for encoding faults).
    std::size_t Offset() const noexcept { return offset_; }

  private:
    std::size_t offset_;
};

/// The largest length an item header can carry (3 length bytes).
inline constexpr std::size_t kMaxItemLength = 0xFFFFFF;

/// The number of bytes `EncodeItem` produces for `item`.
std::size_t EncodedSize(const SecsItem& item);

/// Appends the SEMI E5 encoding of `item` to `out`: format byte with the smallest number of
/// length bytes, big-endian values, lists by element count. Raises `SecsCodecError` for the
/// variable format or a length beyond 3 length bytes.
void EncodeItem(const SecsItem& item, std::vector<std::uint8_t>& out);
std::vector<std::uint8_t> EncodeItem(const SecsItem& item);

/// Appends the body of `message`: nothing for a header-only message, else its one item.
/// Raises `SecsCodecError` when the root holds more than one item.
void EncodeBody(const SecsMessage& message, std::vector<std::uint8_t>& out);
std::vector<std::uint8_t> EncodeBody(const SecsMessage& message);

/// Decodes exactly one item filling all of `bytes`. Raises `SecsCodecError` for oversize input,
/// too deep nesting, too many items, a length byte count of 0, an unknown format, truncated
/// input, a length that is not whole values, a list claiming more elements than bytes remain,
/// and trailing bytes. Allocates only what the input bytes can justify.
SecsItem DecodeItem(std::span<const std::uint8_t> bytes, const DecodeLimits& limits = {});

/// Decodes a message body into `message.RootItem()`: no bytes give a header-only message,
/// otherwise exactly one item (as `DecodeItem`).
void DecodeBody(std::span<const std::uint8_t> bytes, SecsMessage& message,
                const DecodeLimits& limits = {});

}  // namespace kest
