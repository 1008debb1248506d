// Data messages through a passive driver: received primaries and their replies, sent primaries
// and theirs, T3, refusals and the log, checked byte for byte by a raw socket peer.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "driver_fixture.h"
#include "secs/build.h"

namespace kest::test {
namespace {

using namespace kest::build;
using namespace kest::driver_error;

using Messages = Passive;

TEST_F(Messages, AnUndecodableBodyStillArrivesAndTheConnectionStays) {
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex("00 00 00 0b 00 01 81 03 00 00 00 00 00 22 01");  // L header without length
    auto bad = NextPrimary();
    ASSERT_TRUE(bad);
    const auto& event = *Events().Last("ReceivedPrimary");
    EXPECT_EQ(event.code, kUndecodableBody);
    EXPECT_EQ(event.text.substr(0, 18), "Undecodable body (");
    EXPECT_EQ(event.text.substr(event.text.size() - 6), ": S1F3");
    EXPECT_EQ(bad->Primary().Stream(), 1);
    EXPECT_EQ(bad->Primary().Function(), 3);
    EXPECT_TRUE(bad->ReplyExpected());
    EXPECT_EQ(bad->Primary().BodyCount(), 0u);
    EXPECT_EQ(bad->SystemBytes(), 0x22u);

    peer.WriteHex(kS1F1W_21);
    auto good = NextPrimary();
    ASSERT_TRUE(good);
    EXPECT_EQ(Events().Last("ReceivedPrimary")->code, 0);
    EXPECT_TRUE(Driver().IsSelected());
}

TEST_F(Messages, APrimaryArrivesWithItsReplyShellAndTheReplyGoesBackExactly) {
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex(kS1F1W_21);
    auto t = NextPrimary();
    ASSERT_TRUE(t);
    EXPECT_EQ(Events().Last("ReceivedPrimary")->text, "");
    EXPECT_EQ(t->DeviceID(), 1);
    EXPECT_TRUE(t->ReplyExpected());
    EXPECT_EQ(t->Primary(), SecsMessage(1, 1, true));
    EXPECT_EQ(t->Secondary(), SecsMessage(1, 2, false, L(A(), A())));
    t->Secondary().Item(1).Item(1).SetValue("MDLN");
    t->Secondary().Item(1).Item(2).SetValue("1.0");
    EXPECT_TRUE(t->Reply());
    // Same system bytes and device ID, no W-bit, the body L,2 {A "MDLN", A "1.0"}.
    EXPECT_EQ(peer.ReadFrame(),
              "00 00 00 17 00 01 01 02 00 00 00 00 00 21 "
              "01 02 41 04 4d 44 4c 4e 41 03 31 2e 30");
}

TEST_F(Messages, AForeignDeviceIdIsDeliveredAndAnsweredUnderIt) {
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex("00 00 00 0a 01 2c 81 01 00 00 00 00 00 23");  // device 300
    auto t = NextPrimary();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->DeviceID(), 300);
    EXPECT_TRUE(t->Reply());
    EXPECT_EQ(peer.ReadFrame(), "00 00 00 10 01 2c 01 02 00 00 00 00 00 23 01 02 41 00 41 00");
}

TEST_F(Messages, AnUnknownPrimaryArrivesWithAnEmptyShellForTheAbortReply) {
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex("00 00 00 0c 00 01 e3 01 00 00 00 00 00 31 21 00");  // S99F1 W <B>
    auto t = NextPrimary();
    ASSERT_TRUE(t);
    EXPECT_EQ(Events().Last("ReceivedPrimary")->code, 0);
    EXPECT_EQ(t->Primary(), SecsMessage(99, 1, true, B()));
    EXPECT_EQ(t->Secondary(), SecsMessage(99, 2));
    t->Secondary().SetFunction(0);  // the control's abort reply
    EXPECT_TRUE(t->Reply());
    EXPECT_EQ(peer.ReadFrame(), "00 00 00 0a 00 01 63 00 00 00 00 00 00 31");
}

TEST_F(Messages, ReplyOwesNothingWithoutWBitAndGoesOutOnlyOnce) {
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex("00 00 00 0a 00 01 01 03 00 00 00 00 00 24");  // S1F3 without W
    auto no_w = NextPrimary();
    ASSERT_TRUE(no_w);
    EXPECT_TRUE(no_w->Reply());
    peer.WriteHex(kS1F1W_21);
    auto w = NextPrimary();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->Reply());
    EXPECT_FALSE(w->Reply());
    // Only the one reply arrives: the next frame is the linktest answer.
    EXPECT_EQ(SystemBytesOf(peer.ReadFrame()), 0x21u);
    EXPECT_TRUE(Answers(peer));
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kSendFailed);
    EXPECT_EQ(Events().Last("Error")->text, "Reply failed, the reply was sent already: S1F2");
}

