#include <gtest/gtest.h>

#include "control/recording_action.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "support/control_harness.h"
#include "ui/frm_main.h"

namespace kest::test {
namespace {

using namespace kest::build;

// A control whose spooling is off, so losing the link reports no spooling events.
void NoSpooling(ControlHarness& h) {
    h.SetGemVar("ConfigSpool", 0);
}

std::shared_ptr<SecsTransaction> S6F11(ControlHarness& h) {
    return h.driver->CreateTransaction("S6F11");
}

TEST(SendSECSTrans, ChecksPortThenCommunicationThenControlStateWhichLetsStateEventsThrough) {
    ControlHarness h;
    NoSpooling(h);
    h.Communicating();
    auto send = [&](const char* port, int comm, int control, const char* event) {
        h.core->SetSetting("PortOpened", port);
        h.SetGemVar("CommState", comm);
        h.SetGemVar("ControlState", control);
        return h.core->SendSECSTrans(S6F11(h), event);
    };
    EXPECT_FALSE(send("FALSE", 1, 1, "NULL"));
    EXPECT_FALSE(send("TRUE", 1, 1, "NULL"));
    EXPECT_FALSE(send("TRUE", 2, 1, "NULL"));
    EXPECT_FALSE(send("TRUE", 2, 3, "GemProcessStateChange"));
    EXPECT_TRUE(h.driver->sent.empty());
    for (const char* name :
         {"GemControlStateLOCAL", "GemControlStateREMOTE", "GemControlStateOFFLINE",
          "GemSpoolingActivated", "GemSpoolTransmitFailure", "GemSpoolingDeactivated"}) {
        EXPECT_TRUE(send("TRUE", 2, 3, name)) << name;
    }
    EXPECT_EQ(h.driver->sent.size(), 6u);
    ASSERT_EQ(h.ErrorCodes(), (std::vector<int>{4019, 4020, 4021, 4021}));
    EXPECT_EQ(h.errors[0].ErrText, "Invalid port connect state to perform this task.");
    EXPECT_EQ(h.errors[1].ErrText, "Invalid communication state to perform this task.");
    EXPECT_EQ(h.errors[2].ErrText, "Invalid control state to perform this task.");
    EXPECT_EQ(h.errors[0].ErrSource, "KestServer:SendSECSTrans");
}

TEST(SendSECSTrans, RemembersTheAlarmOfAnS5F1EvenWhenRefused) {
    ControlHarness h;
    auto trans = h.driver->CreateTransaction("S5F1");
    trans->Primary().RootItem().Clear();
    trans->Primary().RootItem().AddItem(L(B({128}), U4(42), A("Overheat")));
    EXPECT_FALSE(h.core->SendSECSTrans(trans, "NULL"));
    EXPECT_TRUE(h.server->AlarmSet());
    EXPECT_EQ(h.server->LatestAlarmID(), "42");
    EXPECT_EQ(h.server->LatestAlarmText(), "Overheat");
}

TEST(DriverEvents, ConnectAndDisconnectReachSettingsEventsAndEveryAction) {
    ControlHarness h;
    NoSpooling(h);
    auto a = std::make_shared<RecordingAction>(11, 150);
    auto b = std::make_shared<RecordingAction>(12, 150);
    h.core->AddEDAction(a);
    h.core->AddEDAction(b);
    h.ClearRecords();  // creation reports the spool states
    h.driver->RaiseConnect();
    EXPECT_EQ(h.core->Setting("PortOpened"), "TRUE");
    h.driver->RaiseDisconnect(3024, "network error");
    EXPECT_EQ(h.core->Setting("PortOpened"), "FALSE");
    ASSERT_EQ(h.EventNames(),
              (std::vector<std::string>{"SECSProtocol/Connect", "SECSProtocol/Disconnect"}));
    EXPECT_EQ(h.events[1].Output("ErrorCode").ToInt32(), 3024);
    EXPECT_EQ(h.events[1].Output("ErrorText").ToText(), "network error");
    for (const auto& action : {a, b}) {
        EXPECT_EQ(action->calls,
                  (std::vector<std::string>{"Connect", "Disconnect 3024 network error"}));
    }
    // A link-loss error closes the port alike.
    h.driver->RaiseConnect();
    h.driver->RaiseError(3024, "reset by peer");
    EXPECT_EQ(h.core->Setting("PortOpened"), "FALSE");
    EXPECT_EQ(h.EventNames().back(), "SECSProtocol/Disconnect");
}

TEST(DriverEvents, MessagesInErrorReachNobody) {
    ControlHarness h;
    auto a = std::make_shared<RecordingAction>(11, 150);
    h.core->AddEDAction(a);
    h.driver->InjectPrimary(SecsMessage(1, 3, true), 0, 2016);
    auto sent = S6F11(h);
    sent->SetTag(11);
    h.driver->InjectReply(sent, SecsMessage(6, 12), 2016);
    ASSERT_EQ(h.ErrorCodes(), (std::vector<int>{4008, 4009}));
    EXPECT_EQ(h.errors[0].ErrText, "Primary in error : 2016-bad body");
    EXPECT_EQ(h.errors[1].ErrText, "Secondary in error : 2016-bad");
    // Trace data acknowledgements go to nobody either.
    auto trace = h.driver->CreateTransaction("S6F1");
    h.driver->InjectReply(trace, SecsMessage(6, 2));
    EXPECT_TRUE(a->calls.empty());
    h.driver->InjectReply(sent, SecsMessage(6, 12, false, B({0})));
    EXPECT_EQ(a->calls, (std::vector<std::string>{"ReceivedSecondary"}));
}

TEST(DriverEvents, CommunicationFailuresDropToNotCommunicatingWithOrWithoutAWindow) {
    for (bool window : {true, false}) {
        for (int code : {2012, 3005, 3013, 3014}) {
            ControlHarness h({.start_tool = window});
            NoSpooling(h);
            h.Communicating();
            h.ClearRecords();
            auto a = std::make_shared<RecordingAction>(11, 150);
            h.core->AddEDAction(a);
            h.driver->RaiseError(code, "timer", 77);
            ASSERT_FALSE(h.errors.empty());
            EXPECT_EQ(h.errors[0].ErrSource, "KestServer:VortelTool1_Error");
            EXPECT_EQ(h.errors[0].ErrCode, code);
            EXPECT_EQ(h.errors[0].ErrLine, 77);
            EXPECT_EQ(h.errors.back().ErrCode == 4005, !window) << "no window to refresh";
            EXPECT_EQ(h.GemVar("CommState"), "1");
            if (window) {
                EXPECT_EQ(h.core->FrmGEMTool()->Fields().CommState, "Not Communicating");
            }
            EXPECT_EQ(a->calls, (std::vector<std::string>{"SecsError " + std::to_string(code)}));
        }
    }
}

TEST(DriverEvents, ReplyTimeoutSendsS9F9NamingTheMessageOrReportsItCannot) {
    ControlHarness h({.start_tool = true});
    h.Communicating();
    h.driver->RaiseError(2012, "no reply within T3: S6F11");
    ASSERT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S9F9"}));
    auto mhead = h.driver->LastSent()->Primary().Item(1).Data();
    EXPECT_EQ(std::vector<std::uint8_t>(mhead.begin(), mhead.end()),
              (std::vector<std::uint8_t>{0x80, 0x00, 6, 11, 0x80, 0x01, 0, 0, 0, 0}));
    EXPECT_EQ(h.GemVar("ControlState"), "5");  // not an alarm: the control state stays

    h.SetGemVar("CommState", 2);
    h.core->SetSetting("PortOpened", "FALSE");
    h.ClearRecords();
    h.driver->RaiseError(2012, "no reply within T3: S1F1");
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{2012, 4019, 6002}));
    EXPECT_EQ(h.errors[2].ErrText, "SECS [S9F9] message send failed.");
    EXPECT_EQ(h.errors[2].ErrSource, "KestServer:VortelTool1_Error");
}

