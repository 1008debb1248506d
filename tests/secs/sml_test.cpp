#include "secs/sml.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <random>

#include "secs/build.h"
#include "secs/codec.h"
#include "secs/hex.h"

namespace kest {
namespace {

using namespace kest::build;
using test::Hex;
using test::ToHex;

SecsItem WithData(enmItemFormat format, const std::vector<std::uint8_t>& data) {
    SecsItem item(format);
    item.SetData(data);
    return item;
}

template <typename Bits>
std::vector<std::uint8_t> BigEndian(Bits bits) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = sizeof(Bits); i-- > 0;)
        out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    return out;
}

// Each case: an item and its one-line SML; printing gives the text, reading the text the item.
struct Printed {
    const char* name;
    SecsItem item;
    const char* sml;
};

void PrintTo(const Printed& c, std::ostream* os) {
    *os << c.sml;
}

class SmlPrinted : public ::testing::TestWithParam<Printed> {};

TEST_P(SmlPrinted, PrintsAndReadsBack) {
    const Printed& c = GetParam();
    EXPECT_EQ(ToSmlLine(c.item), c.sml);
    EXPECT_EQ(ParseSml(c.sml), c.item);
    EXPECT_EQ(ParseSml(ToSml(c.item)), c.item);
}

INSTANTIATE_TEST_SUITE_P(
    Sml, SmlPrinted,
    ::testing::Values(
        Printed{"list", L(U4(1), A("x")), "<L [2] <U4 1> <A \"x\">>"},
        Printed{"empty_list", L(), "<L [0]>"},
        Printed{"nested", L(L(), L(B({0x0A}))), "<L [2] <L [0]> <L [1] <B 0x0A>>>"},
        Printed{"binary", B({0x0A, 0x1F, 0x00, 0xFF}), "<B 0x0A 0x1F 0x00 0xFF>"},
        Printed{"empty_binary", B(), "<B>"},
        Printed{"boolean", Boolean({true, false}), "<BOOLEAN TRUE FALSE>"},
        Printed{"boolean_other_byte", WithData(enmItemFormat::FormatBoolean, {0x02, 0x80}),
                "<BOOLEAN 0x02 0x80>"},
        Printed{"ascii", A("Hi there"), "<A \"Hi there\">"}, Printed{"empty_ascii", A(), "<A>"},
        Printed{"ascii_escapes", A("say \"hi\" \\o/ ~"), R"(<A "say \"hi\" \\o/ ~">)"},
        Printed{"ascii_unprintable", A(std::string("\r\n\t\0\x1F\x7F\x80\xFF", 8)),
                R"(<A "\r\n\t\x00\x1F\x7F\x80\xFF">)"},
        Printed{"jis8", J("ab"), "<J \"ab\">"}, Printed{"empty_jis8", J(), "<J>"},
        Printed{"jis8_yen_overline_kana", J("\xB1\xB2\xB3 \x5C\x7E\xA1\xDF"), "<J \"ｱｲｳ ¥‾｡ﾟ\">"},
        Printed{"jis8_escapes", J(std::string("\"\r\n\t\0\x1F\x7F", 7)),
                R"(<J "\"\r\n\t\x00\x1F\x7F">)"},
        Printed{"jis8_undefined_bytes", J("\x80\xA0\xE0\xFF"), R"(<J "\x80\xA0\xE0\xFF">)"},
        Printed{"i1", I1(-128, 0, 127), "<I1 -128 0 127>"},
        Printed{"i2", I2(-32768, 32767), "<I2 -32768 32767>"},
        Printed{"i4", I4(-2, 2147483647), "<I4 -2 2147483647>"},
        Printed{"i8", I8(std::numeric_limits<std::int64_t>::min(), -1),
                "<I8 -9223372036854775808 -1>"},
        Printed{"u1", U1(0, 255), "<U1 0 255>"}, Printed{"u2", U2(65535), "<U2 65535>"},
        Printed{"u4", U4(1, 2, 4294967295u), "<U4 1 2 4294967295>"},
        Printed{"u8", U8(std::numeric_limits<std::uint64_t>::max()), "<U8 18446744073709551615>"},
        Printed{"empty_u4", U4(), "<U4>"}, Printed{"empty_f8", F8(), "<F8>"},
        Printed{"f4", F4(-2.5, 0.1f, 3e38f), "<F4 -2.5 0.1 3e+38>"},
        Printed{"f8", F8(0.1, 1e300, 5e-324), "<F8 0.1 1e+300 5e-324>"},
        Printed{"negative_zero", F8(-0.0), "<F8 -0>"},
        Printed{"infinities",
                F4(std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()),
                "<F4 inf -inf>"},
        Printed{"quiet_nan", WithData(enmItemFormat::FormatF4, BigEndian(0x7FC00000u)), "<F4 nan>"},
        Printed{"nan_payload", WithData(enmItemFormat::FormatF4, BigEndian(0x7FC00001u)),
                "<F4 nan(0x7FC00001)>"},
        Printed{"negative_nan", WithData(enmItemFormat::FormatF8, BigEndian(0xFFF8000000000000ull)),
                "<F8 nan(0xFFF8000000000000)>"},
        Printed{"variable_format", SecsItem(enmItemFormat::FormatVar), "<V>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Sml, MultiLineIndentsTwoSpacesPerList) {
    EXPECT_EQ(ToSml(L(U4(1), A("text"))), "<L [2]\n  <U4 1>\n  <A \"text\">\n>");
    EXPECT_EQ(ToSml(L(L(), L(B({0x0A}), L(U1(7))))),
              "<L [2]\n"
              "  <L [0]>\n"
              "  <L [2]\n"
              "    <B 0x0A>\n"
              "    <L [1]\n"
              "      <U1 7>\n"
              "    >\n"
              "  >\n"
              ">");
    EXPECT_EQ(ToSml(U4(1, 2, 3)), "<U4 1 2 3>");
    EXPECT_EQ(ToSml(L()), "<L [0]>");
}

TEST(Sml, AbridgedForLogsCutsLongItemsAndCountsThem) {
    EXPECT_EQ(ToSmlAbridged(L(U4(1, 2, 3), A("abcd"), B({1, 2})), 2),
              "<L [3]\n  <U4 1 2 ... (3 values)>\n  <A \"ab\" ... (4 bytes)>\n  <B 0x01 0x02>\n>");
    EXPECT_EQ(ToSmlAbridged(U4(1, 2, 3), 3), "<U4 1 2 3>");
    EXPECT_EQ(ToSmlAbridged(U4(1, 2, 3), 0), ToSml(U4(1, 2, 3)));  // 0: no limit
}

TEST(Sml, EveryByteValueOfTextReadsBack) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    for (const SecsItem& item : {A(all), J(all)}) {
        EXPECT_EQ(ParseSml(ToSml(item)), item);
        EXPECT_EQ(ParseSml(ToSmlLine(item)), item);
    }
}

TEST(Sml, FloatBitsReadBackExactly) {
    const std::uint32_t f4_bits[] = {0x00000000, 0x80000000, 0x00000001, 0x007FFFFF, 0x00800000,
                                     0x7F7FFFFF, 0xFF7FFFFF, 0x3DCCCCCD, 0x7F800000, 0xFF800000,
                                     0x7FC00000, 0xFFC00000, 0x7F800001, 0x7FBFFFFF, 0xFFFFFFFF,
                                     0x4B800001, 0x33D6BF95};
    for (std::uint32_t bits : f4_bits) {
        SecsItem item = WithData(enmItemFormat::FormatF4, BigEndian(bits));
        EXPECT_EQ(ParseSml(ToSml(item)), item) << std::hex << bits << " " << ToSml(item);
    }
    const std::uint64_t f8_bits[] = {0x0000000000000000, 0x8000000000000000, 0x0000000000000001,
                                     0x000FFFFFFFFFFFFF, 0x7FEFFFFFFFFFFFFF, 0x3FB999999999999A,
                                     0x7FF0000000000000, 0xFFF0000000000000, 0x7FF8000000000000,
                                     0x7FF0000000000001, 0xFFFFFFFFFFFFFFFF, 0x4340000000000001};
    for (std::uint64_t bits : f8_bits) {
        SecsItem item = WithData(enmItemFormat::FormatF8, BigEndian(bits));
        EXPECT_EQ(ParseSml(ToSml(item)), item) << std::hex << bits << " " << ToSml(item);
    }
}

// Items of every format with arbitrary bytes, so odd floats, BOOLEAN bytes and control
// characters all occur; both printed forms must read back to an equal item.
SecsItem RandomItem(std::mt19937& rng, int depth) {
    static const enmItemFormat kFormats[] = {
        enmItemFormat::FormatList,  enmItemFormat::FormatBinary, enmItemFormat::FormatBoolean,
        enmItemFormat::FormatAscii, enmItemFormat::FormatJIS8,   enmItemFormat::FormatI8,
        enmItemFormat::FormatI1,    enmItemFormat::FormatI2,     enmItemFormat::FormatI4,
        enmItemFormat::FormatF8,    enmItemFormat::FormatF4,     enmItemFormat::FormatU8,
        enmItemFormat::FormatU1,    enmItemFormat::FormatU2,     enmItemFormat::FormatU4};
    std::uniform_int_distribution<int> pick(depth < 4 ? 0 : 1,
                                            static_cast<int>(std::size(kFormats)) - 1);
    std::uniform_int_distribution<int> count(0, 4);
    SecsItem item(kFormats[pick(rng)]);
    if (item.IsList()) {
        for (int n = count(rng); n > 0; --n)
            item.AddItem(RandomItem(rng, depth + 1));
        return item;
    }
    std::vector<std::uint8_t> data(ElementSize(item.Format()) * count(rng));
    for (auto& byte : data)
        byte = static_cast<std::uint8_t>(rng());
    item.SetData(data);
    return item;
}

TEST(Sml, ArbitraryItemsReadBack) {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 500; ++i) {
        SecsItem item = RandomItem(rng, 0);
        ASSERT_EQ(ParseSml(ToSml(item)), item) << ToSml(item);
        ASSERT_EQ(ParseSml(ToSmlLine(item)), item) << ToSmlLine(item);
    }
}