TEST_F(Messages, ASentPrimaryGetsItsReplyOnTheSameTransaction) {
    RawPeer peer(io_);
    Select(peer);
    auto t = Driver().CreateTransaction("S6F11");
    t->SetTag(Variant(12345678));
    t->Primary().Item(1).Item(1).SetValue(5);
    t->Primary().Item(1).Item(2).SetValue(7);
    ASSERT_TRUE(t->Send());
    std::string frame = peer.ReadFrame();
    std::uint32_t sb = SystemBytesOf(frame);
    EXPECT_NE(sb, 0u);
    EXPECT_EQ(sb, t->SystemBytes());
    EXPECT_EQ(frame, "00 00 00 1a 00 01 86 0b 00 00 " + SbHex(sb) +
                         " 01 03 b1 04 00 00 00 05 b1 04 00 00 00 07 01 00");
    EXPECT_EQ(Driver().PendingReplies(), 1u);
    peer.WriteHex("00 00 00 0d 00 01 06 0c 00 00 " + SbHex(sb) + " 21 01 00");
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("ReceivedSecondary") == 1; }));
    const auto& event = *Events().Last("ReceivedSecondary");
    EXPECT_EQ(event.code, 0);
    EXPECT_EQ(event.transaction, t);
    EXPECT_EQ(t->Tag(), Variant(12345678));
    EXPECT_EQ(t->Secondary(), SecsMessage(6, 12, false, B({0})));
    EXPECT_EQ(Driver().PendingReplies(), 0u);
}

TEST_F(Messages, SystemBytesDifferAmongOpenTransactions) {
    RawPeer peer(io_);
    Select(peer);
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(Driver().CreateTransaction("S1F1")->Send());
        EXPECT_TRUE(seen.insert(SystemBytesOf(peer.ReadFrame())).second);
    }
    EXPECT_EQ(Driver().PendingReplies(), 20u);
}

TEST_F(Messages, T3EndsAnUnansweredTransactionAndALateReplyIsDropped) {
    TempDir dir;
    Driver().SetSECSIILogFile((dir.Path() / "SECSII.log").string());
    RawPeer peer(io_);
    Select(peer);
    auto t = Driver().CreateTransaction("S1F1");
    ASSERT_TRUE(t->Send());
    std::uint32_t sb = SystemBytesOf(peer.ReadFrame());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    const auto& error = *Events().Last("Error");
    EXPECT_EQ(error.code, kReplyTimeout);
    EXPECT_EQ(error.text, "Reply time-out T3 (150 ms) waiting for the reply to S1F1");
    // How the control reads it: the part after the last capital S, split at F.
    EXPECT_EQ(error.text.substr(error.text.rfind('S') + 1), "1F1");
    EXPECT_EQ(Driver().PendingReplies(), 0u);

    peer.WriteHex("00 00 00 0a 00 01 01 02 00 00 " + SbHex(sb));
    EXPECT_TRUE(Answers(peer));  // the reply was read before the linktest answer
    EXPECT_EQ(Events().Count("ReceivedSecondary"), 0u);
    char sb_text[16];
    std::snprintf(sb_text, sizeof sb_text, "0x%08X", sb);
    EXPECT_NE(dir.AllText().find(std::string("RECV S1F2 SystemBytes=") + sb_text),
              std::string::npos);
    EXPECT_NE(dir.AllText().find("(reply nobody waits for, dropped)"), std::string::npos);
}

TEST_F(Messages, T3RetryCountSendsThePrimaryAgainBeforeGivingUp) {
    Driver().SetT3RetryCount(1);
    Driver().SetTimer(ProtocolTimer::T3, 250ms);
    RawPeer peer(io_);
    Select(peer);
    ASSERT_TRUE(Driver().CreateTransaction("S1F1")->Send());
    std::string first = peer.ReadFrame();
    std::string again = peer.ReadFrame();
    EXPECT_EQ(again, first);  // the same message under the same system bytes
    EXPECT_EQ(Events().Count("Error"), 0u);
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kReplyTimeout);
}

TEST_F(Messages, ARejectedMessageFailsItsTransaction) {
    RawPeer peer(io_);
    Select(peer);
    ASSERT_TRUE(Driver().CreateTransaction("S6F11")->Send());
    std::uint32_t sb = SystemBytesOf(peer.ReadFrame());
    peer.WriteHex(ControlHex(7, sb, 0, 4));
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kSendFailed);
    EXPECT_EQ(Events().Last("Error")->text,
              "Send failed, rejected by the remote entity (reason 4 (entity not selected)): S6F11");
    EXPECT_EQ(Driver().PendingReplies(), 0u);
    EXPECT_TRUE(Driver().IsSelected());
}

