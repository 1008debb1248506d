#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <new>

#include "base/error.h"
#include "notify/error_trap.h"
#include "notify/listener.h"
#include "notify/log_lines.h"

namespace kest {
namespace {

TEST(Notifier, EveryListenerHearsInOrderUntilItsSubscriptionEnds) {
    Notifier notifier;
    std::vector<std::string> heard;
    auto first = notifier.Subscribe(
        {.EventNotification = [&](const KestEvent& e) { heard.push_back("1:" + e.EventName); }});
    Subscription second = notifier.Subscribe(
        {.EventNotification = [&](const KestEvent& e) { heard.push_back("2:" + e.EventName); }});
    notifier.RaiseEvent(KestEvent("S", "A"));
    second.Cancel();
    notifier.RaiseEvent(KestEvent("S", "B"));
    {
        auto scoped = notifier.Subscribe({.EventNotification = [&](const KestEvent& e) {
            heard.push_back("3:" + e.EventName);
        }});
        notifier.RaiseEvent(KestEvent("S", "C"));
    }
    notifier.RaiseEvent(KestEvent("S", "D"));
    EXPECT_EQ(heard, (std::vector<std::string>{"1:A", "2:A", "1:B", "1:C", "3:C", "1:D"}));
}

TEST(Notifier, AThrowingOrSelfCancellingListenerDoesNotStopTheOthers) {
    Notifier notifier;
    int errors = 0;
    Subscription self;
    self = notifier.Subscribe({.ErrorNotification = [&](const KestError&) {
        self.Cancel();
        throw std::runtime_error("application bug");
    }});
    auto counting = notifier.Subscribe({.ErrorNotification = [&](const KestError&) { ++errors; }});
    EXPECT_NO_THROW(notifier.RaiseError(KestError{}));
    EXPECT_NO_THROW(notifier.RaiseError(KestError{}));
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(notifier.Count(), 1u);
}

TEST(Notifier, AListenerCancelledByAnotherHearsNothingMore) {
    Notifier notifier;
    int second_heard = 0;
    Subscription second;
    auto first =
        notifier.Subscribe({.EventNotification = [&](const KestEvent&) { second.Cancel(); }});
    second = notifier.Subscribe({.EventNotification = [&](const KestEvent&) { ++second_heard; }});
    notifier.RaiseEvent(KestEvent("S", "A"));
    EXPECT_EQ(second_heard, 0);
}

TEST(Notifier, CommandListenersMayAnswerTheCommand) {
    Notifier notifier;
    auto app = notifier.Subscribe({.CommandNotification = [](KestCommand& c) { c.HCACK = 3; }});
    KestCommand command(17);
    notifier.RaiseCommand(command);
    EXPECT_EQ(command.HCACK, 3);
    EXPECT_EQ(command.TID(), 17);
}

TEST(LogLines, FormatsOfEveryNotification) {
    KestError error{"EDPrimaryIn:ReplyS1F3", 6001, "text", 42};
    EXPECT_EQ(ErrorLogLine(error), "<ERROR> EDPrimaryIn:ReplyS1F3 - Line: 42 [6001] text");

    KestMethod method("GEMAlarm", "SetAlarmByALID");
    method.AddInput("ALID", 5);
    method.AddInput("ALCD", true);
    method.AddOutput("ACKC5", 0);
    EXPECT_EQ(MethodLogLine(method),
              "<METHOD> [GEMAlarm] SetAlarmByALID {INPUT:ALID=5} {INPUT:ALCD=True} "
              "{OUTPUT:ACKC5=0}");

    KestEvent event("GEMTrace", "TraceSend");
    event.AddOutput("TRID", 3);
    event.AddOutput("SMPLN", 1);
    EXPECT_EQ(EventLogLine(event), "<EVENT> [GEMTrace] TraceSend {TRID=3} {SMPLN=1}");
    EXPECT_EQ(EventLogLine(KestEvent("GEMControl", "RequestOnline")),
              "<EVENT> [GEMControl] RequestOnline");
}

TEST(LogLines, CommandLineNamesFormatsAndObjspecOnlyWhenEnhanced) {
    KestCommand command;
    command.RCMD = "START";
    command.Inputs().push_back({"LOT", enmItemFormat::FormatAscii, Variant("L1"), 0});
    command.Inputs().push_back({"N", enmItemFormat::FormatU4, Variant(3), 0});
    command.Inputs().push_back({"F", enmItemFormat::FormatBoolean, Variant(true), 0});
    EXPECT_EQ(CommandLogLine(command),
              "<COMMAND> RCMD=START {INPUT:LOT/A=L1} {INPUT:N/U4=3} {INPUT:F/BL=True}");
    command.IsEnhanced = true;
    command.OBJSPEC = "OBJ";
    EXPECT_EQ(
        CommandLogLine(command),
        "<COMMAND> RCMD=START, OBJSPEC=OBJ {INPUT:LOT/A=L1} {INPUT:N/U4=3} {INPUT:F/BL=True}");
    EXPECT_EQ(CommandFormatText(enmItemFormat::FormatJIS8), "A");
    EXPECT_EQ(CommandFormatText(enmItemFormat::FormatList), "L");
    EXPECT_EQ(CommandFormatText(enmItemFormat::FormatBinary), "B");
}

class Recorder : public ErrorReporter {
  public:
    void TriggerError(const std::string& source, int code, const std::string& text,
                      int line) override {
        errors.push_back({source, code, text, line});
    }
    std::vector<KestError> errors;
};

TEST(ErrorTrap, TurnsEveryFailureIntoOneReportAndTheFailureValue) {
    Recorder recorder;
    EXPECT_EQ(RunTrapped(
                  &recorder, "GEMAlarm:SetAlarmByALID", [] { return 7; }, -1),
              7);
    EXPECT_TRUE(recorder.errors.empty());

    EXPECT_FALSE(RunTrapped(&recorder, "A:B", []() -> bool { ThrowOverflow(); }));
    EXPECT_EQ(RunTrapped(
                  &recorder, "A:C", []() -> int { throw std::bad_alloc(); }, -1),
              -1);
    RunTrapped(&recorder, "A:D", [] {
        throw std::filesystem::filesystem_error("x", std::make_error_code(std::errc::io_error));
    });
    RunTrapped(&recorder, "A:E", [] { throw 42; });
    ASSERT_EQ(recorder.errors.size(), 4u);
    EXPECT_EQ(recorder.errors[0].ErrSource, "A:B");
    EXPECT_EQ(recorder.errors[0].ErrCode, 6);
    EXPECT_EQ(recorder.errors[0].ErrText, "Overflow");
    EXPECT_GT(recorder.errors[0].ErrLine, 0);
    EXPECT_EQ(recorder.errors[1].ErrCode, 7);
    EXPECT_EQ(recorder.errors[2].ErrCode, 75);
    EXPECT_EQ(recorder.errors[3].ErrText, "Unknown error");
    EXPECT_NO_THROW(RunTrapped(nullptr, "A:F", [] { ThrowTypeMismatch(); }));
}

}  // namespace
}  // namespace kest