// Texts other tools write, and the item each must give.
struct Accepted {
    const char* name;
    const char* sml;
    SecsItem item;
};

void PrintTo(const Accepted& c, std::ostream* os) {
    *os << c.sml;
}

class AcceptedVariants : public ::testing::TestWithParam<Accepted> {};

TEST_P(AcceptedVariants, ReadAsTheItem) {
    EXPECT_EQ(ParseSml(GetParam().sml), GetParam().item);
}

INSTANTIATE_TEST_SUITE_P(
    Sml, AcceptedVariants,
    ::testing::Values(
        Accepted{"without_count", "<L <U4 1> <A \"text\">>", L(U4(1), A("text"))},
        Accepted{"count_without_blank", "<L[2]<U4 1><A\"text\">>", L(U4(1), A("text"))},
        Accepted{"blanks_everywhere", " \n\t< L [ 1 ]\r\n  < U4   1 >\n > \n", L(U4(1))},
        Accepted{"comments", "// request\n<L [1] // list\n  <U4 7> // seven\n>\n// end", L(U4(7))},
        Accepted{"lower_case", "<l [1] <u4 1>>", L(U4(1))},
        Accepted{"mixed_case", "<Boolean True>", Boolean({true})},
        Accepted{"bool_short_names", "<BOOL T> ", Boolean({true})},
        Accepted{"bl", "<BL F>", Boolean({false})},
        Accepted{"boolean_words_and_numbers", "<BOOLEAN TRUE FALSE T F true false 0x01 1 0>",
                 Boolean({true, false, true, false, true, false, true, true, false})},
        Accepted{"boolean_other_bytes", "<BOOLEAN 2 0xFF>",
                 WithData(enmItemFormat::FormatBoolean, {0x02, 0xFF})},
        Accepted{"binary_hex", "<B 0x0A 0x1f 0xa>", B({0x0A, 0x1F, 0x0A})},
        Accepted{"binary_decimal", "<B 10 31 255 0>", B({10, 31, 255, 0})},
        Accepted{"array", "<U4 1 2 3>", U4(1, 2, 3)},
        Accepted{"hex_integers", "<U4 0x1F 0XFFFFFFFF>", U4(31, 4294967295u)},
        Accepted{"signed_hex", "<I4 -0x10 +0x7FFFFFFF>", I4(-16, 2147483647)},
        Accepted{"signs", "<I2 +5 -0>", I2(5, 0)},
        Accepted{"unsigned_minus_zero", "<U1 -0>", U1(0)},
        Accepted{"leading_zeros", "<U2 007>", U2(7)},
        Accepted{
            "i8_extremes", "<I8 -9223372036854775808 9223372036854775807>",
            I8(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max())},
        Accepted{"empty_u4", "<U4>", U4()}, Accepted{"empty_u4_count", "<U4 [0]>", U4()},
        Accepted{"empty_list", "<L>", L()}, Accepted{"empty_list_count", "<L [0]>", L()},
        Accepted{"empty_text", "<A>", A()}, Accepted{"empty_quotes", "<A \"\">", A()},
        Accepted{"float_exponents", "<F8 1.5e3 1.5E-3 2e+2 -1E0>", F8(1500, 0.0015, 200, -1)},
        Accepted{"float_forms", "<F4 .5 5. 7 -0.25>", F4(0.5, 5, 7, -0.25)},
        Accepted{
            "float_words", "<F8 INF -Infinity +inf>",
            F8(std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
               std::numeric_limits<double>::infinity())},
        Accepted{"nan_any_case", "<F4 NaN>",
                 WithData(enmItemFormat::FormatF4, BigEndian(0x7FC00000u))},
        Accepted{"minus_nan", "<F4 -nan>",
                 WithData(enmItemFormat::FormatF4, BigEndian(0xFFC00000u))},
        Accepted{"f4_denormal", "<F4 1e-45>",
                 WithData(enmItemFormat::FormatF4, BigEndian(0x00000001u))},
        Accepted{"f4_rounds_to_nearest", "<F4 16777217>", F4(16777216)},
        Accepted{"escapes", R"(<A "a\"b\\c\n\r\t\0\x41\x7f'">)",
                 A(std::string("a\"b\\c\n\r\t\0A\x7F'", 12))},
        Accepted{"more_escapes", R"(<A "\a\b\f\v\'">)", A("\a\b\f\v'")},
        Accepted{"single_quotes", "<A 'say \"hi\"'>", A("say \"hi\"")},
        Accepted{"mixed_form", "<A \"abc\" 0x0D \"def\">", A("abc\rdef")},
        Accepted{"codes_only", "<A 0x41 66 0x43>", A("ABC")},
        Accepted{"pieces_without_blanks", "<A \"ab\"0x0A\"cd\">", A("ab\ncd")},
        Accepted{"raw_high_bytes", "<A \"\xC3\xA9\">", A("\xC3\xA9")},
        Accepted{"raw_tab", "<A \"a\tb\">", A("a\tb")},
        Accepted{"comment_chars_in_text", "<A \"http://x\">", A("http://x")},
        Accepted{"jis8", "<J \"x\" 0xB1>", J("x\xB1")},
        Accepted{"jis8_escapes_are_bytes", R"(<J "\\\x7E\xB1">)", J("\x5C\x7E\xB1")},
        Accepted{"jis8_count_in_bytes", "<J [2] \"ｱ¥\">", J("\xB1\x5C")},
        Accepted{"text_count", "<A[3] \"abc\">", A("abc")},
        Accepted{"mixed_text_count", "<A [4] \"ab\" 0x0D \"c\">", A("ab\rc")},
        Accepted{"value_count", "<U4 [3] 1 2 3>", U4(1, 2, 3)},
        Accepted{"binary_count", "<B[2] 1 2>", B({1, 2})},
        Accepted{"nested_counts", "<L [2] <L [0]> <L [1] <L [1] <U1 7>>>>", L(L(), L(L(U1(7))))}),
    [](const auto& info) { return std::string(info.param.name); });

