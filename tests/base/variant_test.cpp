#include "base/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/error.h"
#include "base/text.h"
#include "support/test_helpers.h"

namespace kest {
namespace {

using kest::test::ErrorNumber;

TEST(Variant, IntegersRoundHalfToEven) {
    EXPECT_EQ(Variant(2.5).ToInt16(), 2);
    EXPECT_EQ(Variant(3.5).ToInt16(), 4);
    EXPECT_EQ(Variant(-2.5).ToInt32(), -2);
    EXPECT_EQ(Variant("12.5").ToInt32(), 12);
    EXPECT_EQ(Variant("13.5").ToInt32(), 14);
    EXPECT_EQ(Variant(" 1e3 ").ToInt32(), 1000);
}

TEST(Variant, TextNullAndEmptyAreZero) {
    EXPECT_EQ(Variant("").ToInt32(), 0);
    EXPECT_EQ(Variant("NULL").ToInt16(), 0);
    EXPECT_EQ(Variant("  ").ToDouble(), 0.0);
    EXPECT_EQ(Variant().ToInt64(), 0);
}

TEST(Variant, RangeLimitsAreExactAndOverflowIsReported) {
    EXPECT_EQ(Variant("32767").ToInt16(), 32767);
    EXPECT_EQ(Variant("-32768").ToInt16(), -32768);
    EXPECT_EQ(ErrorNumber([] { Variant("32768").ToInt16(); }), errc::kOverflow);
    EXPECT_EQ(ErrorNumber([] { Variant(32767.5).ToInt16(); }), errc::kOverflow);
    EXPECT_EQ(ErrorNumber([] { Variant(256).ToByte(); }), errc::kOverflow);
    EXPECT_EQ(ErrorNumber([] { Variant(-1).ToByte(); }), errc::kOverflow);
    EXPECT_EQ(Variant("9223372036854775807").ToInt64(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Variant("-9223372036854775808").ToInt64(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(ErrorNumber([] { Variant("9223372036854775808").ToInt64(); }), errc::kOverflow);
    EXPECT_EQ(Variant("18446744073709551615").ToUInt64(),
              std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(ErrorNumber([] { Variant("18446744073709551616").ToUInt64(); }), errc::kOverflow);
    EXPECT_EQ(ErrorNumber([] { Variant(1e19).ToInt64(); }), errc::kOverflow);
    EXPECT_EQ(ErrorNumber([] { Variant(std::ldexp(1.0, 64)).ToUInt64(); }), errc::kOverflow);
    EXPECT_EQ(ErrorNumber([] { Variant("-1").ToUInt64(); }), errc::kOverflow);
}

TEST(Variant, NonNumericTextIsATypeMismatch) {
    for (const char* text : {"abc", "1.2.3", "0x10", "inf", "nan", "1e", "+", "."}) {
        EXPECT_EQ(ErrorNumber([&] { Variant(text).ToInt32(); }), errc::kTypeMismatch) << text;
        EXPECT_FALSE(Variant(text).IsNumeric()) << text;
    }
}

TEST(Variant, NumbersBeyondDoubleRange) {
    EXPECT_EQ(Variant("1e-400").ToDouble(), 0.0);
    EXPECT_EQ(Variant("-1e-400").ToDouble(), 0.0);
    EXPECT_TRUE(std::isinf(Variant("1e400").ToDouble()));
    EXPECT_EQ(ErrorNumber([] { Variant("1e400").ToInt32(); }), errc::kOverflow);
}

TEST(Variant, IsNumeric) {
    EXPECT_TRUE(Variant(" -12.5e-1 ").IsNumeric());
    EXPECT_TRUE(Variant(".5").IsNumeric());
    EXPECT_TRUE(Variant("5.").IsNumeric());
    EXPECT_TRUE(Variant(7).IsNumeric());
    EXPECT_TRUE(Variant(true).IsNumeric());
    EXPECT_FALSE(Variant().IsNumeric());
    EXPECT_FALSE(Variant("").IsNumeric());
}

TEST(Variant, BooleanFromText) {
    for (const char* text : {"T", "t", "TRUE", "true", " True ", "1", "-2", "0.5"}) {
        EXPECT_TRUE(Variant(text).ToBool()) << text;
    }
    for (const char* text : {"F", "FALSE", "", "NULL", "0", "yes", "0.0"}) {
        EXPECT_FALSE(Variant(text).ToBool()) << text;
    }
    EXPECT_EQ(Variant(true).ToInt32(), 1);
}

TEST(Variant, Text) {
    EXPECT_EQ(Variant().ToText(), "");
    EXPECT_EQ(Variant(true).ToText(), "True");
    EXPECT_EQ(Variant(false).ToText(), "False");
    EXPECT_EQ(Variant(-42).ToText(), "-42");
    EXPECT_EQ(Variant(12.0).ToText(), "12");
    EXPECT_EQ(Variant(0.1).ToText(), "0.1");
    EXPECT_EQ(Variant(18446744073709551615ULL).ToText(), "18446744073709551615");
}

TEST(Variant, KindsTellKeysApart) {
    EXPECT_EQ(Variant(7).GetKind(), Variant::Kind::Integer);
    EXPECT_EQ(Variant("7").GetKind(), Variant::Kind::Text);
    EXPECT_EQ(Variant(7.0).GetKind(), Variant::Kind::Double);
    EXPECT_EQ(Variant(18446744073709551615ULL).GetKind(), Variant::Kind::Unsigned);
    EXPECT_EQ(Variant(5ULL).GetKind(), Variant::Kind::Integer);
    EXPECT_NE(Variant(7), Variant("7"));
}

TEST(Text, TrimSplitAndCase) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\tx\t"), "\tx\t");  // blanks only, as record fields are trimmed
    EXPECT_EQ(TrimWhitespace("\t x \t"), "x");
    EXPECT_TRUE(EqualsNoCase("GemControlStateLOCAL", "gemcontrolstatelocal"));
    EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
    auto pieces = Split("1,,3", ',');
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[1], "");
    EXPECT_EQ(Split("", ',').size(), 1u);
}

TEST(Text, ShortestFloatText) {
    EXPECT_EQ(FormatFloat(0.1f), "0.1");
    EXPECT_EQ(FormatDouble(static_cast<double>(0.1f)), "0.10000000149011612");
    EXPECT_EQ(FormatDouble(1e300), "1e+300");
}

}  // namespace
}  // namespace kest
