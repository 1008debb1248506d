#include "base/equipment_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>

#include "support/test_helpers.h"

namespace kest {
namespace {

using test::UtcTime;

class EquipmentClockTest : public ::testing::Test {
  protected:
    void SetUp() override { Zone("Europe/Berlin"); }  // a zone with daylight saving
    void TearDown() override { Zone("UTC"); }
    static void Zone(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }
    std::shared_ptr<ManualClock> base =
        std::make_shared<ManualClock>(UtcTime(2026, 12, 5, 10, 0, 0));
};

TEST_F(EquipmentClockTest, LocalTimesMapToOneInstantOrNone) {
    struct Case {
        LocalTime local;
        std::optional<Clock::TimePoint> utc;
    };
    const Case cases[] = {
        {{2026, 7, 1, 12, 0, 0}, UtcTime(2026, 7, 1, 10, 0, 0)},
        {{2026, 12, 31, 23, 59, 59}, UtcTime(2026, 12, 31, 22, 59, 59)},
        {{2026, 3, 29, 2, 30, 0}, std::nullopt},                      // skipped hour
        {{2026, 10, 25, 2, 30, 0}, UtcTime(2026, 10, 25, 0, 30, 0)},  // twice: the earlier
        {{2023, 2, 29, 12, 0, 0}, std::nullopt},
        {{2026, 4, 31, 12, 0, 0}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FromLocal(c.local), c.utc)
            << c.local.year << "-" << c.local.month << "-" << c.local.day << " " << c.local.hour;
    }
}

TEST_F(EquipmentClockTest, SetsTheBaseThroughItsSetterOrRefuses) {
    EquipmentClock clock(base, [this](Clock::TimePoint t) {
        base->Set(t);
        return true;
    });
    EXPECT_TRUE(clock.Set({2027, 1, 2, 3, 4, 5}));
    EXPECT_EQ(base->Now(), UtcTime(2027, 1, 2, 2, 4, 5));
    EXPECT_EQ(clock.Now(), base->Now());
    EXPECT_FALSE(clock.Set({2026, 3, 29, 2, 30, 0}));
    EXPECT_EQ(base->Now(), UtcTime(2027, 1, 2, 2, 4, 5));

    EquipmentClock refusing(base, nullptr);
    EXPECT_FALSE(refusing.Set({2027, 1, 2, 3, 4, 5}));
}

}  // namespace
}  // namespace kest