// WIRE.md's E5 examples: the SML reads as the item whose encoding the standard gives.
TEST(Sml, ReadsAsTheStandardEncodingExamples) {
    EXPECT_EQ(ToHex(EncodeItem(ParseSml("<L [2] <U4 1> <A \"x\">>"))),
              "01 02 b1 04 00 00 00 01 41 01 78");
    EXPECT_EQ(ToHex(EncodeItem(ParseSml("<B>"))), "21 00");
    EXPECT_EQ(ToHex(EncodeItem(ParseSml("<BOOLEAN TRUE>"))), "25 01 01");
    EXPECT_EQ(ToHex(EncodeItem(ParseSml("<U4>"))), "b1 00");
    EXPECT_EQ(ToHex(EncodeItem(ParseSml("<L>"))), "01 00");
    EXPECT_EQ(ToHex(EncodeItem(ParseSml("<F4 -2.5>"))), "91 04 c0 20 00 00");
    EXPECT_EQ(ToHex(EncodeItem(ParseSml("<I2 -32768>"))), "69 02 80 00");
    EXPECT_EQ(ToHex(EncodeItem(ParseSml("<J \"ｱｲｳ ¥‾\">"))), "45 06 b1 b2 b3 20 5c 7e");
    EXPECT_EQ(ToSml(DecodeItem(Hex("01 02 b1 04 00 00 00 01 41 01 78"))),
              "<L [2]\n  <U4 1>\n  <A \"x\">\n>");
}

