#include "driver/secs1_block.h"

#include <algorithm>

namespace kest::secs1 {

std::uint16_t Checksum(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t byte : bytes)
        sum += byte;
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

std::array<std::uint8_t, kHeaderSize> EncodeHeader(const BlockHeader& header) {
    return {
        static_cast<std::uint8_t>((header.r_bit ? 0x80 : 0) | ((header.device_id >> 8) & 0x7F)),
        static_cast<std::uint8_t>(header.device_id & 0xFF),
        static_cast<std::uint8_t>((header.w_bit ? 0x80 : 0) | (header.stream & 0x7F)),
        header.function,
        static_cast<std::uint8_t>((header.e_bit ? 0x80 : 0) | ((header.block_number >> 8) & 0x7F)),
        static_cast<std::uint8_t>(header.block_number & 0xFF),
        static_cast<std::uint8_t>(header.system_bytes >> 24),
        static_cast<std::uint8_t>(header.system_bytes >> 16),
        static_cast<std::uint8_t>(header.system_bytes >> 8),
        static_cast<std::uint8_t>(header.system_bytes),
    };
}

BlockHeader DecodeHeader(std::span<const std::uint8_t, kHeaderSize> b) {
    BlockHeader header;
    header.r_bit = (b[0] & 0x80) != 0;
    header.device_id = static_cast<std::uint16_t>(((b[0] & 0x7F) << 8) | b[1]);
    header.w_bit = (b[2] & 0x80) != 0;
    header.stream = static_cast<std::uint8_t>(b[2] & 0x7F);
    header.function = b[3];
    header.e_bit = (b[4] & 0x80) != 0;
    header.block_number = static_cast<std::uint16_t>(((b[4] & 0x7F) << 8) | b[5]);
    header.system_bytes = (std::uint32_t{b[6]} << 24) | (std::uint32_t{b[7]} << 16) |
                          (std::uint32_t{b[8]} << 8) | b[9];
    return header;
}

std::vector<std::uint8_t> EncodeBlock(const Block& block) {
    std::size_t data_size = std::min(block.data.size(), kMaxBlockData);
    std::vector<std::uint8_t> out;
    out.reserve(1 + kHeaderSize + data_size + 2);
    out.push_back(static_cast<std::uint8_t>(kHeaderSize + data_size));
    auto header = EncodeHeader(block.header);
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), block.data.begin(),
               block.data.begin() + static_cast<std::ptrdiff_t>(data_size));
    std::uint16_t sum = Checksum(std::span(out).subspan(1));
    out.push_back(static_cast<std::uint8_t>(sum >> 8));
    out.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return out;
}

std::vector<Block> SplitMessage(const MessageHeader& header, bool r_bit,
                                std::span<const std::uint8_t> body) {
    std::vector<Block> blocks;
    std::size_t at = 0;
    do {
        std::size_t n = std::min(kMaxBlockData, body.size() - at);
        Block block;
        block.header.r_bit = r_bit;
        block.header.device_id = static_cast<std::uint16_t>(header.device_id & 0x7FFF);
        block.header.w_bit = header.reply_expected;
        block.header.stream = static_cast<std::uint8_t>(header.stream);
        block.header.function = static_cast<std::uint8_t>(header.function);
        block.header.block_number = static_cast<std::uint16_t>(blocks.size() + 1);
        block.header.system_bytes = header.system_bytes;
        block.data.assign(body.begin() + static_cast<std::ptrdiff_t>(at),
                          body.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
        block.header.e_bit = at == body.size();
        blocks.push_back(std::move(block));
    } while (at < body.size());
    return blocks;
}

MessageHeader ToMessageHeader(const BlockHeader& header) {
    return MessageHeader{header.device_id, header.stream, header.function, header.w_bit,
                         header.system_bytes};
}

std::string DescribeBlock(const BlockHeader& header, std::size_t data_size) {
    std::string text = "S";
    text += std::to_string(header.stream);
    text += 'F';
    text += std::to_string(header.function);
    text += header.w_bit ? " W" : "";
    text += header.r_bit ? " R" : "";
    text += " DeviceID=" + std::to_string(header.device_id);
    text += " Block=" + std::to_string(header.block_number);
    text += header.e_bit ? " E" : "";
    text += " Data=" + std::to_string(data_size);
    text += " SystemBytes=" + SystemBytesText(header.system_bytes);
    return text;
}

BlockReader::Status BlockReader::Push(std::uint8_t byte) {
    if (size_ == 0 && (byte < kMinLength || byte > kMaxLength)) return Status::BadLength;
    if (size_ >= bytes_.size()) return Status::BadLength;  // misuse: a finished block
    bytes_[size_++] = byte;
    std::size_t total = 1 + std::size_t{bytes_[0]} + 2;
    if (size_ < total) return Status::More;
    auto content = std::span(bytes_).subspan(1, bytes_[0]);
    std::uint16_t expected =
        static_cast<std::uint16_t>((bytes_[total - 2] << 8) | bytes_[total - 1]);
    return Checksum(content) == expected ? Status::Complete : Status::BadChecksum;
}

Block BlockReader::Take() const {
    Block block;
    block.header = DecodeHeader(std::span(bytes_).subspan<1, kHeaderSize>());
    block.data.assign(bytes_.begin() + 1 + kHeaderSize, bytes_.begin() + 1 + bytes_[0]);
    return block;
}

}  // namespace kest::secs1
