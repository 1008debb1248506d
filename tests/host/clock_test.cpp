// The host reads and sets the equipment's clock (kept as an offset from the test's manual clock,
// 2026-12-05 10:00:00 UTC) and loops bytes back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "host_fixture.h"

namespace kest::test {
namespace {

using namespace kest::build;

struct ClockCase : HostCase {
    const char* now = "261205100000";  ///< what S2F17 reads afterwards (12 characters)
    const char* tz = "UTC";            ///< the local time zone of the case
};

class HostClock : public HostTest, public ::testing::WithParamInterface<ClockCase> {
  protected:
    void SetUp() override {
        h.core->SetSetting("EquipmentClock", "OFFSET");
        h.core->LoadClockSetting();
        SetState("TimeFormat", 0);
    }
    void TearDown() override { Zone("UTC"); }
    static void Zone(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }
    std::string ReadClock() {
        Forget();
        Receive(2, 17);
        return OnlyReplyBody("S2F18").ToText();
    }
};

ClockCase SetTo(const char* label, const char* time, int tiack, const char* now,
                const char* tz = "UTC") {
    return {{label, SecsMessage(2, 31, true, A(time)), B({std::uint8_t(tiack)})}, now, tz};
}

ClockCase Refused(const char* label, SecsItem time, const char* refusal = "S9F7") {
    return {{label, SecsMessage(2, 31, true, std::move(time)), std::nullopt, refusal}};
}

TEST_P(HostClock, IsSetOnlyToAPossibleLocalTime) {
    const ClockCase& c = GetParam();
    Zone(c.tz);
    Check(c);
    EXPECT_EQ(ReadClock(), c.now);
}

INSTANTIATE_TEST_SUITE_P(
    Stream2, HostClock,
    ::testing::Values(
        SetTo("twelve", "261205113000", 0, "261205113000"),
        SetTo("sixteen_last_two_ignored", "2027010203040599", 0, "270102030405"),
        SetTo("padded", "  261205113000 ", 0, "261205113000"),
        SetTo("lowest", "2000010100000000", 0, "000101000000"),
        SetTo("highest", "261231235959", 0, "261231235959"),
        SetTo("leap_day", "240229120000", 0, "240229120000"),
        SetTo("april_30", "260430120000", 0, "260430120000"),
        SetTo("common_year_leap_day", "230229120000", 1, "261205100000"),
        SetTo("skipped_by_dst", "260329023000", 1, "261205110000", "Europe/Berlin"),
        Refused("header_only", SecsItem()),
        Refused("not_text", B({'2', '6', '1', '2', '0', '5', '1', '1', '3', '0', '0', '0'})),
        Refused("exponent", A("26120510.e00")), Refused("not_numeric", A("2612051130x0")),
        Refused("empty", A("")), Refused("fourteen", A("20261205113000"), "S9F11"),
        Refused("year_1999", A("1999120510000000")), Refused("month_0", A("260005100000")),
        Refused("month_13", A("261305100000")), Refused("day_0", A("261200100000")),
        Refused("february_30", A("260230100000")), Refused("april_31", A("260431100000")),
        Refused("december_32", A("261232100000")), Refused("hour_24", A("261205240000")),
        Refused("minute_60", A("261205106000")), Refused("second_60", A("261205100060"))),
    kLabel);

TEST_F(HostClock, IsReadInEitherTimeFormatAndOnlyWhenAsked) {
    EXPECT_EQ(ReadClock(), "261205100000");
    SetState("TimeFormat", 1);
    EXPECT_EQ(ReadClock(), "2026120510000000");
    Forget();
    Receive(SecsMessage(2, 17, false));
    EXPECT_TRUE(h.driver->replies.empty());
}

TEST_F(HostClock, OffsetSurvivesARestartAndLeavesTheSteadyTime) {
    const auto steady = h.core->GetClock()->Steady();
    Check(SetTo("set", "261205113000", 0, ""));
    EXPECT_EQ(h.core->Setting("EquipmentClockOffset"), "5400000");
    EXPECT_EQ(h.core->GetClock()->Steady(), steady);
    EXPECT_EQ(h.clock->Now(), UtcTime(2026, 12, 5, 10, 0, 0));  // the base clock is not moved

    h.core.reset();
    h.server.reset();
    KestServerOptions options;
    options.clock = h.clock;
    options.driver_factory = [d = std::make_shared<FakeDriver>()](asio::any_io_executor) {
        return d;
    };
    options.boxes = h.boxes;
    options.run_timers = false;
    auto again = KestServer::Create(h.io.get_executor(), h.dir, options);
    EXPECT_EQ(KestServerAccess::Core(*again)->GetClock()->Now(), UtcTime(2026, 12, 5, 11, 30, 0));
}

// Without offset mode the machine's clock would be set; on the test's clock that is refused.
class SystemClockSet : public HostTest {};

TEST_F(SystemClockSet, RefusedKeepsTheTime) {
    SetState("TimeFormat", 0);
    Check(SetTo("refused", "261205113000", 1, ""));
    EXPECT_EQ(h.core->GetClock()->Now(), UtcTime(2026, 12, 5, 10, 0, 0));
}

class Loopback : public HostTest, public ::testing::WithParamInterface<HostCase> {};

TEST_P(Loopback, EchoesTheValueBytesAsBinary) {
    Check(GetParam());
}

HostCase Echo(const char* label, SecsItem abs, SecsItem reply) {
    return {label, SecsMessage(2, 25, true, std::move(abs)), std::move(reply)};
}

INSTANTIATE_TEST_SUITE_P(Stream2, Loopback,
                         ::testing::Values(Echo("ten_bytes", B({0, 1, 2, 3, 4, 5, 6, 7, 8, 255}),
                                                B({0, 1, 2, 3, 4, 5, 6, 7, 8, 255})),
                                           Echo("text", A("hi"), B({'h', 'i'})),
                                           Echo("u2", U2(0x0102), B({1, 2}))),
                         kLabel);

}  // namespace
}  // namespace kest::test
