#include "base/clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include "support/test_helpers.h"

namespace kest {
namespace {

class ClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

TEST_F(ClockTest, FormatsThePatternsTheSystemUses) {
    auto t = test::UtcTime(2026, 2, 3, 4, 5, 6, 789);
    EXPECT_EQ(FormatLocal(t, "yyyy-mm-dd"), "2026-02-03");
    EXPECT_EQ(FormatLocal(t, "yyyy/mm/dd hh:nn:ss.cc"), "2026/02/03 04:05:06.78");
    EXPECT_EQ(FormatLocal(t, "yymmddhhnnss"), "260203040506");
    EXPECT_EQ(FormatLocal(t, "yyyymmddhhnnss00"), "2026020304050600");
    EXPECT_EQ(FormatLocal(t, "hh:nn:ss"), "04:05:06");
}

TEST_F(ClockTest, DayOfYearAndManualClock) {
    EXPECT_EQ(ToLocal(test::UtcTime(2024, 12, 31, 23, 59, 59)).day_of_year, 366);
    ManualClock clock(test::UtcTime(2026, 1, 1, 0, 0, 0));
    clock.Advance(std::chrono::milliseconds(1500));
    EXPECT_EQ(FormatLocal(clock.Now(), "hh:nn:ss.cc"), "00:00:01.50");
}

}  // namespace
}  // namespace kest
