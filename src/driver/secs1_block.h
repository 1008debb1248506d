#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "driver/transport.h"

namespace kest::secs1 {

/// Line-control characters.
inline constexpr std::uint8_t kEnq = 0x05;
inline constexpr std::uint8_t kEot = 0x04;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;

inline constexpr std::size_t kHeaderSize = 10;
inline constexpr std::size_t kMaxBlockData = 244;
/// The length byte counts header and data: 10 to 254.
inline constexpr std::size_t kMinLength = kHeaderSize;
inline constexpr std::size_t kMaxLength = kHeaderSize + kMaxBlockData;
/// The largest block number (15 bits).
inline constexpr std::uint16_t kMaxBlockNumber = 0x7FFF;

/// The 10-byte block header.
struct BlockHeader {
    bool r_bit = false;           ///< set on blocks the equipment sends to the host
    std::uint16_t device_id = 0;  ///< 15 bits
    bool w_bit = false;
    std::uint8_t stream = 0;  ///< 7 bits
    std::uint8_t function = 0;
    bool e_bit = false;              ///< last block of its message
    std::uint16_t block_number = 0;  ///< 15 bits
    std::uint32_t system_bytes = 0;

    friend bool operator==(const BlockHeader&, const BlockHeader&) = default;
};

/// One block: its header and 0 to 244 data bytes.
struct Block {
    BlockHeader header;
    std::vector<std::uint8_t> data;
};

/// The 16-bit arithmetic sum of `bytes`.
std::uint16_t Checksum(std::span<const std::uint8_t> bytes);
/// The header's 10 bytes.
std::array<std::uint8_t, kHeaderSize> EncodeHeader(const BlockHeader& header);
/// The header read from 10 bytes.
BlockHeader DecodeHeader(std::span<const std::uint8_t, kHeaderSize> bytes);
/// What goes on the line after EOT: length byte, header, data, checksum (high byte first).
std::vector<std::uint8_t> EncodeBlock(const Block& block);
/// A message cut into blocks of at most 244 bytes, numbered from 1, the last one with the E-bit.
/// An empty body gives one block without data.
std::vector<Block> SplitMessage(const MessageHeader& header, bool r_bit,
                                std::span<const std::uint8_t> body);
/// The message header a block carries.
MessageHeader ToMessageHeader(const BlockHeader& header);
/// "S1F1 W DeviceID=1 Block=1 E SystemBytes=0x00000001" for the SECS-I log.
std::string DescribeBlock(const BlockHeader& header, std::size_t data_size);

/// Collects the bytes of one block after EOT was sent: the length byte first, then as many
/// bytes as it announces plus the checksum. Never holds more than 257 bytes.
class BlockReader {
  public:
    enum class Status {
        More,         ///< the block is not complete yet
        Complete,     ///< a block with a good checksum: `Take` it
        BadLength,    ///< the length byte is outside 10 to 254
        BadChecksum,  ///< all bytes arrived but their sum does not match
    };

    /// Adds one byte; once a status other than `More` came, `Reset` before the next block.
    Status Push(std::uint8_t byte);
    /// The complete block; only after `Complete`.
    Block Take() const;
    /// Forgets everything received.
    void Reset() noexcept { size_ = 0; }
    /// True once the length byte arrived.
    bool Started() const noexcept { return size_ > 0; }

  private:
    std::array<std::uint8_t, 1 + kMaxLength + 2> bytes_{};
    std::size_t size_ = 0;
};

}  // namespace kest::secs1
