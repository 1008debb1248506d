#include "core/transaction_number.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <set>
#include "support/test_helpers.h"

namespace kest {
namespace {

class TransactionNumberTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

TEST_F(TransactionNumberTest, DayOfYearSecondsAndCounter) {
    auto clock = std::make_shared<ManualClock>(test::UtcTime(2026, 2, 1, 1, 2, 3));  // day 32
    TransactionNumbers numbers(clock);
    const std::int32_t base = 32 * 86400 + 3600 + 120 + 3;
    EXPECT_EQ(numbers.Next(), base + 1);
    EXPECT_EQ(numbers.Next(), base + 2);
    clock->Advance(std::chrono::seconds(10));
    EXPECT_EQ(numbers.Next(), base + 10 + 3);
}

TEST_F(TransactionNumberTest, CounterWrapsToZeroAfterReachingTheLimit) {
    auto clock = std::make_shared<ManualClock>(test::UtcTime(2026, 12, 31, 23, 59, 59));  // day 365
    TransactionNumbers numbers(clock);
    const std::int32_t base = 365 * 86400 + 86399;
    numbers.SetCounter(TransactionNumbers::kCounterLimit - 1);
    EXPECT_EQ(numbers.Next(), base + TransactionNumbers::kCounterLimit);  // used, then reset
    EXPECT_EQ(numbers.Counter(), 0);
    EXPECT_EQ(numbers.Next(), base + 1);
}

TEST_F(TransactionNumberTest, NumbersStillInUseAreSkipped) {
    auto clock = std::make_shared<ManualClock>(test::UtcTime(2026, 1, 1, 0, 0, 0));
    TransactionNumbers numbers(clock);
    const std::int32_t base = 86400;
    std::set<std::int32_t> live{base + 1, base + 2};
    EXPECT_EQ(numbers.Next([&](std::int32_t t) { return live.count(t) > 0; }), base + 3);
}

}  // namespace
}  // namespace kest
