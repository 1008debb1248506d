#include "driver/hsms_frame.h"

#include <gtest/gtest.h>
#include <algorithm>

#include "secs/hex.h"

namespace kest::hsms {
namespace {

using test::Hex;
using test::ToHex;

std::string Frame(const Header& header, std::span<const std::uint8_t> body = {}) {
    return ToHex(EncodeFrame(header, body));
}

// Data messages: session ID = device ID, byte 2 = W-bit | stream, byte 3 = function, PType 0,
// SType 0; the length counts header and body.
TEST(DataHeader, MatchesTheStandardLayout) {
    EXPECT_EQ(Frame(DataHeader(1, 1, 1, true, 0x12345678)),
              "00 00 00 0a 00 01 81 01 00 00 12 34 56 78");
    EXPECT_EQ(Frame(DataHeader(0x7FFF, 6, 11, true, 1)),
              "00 00 00 0a 7f ff 86 0b 00 00 00 00 00 01");
    EXPECT_EQ(Frame(DataHeader(0, 1, 2, false, 0xFFFFFFFF)),
              "00 00 00 0a 00 00 01 02 00 00 ff ff ff ff");
    EXPECT_EQ(Frame(DataHeader(300, 127, 255, false, 2)),
              "00 00 00 0a 01 2c 7f ff 00 00 00 00 00 02");
    EXPECT_EQ(Frame(DataHeader(2, 9, 0, false, 3)), "00 00 00 0a 00 02 09 00 00 00 00 00 00 03");
    auto body = Hex("01 02 b1 04 00 00 00 01 41 01 78");
    EXPECT_EQ(Frame(DataHeader(1, 1, 3, true, 5), body),
              "00 00 00 15 00 01 81 03 00 00 00 00 00 05 01 02 b1 04 00 00 00 01 41 01 78");
}

// The same two frames cut into pieces of every size must come out whole and in order, copied in
// (odd sizes) or read into the room the reader gives (even sizes).
class ChunkedStream : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ChunkedStream, YieldsWholeFramesWhateverTheCuts) {
    auto body = Hex("01 02 b1 04 00 00 00 01 41 01 78");
    auto first = EncodeFrame(DataHeader(1, 1, 3, true, 5), body);
    auto second = EncodeFrame(ControlHeader(SType::LinktestReq, 6));
    std::vector<std::uint8_t> stream = first;
    stream.insert(stream.end(), second.begin(), second.end());

    FrameReader reader(1024);
    std::vector<std::pair<Header, std::vector<std::uint8_t>>> frames;
    std::size_t chunk = GetParam();
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
        std::size_t n = std::min(chunk, stream.size() - at);
        if (chunk % 2 == 1) {
            reader.Append(std::span(stream.data() + at, n));
        } else {
            for (std::size_t fed = 0; fed < n;) {  // as a socket read: into the room given
                auto room = reader.Prepare(chunk);
                std::size_t count = std::min(room.size(), n - fed);
                std::copy_n(stream.data() + at + fed, count, room.begin());
                reader.Commit(count);
                fed += count;
            }
        }
        while (auto frame = reader.Next()) {
            frames.emplace_back(frame->header,
                                std::vector<std::uint8_t>(frame->body.begin(), frame->body.end()));
        }
        bool at_frame_end = at + n == first.size() || at + n == stream.size();
        EXPECT_EQ(reader.InMessage(), !at_frame_end) << "after " << at + n << " bytes";
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].first, DataHeader(1, 1, 3, true, 5));
    EXPECT_EQ(frames[0].second, body);
    EXPECT_EQ(frames[1].first, ControlHeader(SType::LinktestReq, 6));
    EXPECT_TRUE(frames[1].second.empty());
}

INSTANTIATE_TEST_SUITE_P(FrameReader, ChunkedStream,
                         ::testing::Values(1, 2, 3, 4, 5, 13, 14, 25, 100));

// Lengths no frame can carry fail as soon as the 4 length bytes are in, before any room for the
// announced message is made; the largest allowed body is accepted.
TEST(FrameReader, RejectsImpossibleLengthsAtOnce) {
    struct Case {
        const char* length;
        bool ok;
    };
    for (auto c : {Case{"00 00 00 00", false}, Case{"00 00 00 09", false},
                   Case{"00 00 00 0a", true}, Case{"00 00 00 6e", true},  // 10 + 100
                   Case{"00 00 00 6f", false}, Case{"ff ff ff ff", false}}) {
        FrameReader reader(100);
        reader.Append(Hex(c.length));
        if (c.ok) {
            EXPECT_NO_THROW(reader.Next()) << c.length;
        } else {
            EXPECT_THROW(reader.Next(), FrameError) << c.length;
            EXPECT_LT(reader.Prepare(0).size() + reader.Buffered(), 100u * 1024) << c.length;
        }
    }
}

}  // namespace
}  // namespace kest::hsms
