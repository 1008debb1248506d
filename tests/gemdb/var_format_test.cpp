// Format mnemonics of var_format and the by-format comparison behind the min/max checks.
#include "gemdb/var_format.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/error.h"
#include "support/test_helpers.h"

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

struct Comparison {
    const char* a;
    const char* b;
    const char* format;
    int sign;  // of CompareByFormat(a, b, format)
};

const Comparison kComparisons[] = {
    // Numbers compare as numbers, not text ("9" > "10" as text).
    {"300", "255", "U1", 1},
    {"9", "10", "I4", -1},
    {"255", "255", "U1", 0},
    {"-5", "0", "I2", -1},
    {"1.25", "1.5", "F4", -1},
    {"1e3", "999.5", "F8", 1},
    // U4 cuts the fraction; the 32-bit conversion of I4 rounds it.
    {"10.9", "10", "U4", 0},
    {"10.9", "10", "I4", 1},
    // Other formats compare as text.
    {"9", "10", "A", 1},
    {"abc", "abd", "L", -1},
    {"b", "a", "XYZ", 1},
    // Booleans and bytes.
    {"TRUE", "FALSE", "BL", 1},
    {"t", "1", "BL", 0},
    {"7", "200", "B", -1}};

TEST(CompareByFormat, OrdersByTheFormat) {
    for (const Comparison& c : kComparisons) {
        int result = CompareByFormat(c.a, c.b, c.format);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " " << c.b << " " << c.format;
    }
}

TEST(CompareByFormat, ValuesThatDoNotConvertThrow) {
    using test::ErrorNumber;
    EXPECT_EQ(ErrorNumber([] { CompareByFormat("abc", "1", "U1"); }), errc::kTypeMismatch);
    EXPECT_EQ(ErrorNumber([] { CompareByFormat("256", "1", "B"); }), errc::kOverflow);
    EXPECT_EQ(ErrorNumber([] { CompareByFormat("40000", "1", "I2"); }), errc::kOverflow);
}

}  // namespace
}  // namespace kest