TEST(SmlMessage, PrintsHeaderBodyAndFullStop) {
    SecsMessage s1f3(1, 3, true, L(U4(1)));
    EXPECT_EQ(ToSml(s1f3), "S1F3 W\n<L [1]\n  <U4 1>\n>\n.");
    EXPECT_EQ(ToSmlLine(s1f3), "S1F3 W <L [1] <U4 1>> .");
    SecsMessage s1f2(1, 2, false, L());
    EXPECT_EQ(ToSml(s1f2), "S1F2\n<L [0]>\n.");
    SecsMessage s1f1(1, 1, true);
    EXPECT_EQ(ToSml(s1f1), "S1F1 W\n.");
    EXPECT_EQ(ToSmlLine(SecsMessage(9, 1)), "S9F1 .");
    for (const SecsMessage& message : {s1f3, s1f2, s1f1}) {
        EXPECT_EQ(ParseSmlMessage(ToSml(message)), message);
        EXPECT_EQ(ParseSmlMessage(ToSmlLine(message)), message);
    }
}

struct MessageText {
    const char* name;
    const char* sml;
    SecsMessage message;
};

void PrintTo(const MessageText& c, std::ostream* os) {
    *os << c.sml;
}

class MessageVariants : public ::testing::TestWithParam<MessageText> {};