TEST(DriverEvents, AnAlarmThatDidNotReachTheHostTakesTheControlOffline) {
    ControlHarness h({.start_tool = true});
    NoSpooling(h);
    h.Communicating();
    auto trans = h.driver->CreateTransaction("S5F1");
    trans->Primary().RootItem().Clear();
    trans->Primary().RootItem().AddItem(L(B({128}), U4(7), A("Door open")));
    ASSERT_TRUE(h.core->SendSECSTrans(trans, "NULL"));
    h.driver->RaiseError(2015, "send failed: S5F1");
    ASSERT_EQ(h.boxes->texts, (std::vector<std::string>{"Spool Door open"}));
    EXPECT_EQ(h.GemVar("ControlState"), "3");
    // The control-state event still reaches the host while it is off-line.
    ASSERT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S5F1", "S6F11"}));
    auto offline = h.Db().EventGetRecord("GemControlStateOFFLINE", true);
    ASSERT_TRUE(offline.has_value());
    EXPECT_EQ(h.driver->LastSent()->Primary().Item(1).Item(2).Value().ToInt32(), offline->ID());
    h.SetGemVar("ControlState", 5);
    h.driver->RaiseError(2012, "no reply within T3: S5F1");
    EXPECT_EQ(h.GemVar("ControlState"), "3");
    EXPECT_EQ(h.driver->SentNames(), (std::vector<std::string>{"S5F1", "S6F11", "S9F9"}));
}

