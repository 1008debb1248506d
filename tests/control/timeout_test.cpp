#include <gtest/gtest.h>

#include "control/recording_action.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "support/control_harness.h"

namespace kest::test {
namespace {

using namespace kest::build;

TEST(TimeoutPass, TransactionsTimeOutOnThe150thPassNamingTheirMethod) {
    ControlHarness h;
    h.ClearRecords();
    const int timeout = h.server->GEMTimeout();
    h.core->AddEDAction(std::make_shared<RecordingAction>(31, timeout, "GEMClock", "GetDateTime"));
    h.core->AddEDAction(std::make_shared<RecordingAction>(33, timeout, "GEMMap", ""));
    h.Tick(149);
    EXPECT_NE(h.core->Actions().Find("31"), nullptr);
    EXPECT_TRUE(h.events.empty());
    h.Tick(1);
    EXPECT_EQ(h.core->Actions().Find("31"), nullptr);
    ASSERT_EQ(h.EventNames(),
              (std::vector<std::string>{"GEMClock/GEMTimeout", "GEMMap/GEMTimeout"}));
    EXPECT_EQ(h.events[0].Output("MethodName").ToText(), "GetDateTime");
    EXPECT_TRUE(h.events[1].Outputs().empty());                 // a class without a method name
    EXPECT_NE(h.core->Actions().Find("EDPrimaryIn"), nullptr);  // never timed out
}

TEST(TimeoutPass, CountsEverySecondOfTheClockOnceAndNoneForAClockSetForward) {
    ControlHarness h;
    h.core->AddEDAction(std::make_shared<RecordingAction>(32, 10));
    auto left = [&] { return h.core->Actions().Find("32")->Timeout(); };
    auto after = [&](std::chrono::milliseconds ms) {
        h.clock->Advance(ms);
        h.core->TimeoutTick();
    };
    for (int i = 0; i < 5; ++i)
        h.core->TimeoutTick();              // the clock has not moved
    after(std::chrono::milliseconds(500));  // still the same second
    EXPECT_EQ(left(), 10);
    after(std::chrono::milliseconds(500));
    EXPECT_EQ(left(), 9);
    after(std::chrono::milliseconds(4500));  // a stalled loop: every second it missed
    EXPECT_EQ(left(), 5);
    h.clock->Set(h.clock->Now() + std::chrono::hours(1));  // the wall clock set forward
    h.core->TimeoutTick();
    EXPECT_EQ(left(), 5);
    after(std::chrono::milliseconds(500));  // the half second left over counts
    EXPECT_EQ(left(), 4);
}

TEST(TimeoutPass, EachControlNumbersItsOwnTransactions) {
    ControlHarness first;
    ControlHarness second;  // the same clock time: a shared counter would differ by one
    EXPECT_EQ(first.core->NewTID(), second.core->NewTID());
    EXPECT_EQ(first.server->GEMCommand().TID(), second.server->GEMCommand().TID());
}

TEST(TimeoutPass, AnOwedProcessProgramEndsWithS9F13) {
    ControlHarness h;
    h.Communicating();
    h.core->ExpectMsg().push_back({"RECIPE\\A", 2});
    h.core->ExpectMsg().push_back({"B", 5});
    h.Tick(1);
    EXPECT_TRUE(h.driver->sent.empty());
    h.Tick(1);
    ASSERT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S9F13"}));
    EXPECT_EQ(h.driver->LastSent()->Primary().Item(1), L(A("S7F3"), A("RECIPE\\A")));
    ASSERT_EQ(h.core->ExpectMsg().size(), 1u);
    EXPECT_EQ(h.core->ExpectMsg()[0].Countdown, 3);
}

TEST(TimeoutPass, AnUnansweredCommandTimesOutWithItsRcmd) {
    ControlHarness h;
    h.ClearRecords();
    auto command = std::make_shared<KestCommand>(h.core->NewTID());
    command->RCMD = "START";
    command->SetCountdown(3);
    h.core->AddCommand(command);
    h.Tick(2);
    EXPECT_TRUE(h.events.empty());
    h.Tick(1);
    ASSERT_EQ(h.EventNames(), (std::vector<std::string>{"GEMCommand/GEMTimeout"}));
    EXPECT_EQ(h.events[0].Output("MethodName").ToText(), "START");
    EXPECT_EQ(h.core->Commands().Size(), 0u);
    EXPECT_FALSE(h.server->ReplyCommand(*command));  // too late: 4004
}

class LimitMonitoring : public ::testing::Test {
  protected:
    void SetUp() override {
        KestRecVariable v;
        v.SetID(1001);
        v.SetName("ChamberPressure");
        v.SetVarFormat(static_cast<int>(enmItemFormat::FormatU4));
        v.SetValue("50");
        ASSERT_TRUE(h.Db().VariableAddRecord(v));
        ASSERT_TRUE(h.Db().LimitAddAttr({3, 1001, "80", "20", 0}));
    }

    void Set(const char* value) {
        ASSERT_TRUE(h.Db().VariableSetField(1001, FLDID_VARIABLE::VAR_VAL, value, false));
        h.Tick(1);
    }

    std::string Transition() const {
        return h.GemVar("EventLimit") + "/" + h.GemVar("LimitVariable") + "/" +
               h.GemVar("TransitionType");
    }

    ControlHarness h;
};

TEST_F(LimitMonitoring, ReportsZoneTransitionsOnlyAfterTheSilentSeed) {
    h.Tick(1);  // seeds "between": nothing to report
    std::string untouched = Transition();
    Set("90");
    EXPECT_EQ(Transition(), "3/1001/0");  // into the upper zone
    h.SetGemVar("EventLimit", 0);
    Set("95");  // still above: no second report
    Set("50");  // back in the dead band: keeps the upper zone
    EXPECT_EQ(h.GemVar("EventLimit"), "0");
    Set("10");
    EXPECT_EQ(Transition(), "3/1001/1");  // into the lower zone
    EXPECT_NE(untouched, Transition());
}

TEST_F(LimitMonitoring, AValueAlreadyBeyondABoundAtStartIsNotReported) {
    h.SetGemVar("TransitionType", 9);
    Set("99");  // the first evaluation only seeds
    EXPECT_EQ(h.GemVar("TransitionType"), "9");
    Set("5");
    EXPECT_EQ(h.GemVar("TransitionType"), "1");
}

TEST_F(LimitMonitoring, ValuesCompareByTheVariableFormat) {
    // U4 drops the fraction: 80.9 is 80, inside the band; 81.2 is 81, above it.
    h.Tick(1);
    Set("80.9");
    EXPECT_NE(h.GemVar("EventLimit"), "3");
    Set("81.2");
    EXPECT_EQ(h.GemVar("EventLimit"), "3");
}

TEST_F(LimitMonitoring, AValueThatIsNotNumericIsReportedAndTheOthersGoOn) {
    h.Tick(1);
    h.ClearRecords();
    Set("high");
    ASSERT_FALSE(h.errors.empty());
    EXPECT_EQ(h.errors[0].ErrSource, "KestServer:Timeout_Timer");
    EXPECT_EQ(h.errors[0].ErrCode, 13);
}

}  // namespace
}  // namespace kest::test