TEST_P(MessageVariants, ReadAsTheMessage) {
    EXPECT_EQ(ParseSmlMessage(GetParam().sml), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    SmlMessage, MessageVariants,
    ::testing::Values(
        MessageText{"body", "S1F3 W <L [1] <U4 1>>", SecsMessage(1, 3, true, L(U4(1)))},
        MessageText{"body_and_stop", "S1F3 W <L [1] <U4 1>> .", SecsMessage(1, 3, true, L(U4(1)))},
        MessageText{"header_only", "S1F1 W", SecsMessage(1, 1, true)},
        MessageText{"header_only_stop", "S1F1 W .", SecsMessage(1, 1, true)},
        MessageText{"stop_without_blank", "S1F1 W.", SecsMessage(1, 1, true)},
        MessageText{"no_wbit", "S1F4 <L>", SecsMessage(1, 4, false, L())},
        MessageText{"no_wbit_stop", "S1F2.", SecsMessage(1, 2, false)},
        MessageText{"joined_wbit", "S1F3W <U4 2>", SecsMessage(1, 3, true, U4(2))},
        MessageText{"lower_case", "s6f11 w <L>", SecsMessage(6, 11, true, L())},
        MessageText{"limits_low", "S0F0", SecsMessage(0, 0, false)},
        MessageText{"limits_high", "S127F255 W", SecsMessage(127, 255, true)},
        MessageText{"leading_zeros", "S01F003", SecsMessage(1, 3, false)},
        MessageText{"multi_line_with_comments", "// are you there\nS1F1 W // asks\n.\n// done\n",
                    SecsMessage(1, 1, true)},
        MessageText{"body_on_lines", "S2F41 W\n<L [2]\n  <A \"START\">\n  <L>\n>\n.\n",
                    SecsMessage(2, 41, true, L(A("START"), L()))}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kest
