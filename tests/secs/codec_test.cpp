#include "secs/codec.h"

#include <gtest/gtest.h>

#include <limits>

#include "secs/build.h"
#include "secs/hex.h"

namespace kest {
namespace {

using namespace kest::build;
using test::Hex;
using test::ToHex;

std::string Encoded(const SecsItem& item) {
    return ToHex(EncodeItem(item));
}

// Each case: an item, its exact E5 bytes; decoding the bytes must give the item back.
struct Case {
    const char* name;
    SecsItem item;
    const char* hex;
};

class EveryFormat : public ::testing::TestWithParam<Case> {};

TEST_P(EveryFormat, EncodesExactlyAndDecodesBack) {
    const Case& c = GetParam();
    EXPECT_EQ(Encoded(c.item), ToHex(Hex(c.hex)));
    EXPECT_EQ(DecodeItem(Hex(c.hex)), c.item);
}

INSTANTIATE_TEST_SUITE_P(
    Codec, EveryFormat,
    ::testing::Values(
        Case{"list", L(U4(1), A("x")), "01 02 b1 04 00 00 00 01 41 01 78"},
        Case{"empty_list", L(), "01 00"}, Case{"binary", B({0x0A, 0x1F}), "21 02 0a 1f"},
        Case{"empty_binary", B(), "21 00"}, Case{"boolean", Boolean({true, false}), "25 02 01 00"},
        Case{"ascii", A("Hi"), "41 02 48 69"}, Case{"empty_ascii", A(), "41 00"},
        Case{"jis8", J("ab"), "45 02 61 62"}, Case{"i8", I8(-2), "61 08 ff ff ff ff ff ff ff fe"},
        Case{"i1", I1(-1, 127), "65 02 ff 7f"}, Case{"i2", I2(-32768), "69 02 80 00"},
        Case{"i4", I4(-2, 16909060), "71 08 ff ff ff fe 01 02 03 04"},
        Case{"f8", F8(1.0), "81 08 3f f0 00 00 00 00 00 00"},
        Case{"f4", F4(-2.5), "91 04 c0 20 00 00"},
        Case{"u8", U8(std::numeric_limits<std::uint64_t>::max()), "a1 08 ff ff ff ff ff ff ff ff"},
        Case{"u1", U1(0, 255), "a5 02 00 ff"}, Case{"u2", U2(258), "a9 02 01 02"},
        Case{"u4", U4(), "b1 00"},
        Case{"u4_array", U4(1, 2, 3), "b1 0c 00 00 00 01 00 00 00 02 00 00 00 03"},
        Case{"nested", L(L(), L(B({1}), L(U1(7)))), "01 02 01 00 01 02 21 01 01 01 01 a5 01 07"}),
    [](const auto& info) { return std::string(info.param.name); });

// The length takes as few bytes as it needs; lists count items, the others bytes.
TEST(Codec, LengthBytesGrowWithTheLength) {
    const struct {
        enmItemFormat format;
        std::size_t length;
        const char* header;
    } cases[] = {{enmItemFormat::FormatBinary, 255, "21 ff"},
                 {enmItemFormat::FormatBinary, 256, "22 01 00"},
                 {enmItemFormat::FormatAscii, 65535, "42 ff ff"},
                 {enmItemFormat::FormatAscii, 65536, "43 01 00 00"},
                 {enmItemFormat::FormatList, 300, "02 01 2c"}};
    for (const auto& c : cases) {
        SecsItem item(c.format);
        for (std::size_t i = 0; item.IsList() && i < c.length; ++i)
            item.AddItem(enmItemFormat::FormatU1);
        if (!item.IsList()) item.SetData(std::vector<std::uint8_t>(c.length, 'z'));
        std::vector<std::uint8_t> encoded = EncodeItem(item);
        std::string header = c.header;
        std::size_t header_size = (header.size() + 1) / 3;
        EXPECT_EQ(ToHex({encoded.begin(), encoded.begin() + header_size}), header);
        EXPECT_EQ(encoded.size(), header_size + (item.IsList() ? 2 * c.length : c.length));
        EXPECT_EQ(DecodeItem(encoded), item);
    }
}

TEST(Codec, LongerLengthFieldsThanNeededAreAccepted) {
    // Some hosts always send 2 or 3 length bytes.
    EXPECT_EQ(DecodeItem(Hex("43 00 00 01 78")), A("x"));
    EXPECT_EQ(DecodeItem(Hex("02 00 01 a5 01 07")), L(U1(7)));
}

TEST(Codec, EncodingRefusesWhatCannotBeSent) {
    EXPECT_THROW(EncodeItem(SecsItem(enmItemFormat::FormatVar)), SecsCodecError);
    SecsItem huge(enmItemFormat::FormatBinary);
    huge.SetData(std::vector<std::uint8_t>(kMaxItemLength + 1));
    EXPECT_THROW(EncodeItem(huge), SecsCodecError);
}

TEST(Codec, MessageBodies) {
    SecsMessage header_only(1, 1, true);
    EXPECT_TRUE(EncodeBody(header_only).empty());

    SecsMessage decoded(1, 2);
    DecodeBody({}, decoded);
    EXPECT_EQ(decoded.BodyCount(), 0u);
    DecodeBody(Hex("01 02 41 00 41 00"), decoded);
    EXPECT_EQ(decoded.BodyCount(), 1u);
    EXPECT_EQ(decoded.Item(1), L(A(), A()));

    SecsMessage two(1, 3);
    two.RootItem().AddItem(U4(1));
    two.RootItem().AddItem(U4(2));
    EXPECT_THROW(EncodeBody(two), SecsCodecError);
}

// Malformed input: each must be refused with an error, never crash or over-allocate.
struct Bad {
    const char* name;
    const char* hex;
    const char* reason;
};

class Malformed : public ::testing::TestWithParam<Bad> {};

TEST_P(Malformed, IsRejectedWithAClearError) {
    try {
        DecodeItem(Hex(GetParam().hex));
        FAIL() << "accepted " << GetParam().hex;
    } catch (const SecsCodecError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().reason), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codec, Malformed,
    ::testing::Values(Bad{"empty", "", "truncated"},
                      Bad{"zero_length_bytes", "40", "length byte count of 0"},
                      Bad{"unknown_format", "4d 00", "unknown format"},
                      Bad{"variable_format_on_wire", "fd 00", "unknown format"},
                      Bad{"missing_length_bytes", "42 00", "length bytes"},
                      Bad{"truncated_data", "41 05 61 62", "truncated"},
                      Bad{"truncated_list", "01 02 41 00", "elements"},
                      Bad{"list_claims_too_much", "03 ff ff ff 01 00", "elements"},
                      Bad{"partial_value", "b1 03 00 00 01", "not whole U4"},
                      Bad{"partial_i2", "69 01 00", "not whole I2"},
                      Bad{"trailing_bytes", "41 00 00", "trailing"},
                      Bad{"huge_claim", "23 ff ff ff", "truncated"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Codec, DepthItemCountAndSizeAreBounded) {
    std::vector<std::uint8_t> deep;
    for (int i = 0; i < 100; ++i) {
        deep.push_back(0x01);
        deep.push_back(0x01);
    }
    deep.push_back(0x01);
    deep.push_back(0x00);
    EXPECT_THROW(DecodeItem(deep), SecsCodecError);
    DecodeLimits generous;
    generous.max_depth = 200;
    EXPECT_NO_THROW(DecodeItem(deep, generous));

    DecodeLimits few;
    few.max_items = 3;
    EXPECT_NO_THROW(DecodeItem(Hex("01 02 41 00 41 00"), few));
    EXPECT_THROW(DecodeItem(Hex("01 03 41 00 41 00 41 00"), few), SecsCodecError);

    DecodeLimits small;
    small.max_message_size = 4;
    EXPECT_NO_THROW(DecodeItem(Hex("41 02 61 62"), small));
    EXPECT_THROW(DecodeItem(Hex("41 03 61 62 63"), small), SecsCodecError);
}

TEST(Codec, ErrorOffsetPointsAtTheFault) {
    try {
        DecodeItem(Hex("01 02 41 00 40 00"));
        FAIL();
    } catch (const SecsCodecError& e) {
        EXPECT_EQ(e.Offset(), 4u);
    }
}

}  // namespace
}  // namespace kest