TEST(ReplyMethod, OnlyALiveTransactionNotifiesAndLeavesTheList) {
    ControlHarness h;
    h.core->AddEDAction(std::make_shared<RecordingAction>(21, 150));
    KestMethod late("GEMAlarm", "SetAlarmByALID", 99);
    h.core->ReplyMethod(late);
    EXPECT_TRUE(h.methods.empty());
    KestMethod method("GEMAlarm", "SetAlarmByALID", 21);
    method.AddOutput("ACKC5", 0);
    h.core->ReplyMethod(method);
    ASSERT_EQ(h.methods.size(), 1u);
    EXPECT_EQ(h.core->Actions().Find("21"), nullptr);
    h.core->ReplyMethod(method);  // twice: nothing more
    EXPECT_EQ(h.methods.size(), 1u);
}

TEST(ReplyCommand, AnswersOnceAsS2F42OrS2F50AndNothingWithoutTheWBit) {
    ControlHarness h;  // communication disabled: the dispatcher leaves the commands to the test
    auto waiting = [&](SecsMessage primary, bool enhanced) {
        auto command = std::make_shared<KestCommand>(h.core->NewTID());
        command->IsEnhanced = enhanced;
        command->SetTransaction(h.driver->InjectPrimary(std::move(primary)));
        h.core->AddCommand(command);
        return *command;
    };
    KestCommand answer = waiting(SecsMessage(2, 41, true, L(A("START"), L())), false);
    answer.HCACK = 3;
    answer.AddOutputs("LOT", 2);
    answer.AddOutputs("PPID", 1);
    KestCommand enhanced =
        waiting(SecsMessage(2, 49, true, L(U4(1), A("OBJ"), A("GO"), L())), true);
    enhanced.AddEnOutputs("P", 5);
    KestCommand quiet = waiting(SecsMessage(2, 41, false, L(A("X"), L())), false);
    h.ClearRecords();
    EXPECT_TRUE(h.server->ReplyCommand(answer));
    EXPECT_TRUE(h.server->ReplyCommand(enhanced));
    EXPECT_TRUE(h.server->ReplyCommand(quiet));
    ASSERT_EQ(h.driver->replies.size(), 2u);
    EXPECT_EQ(h.driver->replies[0].Name(), "S2F42");
    EXPECT_EQ(h.driver->replies[0].Item(1),
              L(B({3}), L(L(A("LOT"), B({2})), L(A("PPID"), B({1})))));
    EXPECT_EQ(h.driver->replies[1].Name(), "S2F50");
    EXPECT_EQ(h.driver->replies[1].Item(1), L(B({0}), L(L(A("P"), B({5})))));
    EXPECT_FALSE(h.server->ReplyCommand(answer));  // once only
    EXPECT_FALSE(h.server->ReplyCommand(KestCommand(12345)));
    EXPECT_EQ(h.ErrorCodes(), (std::vector<int>{4004, 4004}));
    EXPECT_EQ(h.errors[0].ErrText, "Invalid GEMCommand Object.");
}

