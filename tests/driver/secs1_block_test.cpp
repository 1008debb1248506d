#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/secs1_block.h"
#include "secs/hex.h"

namespace kest::test {
namespace {

using secs1::BlockReader;

std::string Repeat(const std::string& hex, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += hex + " ";
    return out;
}

// S6F11 W from the equipment, device 1, system bytes 7: 300 bytes of 0x01 take two blocks.
TEST(Secs1Block, SplitsAndEncodesToTheStandardLayout) {
    std::vector<std::uint8_t> body(300, 0x01);
    auto blocks = secs1::SplitMessage({1, 6, 11, true, 7}, true, body);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(ToHex(secs1::EncodeBlock(blocks[0])),
              "fe 80 01 86 0b 00 01 00 00 00 07 " + Repeat("01", 244) + "02 0e");
    EXPECT_EQ(ToHex(secs1::EncodeBlock(blocks[1])),
              "42 80 01 86 0b 80 02 00 00 00 07 " + Repeat("01", 56) + "01 d3");
    // The host's header-only S1F2: no R-bit, no W-bit, one empty block.
    auto reply = secs1::SplitMessage({0x1234, 1, 2, false, 0x01020304}, false, {});
    ASSERT_EQ(reply.size(), 1u);
    EXPECT_EQ(ToHex(secs1::EncodeBlock(reply[0])), "0a 12 34 01 02 80 01 01 02 03 04 00 d4");
    const auto header = secs1::EncodeHeader(blocks[1].header);
    EXPECT_EQ(secs1::DecodeHeader(header), blocks[1].header);
}

TEST(Secs1Block, ReaderChecksLengthAndChecksum) {
    struct Case {
        const char* name;
        std::string bytes;
        BlockReader::Status last;
        std::size_t pushed;  // bytes taken before the status came
    };
    const Case cases[] = {
        {"complete", "0a 12 34 01 02 80 01 01 02 03 04 00 d4", BlockReader::Status::Complete, 13},
        {"checksum off by one", "0a 12 34 01 02 80 01 01 02 03 04 00 d5",
         BlockReader::Status::BadChecksum, 13},
        {"length 9", "09", BlockReader::Status::BadLength, 1},
        {"length 255", "ff", BlockReader::Status::BadLength, 1},
        {"length 254 accepted", "fe 00", BlockReader::Status::More, 2},
        {"length 10 accepted", "0a", BlockReader::Status::More, 1},
    };
    for (const auto& c : cases) {
        BlockReader reader;
        auto bytes = Hex(c.bytes);
        auto status = BlockReader::Status::More;
        std::size_t pushed = 0;
        for (auto byte : bytes) {
            ++pushed;
            status = reader.Push(byte);
            if (status != BlockReader::Status::More) break;
        }
        EXPECT_EQ(status, c.last) << c.name;
        EXPECT_EQ(pushed, c.pushed) << c.name;
    }
}

}  // namespace
}  // namespace kest::test
