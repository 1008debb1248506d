#include <gtest/gtest.h>

#include <string>

#include "secs/build.h"
#include "secs/codec.h"
#include "secs/sml.h"

namespace kest {
namespace {

using namespace kest::build;

// Each case: text that must be refused, where, and the whole reason given.
struct Refused {
    const char* name;
    std::string sml;
    std::size_t line;
    std::size_t column;
    std::string reason;
    SmlLimits limits = {};
};

SmlLimits Limit(std::size_t SmlLimits::*field, std::size_t value) {
    SmlLimits limits;
    limits.*field = value;
    return limits;
}

std::string Nested(std::size_t lists) {
    std::string text;
    for (std::size_t i = 0; i < lists; ++i)
        text += "<L";
    return text + std::string(lists, '>');
}

void PrintTo(const Refused& c, std::ostream* os) {
    *os << c.sml;
}

void ExpectRefused(const Refused& c, auto&& parse) {
    try {
        parse(c.sml, c.limits);
        ADD_FAILURE() << "accepted: " << c.sml;
    } catch (const SmlError& e) {
        EXPECT_EQ(e.Line(), c.line);
        EXPECT_EQ(e.Column(), c.column);
        EXPECT_EQ(e.Reason(), c.reason);
        EXPECT_EQ(std::string(e.what()), "line " + std::to_string(c.line) + ", column " +
                                             std::to_string(c.column) + ": " + c.reason);
    }
}

class RefusedItems : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedItems, NameLineColumnAndWhatWasExpected) {
    ExpectRefused(GetParam(), ParseSml);
}

const std::string kFormatList = "(L, B, BOOLEAN, A, J, I1, I2, I4, I8, U1, U2, U4, U8, F4, F8)";

INSTANTIATE_TEST_SUITE_P(
    Sml, RefusedItems,
    ::testing::Values(
        Refused{"empty", "", 1, 1, "expected '<' to start an item, found the end of the text"},
        Refused{"only_comment", "// nothing\n", 2, 1,
                "expected '<' to start an item, found the end of the text"},
        Refused{"single_slash", "/ <U4>", 1, 1, "expected '<' to start an item, found '/'"},
        Refused{"unclosed_list", "<L [2]\n  <U4 1>\n  <A \"x\">", 3, 10,
                "expected '>' to close <L>"},
        Refused{"stray_in_list", "<L [2] 5>", 1, 8,
                "expected '<' to start an item or '>' to close <L>, found '5'"},
        Refused{"list_count_too_high", "<L [3] <U4 1>>", 1, 4,
                "the count [3] does not match the 1 item of <L>"},
        Refused{"list_count_too_low", "<L [0] <U4 1> <U4 2>>", 1, 4,
                "the count [0] does not match the 2 items of <L>"},
        Refused{"text_count", "<A[2] \"abc\">", 1, 3,
                "the count [2] does not match the 3 characters of <A>"},
        Refused{"value_count", "<U4 [1] 1 2>", 1, 5,
                "the count [1] does not match the 2 values of <U4>"},
        Refused{"count_not_digits", "<L [x]>", 1, 5,
                "expected a count of decimal digits after '[', found 'x'"},
        Refused{"count_unclosed", "<L [2>", 1, 6, "expected ']' to close the count, found '>'"},
        Refused{"count_too_large", "<L [16777216]>", 1, 4,
                "the count exceeds the largest item length 16777215"},
        Refused{"unknown_format", "<X4 1>", 1, 2,
                "expected an item format " + kFormatList + ", found 'X4'"},
        Refused{"missing_format", "<>", 1, 2,
                "expected an item format " + kFormatList + ", found '>'"},
        Refused{"format_joined_to_value", "<U41>", 1, 2,
                "expected an item format " + kFormatList + ", found 'U41'"},
        Refused{"u1_too_large", "<U1 256>", 1, 5, "'256' is out of range for U1 (0 to 255)"},
        Refused{"i1_too_small", "<I1 -129>", 1, 5, "'-129' is out of range for I1 (-128 to 127)"},
        Refused{"i1_too_large", "<I1 1 128>", 1, 7, "'128' is out of range for I1 (-128 to 127)"},
        Refused{"i2_hex_too_large", "<I2 0x8000>", 1, 5,
                "'0x8000' is out of range for I2 (-32768 to 32767)"},
        Refused{"u4_negative", "<U4 -1>", 1, 5, "'-1' is out of range for U4 (0 to 4294967295)"},
        Refused{"u4_too_large", "<U4 4294967296>", 1, 5,
                "'4294967296' is out of range for U4 (0 to 4294967295)"},
        Refused{"u8_too_large", "<U8 18446744073709551616>", 1, 5,
                "'18446744073709551616' is out of range for U8 (0 to 18446744073709551615)"},
        Refused{"i8_too_large", "<I8 9223372036854775808>", 1, 5,
                "'9223372036854775808' is out of range for I8 (-9223372036854775808 to "
                "9223372036854775807)"},
        Refused{"i8_too_small", "<I8 -9223372036854775809>", 1, 5,
                "'-9223372036854775809' is out of range for I8 (-9223372036854775808 to "
                "9223372036854775807)"},
        Refused{"long_value_cut_short", "<U4 " + std::string(50, '9') + ">", 1, 5,
                "'" + std::string(40, '9') + "...' is out of range for U4 (0 to 4294967295)"},
        Refused{"not_a_number", "<U4 abc>", 1, 5,
                "expected a U4 value (decimal or 0x hex), found 'abc'"},
        Refused{"fraction_in_integer", "<I4 1.5>", 1, 5,
                "expected an I4 value (decimal or 0x hex), found '1.5'"},
        Refused{"stray_after_huge_number", "<U8 99999999999999999999z>", 1, 5,
                "expected a U8 value (decimal or 0x hex), found '99999999999999999999z'"},
        Refused{"bare_hex_prefix", "<U2 0x>", 1, 5,
                "expected a U2 value (decimal or 0x hex), found '0x'"},
        Refused{"comma_separated", "<U4 1,2>", 1, 6,
                "expected a U4 value or '>' to close <U4>, found ','"},
        Refused{"text_in_numbers", "<U4 1 \"x\">", 1, 7,
                "expected a U4 value or '>' to close <U4>, found '\"'"},
        Refused{"control_byte", "<U4 1\x01>", 1, 6,
                "expected a U4 value or '>' to close <U4>, found byte 0x01"},
        Refused{"unclosed_values", "<U4 1", 1, 6, "expected '>' to close <U4>"},
        Refused{"byte_too_large", "<B 256>", 1, 4, "'256' is out of range for B (0 to 255)"},
        Refused{"byte_negative", "<B -1>", 1, 4, "'-1' is out of range for B (0 to 255)"},
        Refused{"byte_bad_hex", "<B 0xZZ>", 1, 4,
                "expected a B value (0x hex or decimal 0 to 255), found '0xZZ'"},
        Refused{"boolean_word", "<BOOLEAN maybe>", 1, 10,
                "expected a BOOLEAN value (TRUE, FALSE or 0 to 255), found 'maybe'"},
        Refused{"boolean_too_large", "<BOOLEAN 256>", 1, 10,
                "'256' is out of range for BOOLEAN (0 to 255)"},
        Refused{"f4_overflow", "<F4 1e39>", 1, 5, "'1e39' is out of range for F4"},
        Refused{"f4_underflow", "<F4 1e-50>", 1, 5, "'1e-50' is out of range for F4"},
        Refused{"f8_underflow", "<F8 1e-400>", 1, 5, "'1e-400' is out of range for F8"},
        Refused{"f8_overflow", "<F8 -2e308>", 1, 5, "'-2e308' is out of range for F8"},
        Refused{"float_hex", "<F4 0x1F>", 1, 5,
                "expected an F4 value (decimal, inf or nan), found '0x1F'"},
        Refused{"float_no_exponent_digits", "<F8 1.5e>", 1, 5,
                "expected an F8 value (decimal, inf or nan), found '1.5e'"},
        Refused{"float_lone_point", "<F8 .>", 1, 5,
                "expected an F8 value (decimal, inf or nan), found '.'"},
        Refused{"nan_bits_not_nan", "<F4 nan(0x1)>", 1, 5,
                "'nan(0x1)' does not hold the bits of an F4 NaN"},
        Refused{"nan_bits_too_wide", "<F4 nan(0x7FC000000)>", 1, 5,
                "expected an F4 value (decimal, inf or nan), found 'nan(0x7FC000000)'"},
        Refused{"signed_nan_bits", "<F4 -nan(0x7FC00001)>", 1, 5,
                "expected an F4 value (decimal, inf or nan), found '-nan(0x7FC00001)'"},
        Refused{"unclosed_text", "<A \"abc>", 1, 9, "expected '\"' to close the quoted text"},
        Refused{"text_broken_by_line", "<A \"abc\n\">", 1, 8,
                "expected '\"' to close the quoted text"},
        Refused{"unclosed_single_quote", "<A 'abc>", 1, 9,
                "expected \"'\" to close the quoted text"},
        Refused{"unknown_escape", "<A \"\\q\">", 1, 5, "unknown escape \\q in quoted text"},
        Refused{"escape_at_end", "<A \"\\", 1, 5,
                "expected an escape after \\, found the end of the text"},
        Refused{"short_hex_escape", "<A \"\\x4\">", 1, 5, "expected two hex digits after \\x"},
        Refused{"unquoted_text", "<A abc>", 1, 4,
                "expected quoted text or a character code (0 to 255), found 'abc'"},
        Refused{"jis8_tilde", "<J \"a~\">", 1, 6,
                "'~' has no JIS-8 byte: write \\x7E, which shows as '‾'"},
        Refused{"jis8_latin", "<J \"é\">", 1, 5, "'é' (U+00E9) has no JIS-8 byte"},
        Refused{"jis8_below_kana", "<J \"｠\">", 1, 5, "'｠' (U+FF60) has no JIS-8 byte"},
        Refused{"jis8_above_kana", "<J \"ﾠ\">", 1, 5, "'ﾠ' (U+FFA0) has no JIS-8 byte"},
        Refused{"jis8_four_bytes", "<J \"x😀\">", 1, 6, "'😀' (U+1F600) has no JIS-8 byte"},
        Refused{"jis8_control", "<J \"\xC2\x85\">", 1, 5, "U+0085 has no JIS-8 byte"},
        Refused{"jis8_not_utf8", "<J \"\xFF\">", 1, 5, "expected UTF-8 text, found byte 0xFF"},
        Refused{"jis8_lone_continuation", "<J \"\x80\">", 1, 5,
                "expected UTF-8 text, found byte 0x80"},
        Refused{"jis8_cut_short", "<J \"\xE2\x80\">", 1, 5, "expected UTF-8 text, found byte 0xE2"},
        Refused{"jis8_overlong", "<J \"\xE0\x80\xAF\">", 1, 5,
                "expected UTF-8 text, found byte 0xE0"},
        Refused{"jis8_surrogate", "<J \"\xED\xA0\x80\">", 1, 5,
                "expected UTF-8 text, found byte 0xED"},
        Refused{"jis8_beyond_unicode", "<J \"\xF4\x90\x80\x80\">", 1, 5,
                "expected UTF-8 text, found byte 0xF4"},
        Refused{"character_code_too_large", "<J 256>", 1, 4,
                "'256' is out of range for a character code (0 to 255)"},
        Refused{"item_inside_text", "<A \"x\" <U4>>", 1, 8,
                "expected quoted text, a character code or '>' to close <A>, found '<'"},
        Refused{"unclosed_text_item", "<A \"x\"", 1, 7, "expected '>' to close <A>"},
        Refused{"variable_format_value", "<V 1>", 1, 4,
                "expected '>' to close <V>, which holds no values, found '1'"},
        Refused{"second_item", "<U4 1> <U4 2>", 1, 8,
                "expected the end of the text after the item, found '<'"},
        Refused{"trailing_text", "<U4 1>\n  x", 2, 3,
                "expected the end of the text after the item, found 'x'"},
        Refused{"fault_on_third_line", "<L\n  <U4 1>\n  <U4 x>\n>", 3, 7,
                "expected a U4 value (decimal or 0x hex), found 'x'"},
        // The text reader takes the nesting the binary decoder takes: 64 below the outer list.
        Refused{"too_deep", Nested(66), 1, 131, "lists nested deeper than 64"},
        Refused{"deeper_than_asked", "<L <L <L <L>>>>", 1, 10, "lists nested deeper than 2",
                Limit(&SmlLimits::max_depth, 2)},
        Refused{"too_many_items", "<L <U4> <U4> <U4>>", 1, 14, "more than 3 items",
                Limit(&SmlLimits::max_items, 3)},
        Refused{"text_too_long", "<U4 1234>", 1, 1, "the text of 9 bytes exceeds the limit of 8",
                Limit(&SmlLimits::max_text_size, 8)}),
    [](const auto& info) { return std::string(info.param.name); });

class RefusedMessages : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedMessages, NameLineColumnAndWhatWasExpected) {
    ExpectRefused(GetParam(), ParseSmlMessage);
}