TEST(StateUpdates, ProcessStateAndProcessPrograms) {
    ControlHarness h({.start_tool = true});
    h.ClearRecords();  // what the window's start-up reported
    EXPECT_FALSE(h.server->UpdateProcessState(""));
    EXPECT_FALSE(h.server->UpdatePPEXECName(""));
    EXPECT_FALSE(h.server->UpdatePPChange("", 1));
    ASSERT_EQ(h.ErrorCodes(), (std::vector<int>{4006, 4007, 4007}));
    EXPECT_EQ(h.errors[0].ErrText, "Invalid NewState value of Process State.");
    EXPECT_EQ(h.errors[1].ErrText, "Invalid PPID value of PPEXEC name.");
    EXPECT_EQ(h.errors[2].ErrText, "Invalid PPID value.");

    // The variables, and the window's fields following them.
    const frmMainFields& f = h.core->FrmGEMTool()->Fields();
    EXPECT_TRUE(h.server->UpdateProcessState("IDLE"));
    EXPECT_TRUE(h.server->UpdateProcessState("RUN"));
    EXPECT_TRUE(h.server->UpdatePPEXECName("RECIPE1"));
    EXPECT_TRUE(h.server->UpdatePPChange("R2", 2));
    EXPECT_EQ(f.PPChangeStatus, "Changed");
    EXPECT_TRUE(h.server->UpdatePPChange("R2", 7));
    EXPECT_EQ(h.GemVar("ProcessState") + " " + h.GemVar("PreviousProcessState") + " " +
                  h.GemVar("PPExecName") + " " + h.GemVar("PPChangeName") + " " +
                  h.GemVar("PPChangeStatus"),
              "RUN IDLE RECIPE1 R2 7");
    EXPECT_EQ(f.ProcessState + " " + f.PreviousProcessState + " " + f.PPExecName + " " +
                  f.PPChangeName + " " + f.PPChangeStatus,
              "RUN IDLE RECIPE1 R2 Unknown");
}

TEST(Notifications, AListenerThatThrowsIsReportedAndTheOthersStillHear) {
    ControlHarness h;
    int heard = 0;
    auto failing = h.server->Subscribe(
        {.ErrorNotification = [](const KestError&) { throw std::runtime_error("error view"); },
         .EventNotification =
             [](const KestEvent&) { throw std::runtime_error("listener broke"); }});
    auto later = h.server->Subscribe({.EventNotification = [&](const KestEvent&) { ++heard; }});
    h.ClearRecords();
    h.core->FireEvent(KestEvent("Equipment", "Tick"));
    EXPECT_EQ(heard, 1);
    // Reported once: the listener that also fails on the error report is only logged.
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "KestServer:EventNotification");
    EXPECT_EQ(h.errors[0].ErrText, "listener broke");
    EXPECT_NE(ReadFile(h.dir / "Log" / "KestTool_2026-12-05.log").find("error view"),
              std::string::npos);
}

TEST(Notifications, TerminalMessageWindowAppendsAndCloses) {
    ControlHarness h;
    h.core->DisplayMessage("first");
    h.core->DisplayMessage("second");
    EXPECT_TRUE(h.core->MessageWindowOpen());
    EXPECT_EQ(h.core->MessageWindowText(),
              "#############################\nfirst\n#############################\nsecond\n");
    h.core->DisplayMessage("");
    EXPECT_FALSE(h.core->MessageWindowOpen());
}

}  // namespace
}  // namespace kest::test
