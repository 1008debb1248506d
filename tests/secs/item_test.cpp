#include "secs/item.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/error.h"
#include "secs/build.h"
#include "secs/message.h"
#include "support/test_helpers.h"

namespace kest {
namespace {

using kest::test::ErrorNumber;

using namespace kest::build;

SecsItem WithValue(enmItemFormat format, const Variant& value) {
    SecsItem item(format);
    item.SetValue(value);
    return item;
}

TEST(SecsItem, ValuesConvertByFormat) {
    EXPECT_EQ(WithValue(enmItemFormat::FormatU4, "12.7"), U4(12));  // U4 drops the fraction
    EXPECT_EQ(WithValue(enmItemFormat::FormatU2, "12.5"), U2(12));  // others round half to even
    EXPECT_EQ(WithValue(enmItemFormat::FormatI2, "13.5"), I2(14));
    EXPECT_EQ(WithValue(enmItemFormat::FormatU4, "NULL"), U4(0));
    EXPECT_EQ(WithValue(enmItemFormat::FormatI8, "-9223372036854775808"),
              I8(std::numeric_limits<std::int64_t>::min()));
    EXPECT_EQ(WithValue(enmItemFormat::FormatU8, "18446744073709551615"),
              U8(std::numeric_limits<std::uint64_t>::max()));
    EXPECT_EQ(WithValue(enmItemFormat::FormatBoolean, "true"), Boolean({true}));
    EXPECT_EQ(WithValue(enmItemFormat::FormatBoolean, "x"), Boolean({false}));
    EXPECT_EQ(WithValue(enmItemFormat::FormatBinary, 128), B({0x80}));
    EXPECT_EQ(WithValue(enmItemFormat::FormatAscii, 12), A("12"));
    EXPECT_EQ(WithValue(enmItemFormat::FormatF4, "0.5"), F4(0.5));
    EXPECT_EQ(WithValue(enmItemFormat::FormatF8, "-1e-3"), F8(-0.001));
}

TEST(SecsItem, ValuesThatDoNotFitAreRefusedAndLeaveTheItemAlone) {
    SecsItem u1 = U1(5);
    EXPECT_EQ(ErrorNumber([&] { u1.SetValue(256); }), errc::kOverflow);
    EXPECT_EQ(u1, U1(5));
    EXPECT_EQ(ErrorNumber([&] { u1.SetValue("abc"); }), errc::kTypeMismatch);
    EXPECT_EQ(ErrorNumber([] { WithValue(enmItemFormat::FormatI1, 128); }), errc::kOverflow);
    EXPECT_EQ(ErrorNumber([] { WithValue(enmItemFormat::FormatU4, -1); }), errc::kOverflow);
    EXPECT_EQ(ErrorNumber([] { WithValue(enmItemFormat::FormatU4, "4294967296"); }),
              errc::kOverflow);
    EXPECT_EQ(ErrorNumber([] { WithValue(enmItemFormat::FormatF4, 1e39); }), errc::kOverflow);
    SecsItem list;
    EXPECT_EQ(ErrorNumber([&] { list.SetValue(1); }), errc::kTypeMismatch);
    SecsItem arr = U2(1, 2);
    EXPECT_EQ(ErrorNumber([&] { arr.AddValue(70000); }), errc::kOverflow);
    EXPECT_EQ(arr, U2(1, 2));
}

TEST(SecsItem, ValueReadsFirstOrGivenPosition) {
    SecsItem u = U4(7, 8, 9);
    EXPECT_EQ(u.Count(), 3u);
    EXPECT_EQ(u.Value().ToInt32(), 7);
    EXPECT_EQ(u.Value(3).ToInt32(), 9);
    EXPECT_EQ(ErrorNumber([&] { u.Value(4); }), errc::kSubscriptOutOfRange);
    EXPECT_TRUE(U4().Value().IsEmpty());
    EXPECT_TRUE(L(U4(1)).Value().IsEmpty());
    EXPECT_EQ(A("text").Value().ToText(), "text");
    EXPECT_EQ(A("text").Count(), 4u);
    EXPECT_EQ(I1(-3).Value().ToInt32(), -3);
    EXPECT_EQ(U8(std::numeric_limits<std::uint64_t>::max()).Value().ToUInt64(),
              std::numeric_limits<std::uint64_t>::max());
    EXPECT_TRUE(Boolean({true}).Value().ToBool());
}

TEST(SecsItem, ChildrenCountFromOneAndStayPut) {
    SecsItem list;
    SecsItem& first = list.AddItem(enmItemFormat::FormatU4);
    for (int i = 0; i < 100; ++i)
        list.AddItem();  // would move children held by value
    first.SetValue(42);
    EXPECT_EQ(list.Item(1), U4(42));
    SecsItem& inserted = list.AddItem(1);
    inserted.SetFormat(enmItemFormat::FormatAscii);
    EXPECT_EQ(list.Item(1).Format(), enmItemFormat::FormatAscii);
    EXPECT_EQ(list.Item(2), U4(42));
    list.RemoveItem(1);
    EXPECT_EQ(list.Item(1), U4(42));
    EXPECT_EQ(ErrorNumber([&] { list.Item(0); }), errc::kSubscriptOutOfRange);
    EXPECT_EQ(ErrorNumber([&] { list.Item(102); }), errc::kSubscriptOutOfRange);
    EXPECT_EQ(ErrorNumber([&] { list.AddItem(103); }), errc::kSubscriptOutOfRange);
    SecsItem scalar = U4(1);
    EXPECT_EQ(ErrorNumber([&] { scalar.AddItem(); }), errc::kTypeMismatch);
}

TEST(SecsItem, CopiesAreDeep) {
    SecsItem original = L(L(A("a")), U1(1));
    SecsItem copy = original;
    copy.Item(1).Item(1).SetValue("b");
    EXPECT_EQ(original.Item(1).Item(1).Text(), "a");
    EXPECT_NE(copy, original);
    copy = original;
    EXPECT_EQ(copy, original);
}

TEST(SecsItem, SetFormatClearsContent) {
    SecsItem item = L(U4(1));
    item.SetFormat(enmItemFormat::FormatBinary);
    EXPECT_EQ(item.Count(), 0u);
    EXPECT_EQ(ErrorNumber([&] { item.SetFormat(static_cast<enmItemFormat>(7)); }),
              errc::kInvalidArgument);
}

TEST(SecsItem, SetDataNeedsWholeValues) {
    SecsItem u2(enmItemFormat::FormatU2);
    const std::uint8_t three[] = {1, 2, 3};
    EXPECT_EQ(ErrorNumber([&] { u2.SetData(three); }), errc::kInvalidArgument);
    const std::uint8_t four[] = {0, 1, 0, 2};
    u2.SetData(four);
    EXPECT_EQ(u2, U2(1, 2));
}

TEST(SecsItem, ToText) {
    EXPECT_EQ(U4(1, 2, 3).ToText(), "1,2,3");
    EXPECT_EQ(U4().ToText(), "");
    EXPECT_EQ(F4(0.1).ToText(), "0.1");
    EXPECT_EQ(F8(0.1).ToText(), "0.1");
    EXPECT_EQ(Boolean({true, false}).ToText(), "True,False");
    EXPECT_EQ(B({0, 255}).ToText(), "0,255");
    EXPECT_EQ(I1(-5).ToText(), "-5");
    EXPECT_EQ(A(" x ").ToText(), " x ");
    EXPECT_EQ(ErrorNumber([] { L().ToText(); }), errc::kTypeMismatch);
}

TEST(SecsMessage, HeaderFieldsAndBody) {
    SecsMessage m(6, 11, true, L(U4(1)));
    EXPECT_EQ(m.Name(), "S6F11");
    EXPECT_EQ(m.BodyCount(), 1u);
    EXPECT_EQ(m.Item(1).Item(1), U4(1));
    EXPECT_EQ(ErrorNumber([] { SecsMessage(128, 1); }), errc::kInvalidArgument);
    EXPECT_EQ(ErrorNumber([] { SecsMessage(1, 256); }), errc::kInvalidArgument);
    EXPECT_EQ(MessageName(12, 0), "S12F0");
}

}  // namespace
}  // namespace kest