TEST_F(Messages, ARefusedSendReportsAfterTheCallNotInsideIt) {
    auto t = Driver().CreateTransaction("S6F11");
    EXPECT_FALSE(t->Send());
    EXPECT_TRUE(Events().events.empty());  // nothing raised inside Send
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kSendFailed);
    EXPECT_EQ(Events().Last("Error")->text, "Send failed, the session is not selected: S6F11");

    Driver().ClosePort();
    EXPECT_FALSE(t->Send());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 2; }));
    EXPECT_EQ(Events().Last("Error")->text, "Send failed, the port is closed: S6F11");
}

TEST_F(Messages, ABodyThatCannotBeEncodedIsRefused) {
    RawPeer peer(io_);
    Select(peer);
    auto t = Driver().CreateTransaction();
    t->Primary().SetStream(2);
    t->Primary().SetFunction(17);
    t->Primary().RootItem().AddItem(A("one"));
    t->Primary().RootItem().AddItem(A("two"));  // a body is one item
    EXPECT_FALSE(t->Send());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kSendFailed);
    const std::string& text = Events().Last("Error")->text;
    EXPECT_EQ(text.substr(0, 40), "Send failed, the body cannot be encoded ");
    EXPECT_EQ(text.substr(text.size() - 7), ": S2F17");
    EXPECT_TRUE(Answers(peer));
}

TEST_F(Messages, Stream9MessagesGoOutHeaderOnlyWithoutWaitingForAReply) {
    RawPeer peer(io_);
    Select(peer);
    auto s9 = Driver().CreateTransaction("S9F7");
    EXPECT_FALSE(s9->ReplyExpected());
    s9->Primary().RootItem().RemoveItem(1);
    ASSERT_TRUE(s9->Send());
    std::string frame = peer.ReadFrame();
    EXPECT_EQ(frame, "00 00 00 0a 00 01 09 07 00 00 " + SbHex(SystemBytesOf(frame)));
    EXPECT_EQ(Driver().PendingReplies(), 0u);
}

TEST_F(Messages, TheLogShowsEveryMessageBothWays) {
    TempDir dir;
    Driver().SetSECSIILogFile((dir.Path() / "Log" / "SECSII.log").string());
    RawPeer peer(io_);
    Select(peer, 0x11);
    peer.WriteHex(kS1F1W_21);
    auto t = NextPrimary();
    ASSERT_TRUE(t);
    t->Secondary().Item(1).Item(1).SetValue("MDLN");
    ASSERT_TRUE(t->Reply());
    peer.ReadFrame();
    std::string log = dir.AllText();
    for (const char* expected :
         {" NOTE Accepted a connection from 127.0.0.1:",
          " RECV Select.req SystemBytes=0x00000011\n",
          " SEND Select.rsp status 0 (established) SystemBytes=0x00000011\n", " NOTE Selected\n",
          " RECV S1F1 W SystemBytes=0x00000021 DeviceID=1\n",
          " SEND S1F2 SystemBytes=0x00000021 DeviceID=1\n  <L [2]\n    <A \"MDLN\">\n    <A>\n  "
          ">\n"}) {
        EXPECT_NE(log.find(expected), std::string::npos) << expected << "\nin\n" << log;
    }
}

TEST_F(Messages, CheckReplyStreamDropsRepliesOfAnotherStreamOrFunction) {
    Driver().SetCheckReplyStream(true);
    RawPeer peer(io_);
    Select(peer);
    ASSERT_TRUE(Driver().CreateTransaction("S1F1")->Send());
    std::uint32_t sb = SystemBytesOf(peer.ReadFrame());
    peer.WriteHex("00 00 00 0a 00 01 02 02 00 00 " + SbHex(sb));  // S2F2: not S1F1's reply
    peer.WriteHex("00 00 00 0a 00 01 01 04 00 00 " + SbHex(sb));  // S1F4: neither
    EXPECT_TRUE(Answers(peer));
    EXPECT_EQ(Events().Count("ReceivedSecondary"), 0u);
    EXPECT_EQ(Driver().PendingReplies(), 1u);
    peer.WriteHex("00 00 00 0a 00 01 01 00 00 00 " + SbHex(sb));  // S1F0, the abort reply, fits
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("ReceivedSecondary") == 1; }));
    EXPECT_EQ(Events().Last("ReceivedSecondary")->transaction->Secondary(), SecsMessage(1, 0));
}

}  // namespace
}  // namespace kest::test