INSTANTIATE_TEST_SUITE_P(
    SmlMessage, RefusedMessages,
    ::testing::Values(
        Refused{"empty", "", 1, 1,
                "expected a message header such as S1F3 W, found the end of the text"},
        Refused{"not_a_header", "X1F1", 1, 1,
                "expected a message header such as S1F3 W, found 'X'"},
        Refused{"item_only", "<U4 1>", 1, 1, "expected a message header such as S1F3 W, found '<'"},
        Refused{"stream_too_large", "S128F1", 1, 2, "stream '128' is out of range (0 to 127)"},
        Refused{"function_too_large", "S1F256 W", 1, 4,
                "function '256' is out of range (0 to 255)"},
        Refused{"huge_stream", "S99999999999999999999F1", 1, 2,
                "stream '99999999999999999999' is out of range (0 to 127)"},
        Refused{"no_function", "S1", 1, 3,
                "expected 'F' and the function number, found the end of the text"},
        Refused{"no_function_number", "S1F W", 1, 4,
                "expected the function number after 'F', found ' '"},
        Refused{"unknown_word", "S1F1 X", 1, 6,
                "expected 'W', '<', '.' or the end of the text, found 'X'"},
        Refused{"joined_word", "S1F1X", 1, 5,
                "expected 'W', '<', '.' or the end of the text, found 'X'"},
        Refused{"w_with_more", "S1F1 Wait", 1, 6,
                "expected 'W', '<', '.' or the end of the text, found 'Wait'"},
        Refused{"text_body", "S1F1 W \"x\"", 1, 8,
                "expected '<' to start the body, '.' or the end of the text, found '\"'"},
        Refused{"trailing_word", "S1F1 W <U4 1> extra", 1, 15,
                "expected the end of the text after the message, found 'e'"},
        Refused{"two_stops", "S1F1 W <U4 1> . .", 1, 17,
                "expected the end of the text after the message, found '.'"},
        Refused{"two_body_items", "S1F1 <U4> <U4>", 1, 11,
                "expected the end of the text after the message, found '<'"},
        Refused{"fault_in_body", "S1F3 W\n<L [1]\n  <U4 -1>\n>\n.", 3, 7,
                "'-1' is out of range for U4 (0 to 4294967295)"},
        Refused{"too_deep", "S1F1 <L <L <L <L>>>>", 1, 15, "lists nested deeper than 2",
                Limit(&SmlLimits::max_depth, 2)},
        Refused{"text_too_long", "S1F1 W <U4>", 1, 1, "the text of 11 bytes exceeds the limit of 8",
                Limit(&SmlLimits::max_text_size, 8)}),
    [](const auto& info) { return std::string(info.param.name); });

