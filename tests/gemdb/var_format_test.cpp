// Format mnemonics of var_format and the by-format comparison behind the min/max checks.
#include "gemdb/var_format.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/error.h"

namespace kest {
namespace {

// Codes from SEMI E5 (octal format codes in decimal) and the mnemonics the table stores.
class Mnemonic : public ::testing::TestWithParam<std::tuple<const char*, int>> {};

TEST_P(Mnemonic, MapsBothWays) {
    auto [mnemonic, code] = GetParam();
    EXPECT_EQ(FormatMnemonic(code), mnemonic);
    EXPECT_EQ(FormatFromMnemonic(mnemonic), code);
    EXPECT_EQ(AttributeFormatText(code), mnemonic);
}

INSTANTIATE_TEST_SUITE_P(Formats, Mnemonic,
                         ::testing::Values(std::tuple("L", 0), std::tuple("B", 8),
                                           std::tuple("BL", 9), std::tuple("A", 16),
                                           std::tuple("I8", 24), std::tuple("I1", 25),
                                           std::tuple("I2", 26), std::tuple("I4", 28),
                                           std::tuple("F8", 32), std::tuple("F4", 36),
                                           std::tuple("U8", 40), std::tuple("U1", 41),
                                           std::tuple("U2", 42), std::tuple("U4", 44)));

TEST(Mnemonic, UnknownCodesAndTextsFallBack) {
    EXPECT_EQ(FormatMnemonic(17), "A");  // JIS-8 has no mnemonic of its own
    EXPECT_EQ(FormatMnemonic(63), "A");
    EXPECT_EQ(FormatMnemonic(-1), "A");
    EXPECT_EQ(FormatFromMnemonic("XYZ"), 16);
    EXPECT_EQ(FormatFromMnemonic(""), 16);
    EXPECT_EQ(FormatFromMnemonic("BOOLEAN"), 16);
    EXPECT_EQ(FormatFromMnemonic(" u4 "), 44);
    // The stream 12 tables know "V" and call the rest "NotUsed".
    EXPECT_EQ(AttributeFormatText(63), "V");
    EXPECT_EQ(AttributeFormatText(17), "NotUsed");
}

TEST(CompareByFormat, NumbersCompareAsNumbersNotText) {
    EXPECT_GT(CompareByFormat("300", "255", "U1"), 0);
    EXPECT_LT(CompareByFormat("9", "10", "I4"), 0);  // as text "9" > "10"
    EXPECT_EQ(CompareByFormat("255", "255", "U1"), 0);
    EXPECT_LT(CompareByFormat("-5", "0", "I2"), 0);
    EXPECT_LT(CompareByFormat("1.25", "1.5", "F4"), 0);
    EXPECT_GT(CompareByFormat("1e3", "999.5", "F8"), 0);
}

TEST(CompareByFormat, U4CutsTheFraction) {
    EXPECT_EQ(CompareByFormat("10.9", "10", "U4"), 0);
    // The 32-bit conversion rounds instead: 10.9 becomes 11.
    EXPECT_GT(CompareByFormat("10.9", "10", "I4"), 0);
}

TEST(CompareByFormat, OtherFormatsCompareAsText) {
    EXPECT_GT(CompareByFormat("9", "10", "A"), 0);
    EXPECT_LT(CompareByFormat("abc", "abd", "L"), 0);
    EXPECT_GT(CompareByFormat("b", "a", "XYZ"), 0);
}

TEST(CompareByFormat, BooleansAndBytes) {
    EXPECT_GT(CompareByFormat("TRUE", "FALSE", "BL"), 0);
    EXPECT_EQ(CompareByFormat("t", "1", "BL"), 0);
    EXPECT_LT(CompareByFormat("7", "200", "B"), 0);
}

TEST(CompareByFormat, ValuesThatDoNotConvertThrow) {
    auto number = [](auto call) {
        try {
            call();
        } catch (const KestException& e) {
            return e.Number();
        }
        return 0;
    };
    EXPECT_EQ(number([] { CompareByFormat("abc", "1", "U1"); }), errc::kTypeMismatch);
    EXPECT_EQ(number([] { CompareByFormat("256", "1", "B"); }), errc::kOverflow);
    EXPECT_EQ(number([] { CompareByFormat("40000", "1", "I2"); }), errc::kOverflow);
}

}  // namespace
}  // namespace kest
