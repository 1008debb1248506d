#include <gtest/gtest.h>

#include <asio/io_context.hpp>

#include "control/kest_server.h"
#include "core/establish_timer.h"
#include "support/control_harness.h"
#include "ui/frm_main.h"

namespace kest::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

class Timer : public ::testing::Test {
  protected:
    // Moves the clock on by `ms` and ticks, as the 500 ms timer does.
    void After(int ms) {
        clock->Advance(milliseconds(ms));
        timer.Tick();
    }

    std::shared_ptr<ManualClock> clock =
        std::make_shared<ManualClock>(UtcTime(2026, 12, 5, 10, 0, 0) + milliseconds(200));
    int expiries = 0;
    EstablishTimer timer{clock, [this] { ++expiries; }};
};

TEST_F(Timer, ExpiresOnTheFirstWorkingTickOfEachSecondAfterTheStart) {
    timer.Start();
    EXPECT_EQ(timer.Countdown(), 0);
    After(500);  // 10:00:00.7: the second it started in
    EXPECT_EQ(expiries, 0);
    After(500);  // 10:00:01.2
    EXPECT_EQ(expiries, 1);
    After(100);  // the same second counts once
    EXPECT_EQ(expiries, 1);
    After(1000);  // without a reload the countdown stays below 0
    EXPECT_EQ(expiries, 2);
}

TEST_F(Timer, AReloadMakesTheNextExpiryComeThatManySecondsLater) {
    timer.Start();
    After(1000);
    timer.Reload(3);
    After(1000);
    After(1000);
    EXPECT_EQ(expiries, 1);
    After(1000);
    EXPECT_EQ(expiries, 2);
    timer.Reload(0);  // every second
    After(1000);
    EXPECT_EQ(expiries, 3);
}

TEST_F(Timer, AStoppedTimerKeepsItsCountdownAndRestartsFromZeroInTheNextSecond) {
    timer.Start();
    timer.Reload(10);
    timer.Stop();
    After(1000);
    After(1000);
    EXPECT_EQ(expiries, 0);
    EXPECT_EQ(timer.Countdown(), 9);
    timer.Start();
    EXPECT_EQ(timer.Countdown(), 0);
    timer.Tick();  // the second of the start
    EXPECT_EQ(expiries, 0);
    timer.Reload(3);
    timer.Start();  // already running: unchanged
    EXPECT_EQ(timer.Countdown(), 2);
}

TEST(TimerOnExecutor, TicksOnlyWhileStartedAndNotAfterDestruction) {
    asio::io_context io;
    auto clock = std::make_shared<ManualClock>(UtcTime(2026, 12, 5, 10, 0, 0));
    int expiries = 0;
    auto timer = std::make_unique<EstablishTimer>(clock, [&] { ++expiries; });
    timer->RunOn(io.get_executor());
    EXPECT_EQ(io.poll(), 0u);  // nothing armed while stopped
    io.restart();
    timer->Start();
    clock->Advance(seconds(1));
    io.run_one_for(seconds(2));  // the first 500 ms tick
    EXPECT_EQ(expiries, 1);
    timer->Stop();
    io.restart();
    io.poll();  // the cancelled wait completes without a tick
    EXPECT_EQ(expiries, 1);
    timer->Start();
    timer.reset();  // destroyed with a wait pending
    io.restart();
    io.poll();
    EXPECT_EQ(expiries, 1);
}

TEST(WindowTimerOnExecutor, RunsWhenTheControlRunsItsTimers) {
    ControlHarness base;  // its database, reused by a control that runs its timers
    base.core.reset();
    base.server.reset();
    asio::io_context io;
    auto driver = std::make_shared<FakeDriver>();
    KestServerOptions options;
    options.clock = base.clock;
    options.driver_factory = [driver](asio::any_io_executor) { return driver; };
    options.boxes = base.boxes;
    auto server = KestServer::Create(io.get_executor(), base.dir, options);
    auto core = KestServerAccess::Core(*server);
    ASSERT_TRUE(core->RunsTimers());
    ASSERT_TRUE(server->StartGEMTool());
    driver->RaiseConnect();
    ASSERT_TRUE(core->FrmGEMTool()->EstablishTimerRunning());
    base.clock->Advance(seconds(1));
    io.run_for(milliseconds(700));
    EXPECT_EQ(driver->SentNames(), (std::vector<std::string>{"S1F13"}));
    core.reset();
    server.reset();
    io.restart();
    io.poll();
}

}  // namespace
}  // namespace kest::test