SecsItem NestedItem(std::size_t lists) {
    SecsItem item;
    for (std::size_t i = 1; i < lists; ++i)
        item = L(std::move(item));
    return item;
}

// Each limit lets through what it names; one more is refused above.
TEST(SmlLimits, TextAtEachLimitReads) {
    EXPECT_EQ(ParseSml(Nested(65)), NestedItem(65));
    EXPECT_NO_THROW(DecodeItem(EncodeItem(NestedItem(65))));
    EXPECT_THROW(DecodeItem(EncodeItem(NestedItem(66))), SecsCodecError);
    EXPECT_EQ(ParseSml("<L <L <L>>>", Limit(&SmlLimits::max_depth, 2)), NestedItem(3));
    EXPECT_EQ(ParseSml("<L <U4> <U4>>", Limit(&SmlLimits::max_items, 3)), L(U4(), U4()));
    EXPECT_EQ(ParseSml("<U4 123>", Limit(&SmlLimits::max_text_size, 8)), U4(123));
}

// An item whose length three length bytes cannot carry would only fail later, in the encoder.
TEST(SmlLimits, ItemsLongerThanTheWireAllowsAreRefused) {
    SmlLimits roomy = Limit(&SmlLimits::max_text_size, 20 * 1024 * 1024);
    std::string text = "<A \"" + std::string(kMaxItemLength, 'x') + "\">";
    EXPECT_EQ(ParseSml(text, roomy).Count(), kMaxItemLength);
    ExpectRefused({"", text.insert(4, "y"), 1, 1,
                   "<A> holds 16777216 bytes, more than an item can carry (16777215)", roomy},
                  ParseSml);
}

}  // namespace
}  // namespace kest
