// Data messages through a passive driver: received primaries and their replies, sent primaries
// and theirs, T3, refusals and the log, checked byte for byte by a raw socket peer.
#include <gtest/gtest.h>

#include "driver_fixture.h"
#include "secs/build.h"

namespace kest::test {
namespace {

using namespace kest::build;
using namespace kest::driver_error;

using Messages = Passive;

// The fields an error about a message carries.
void ExpectAbout(const DriverError& e, int stream, int function, std::uint32_t system_bytes) {
    EXPECT_EQ(e.stream, stream);
    EXPECT_EQ(e.function, function);
    EXPECT_EQ(e.system_bytes, system_bytes);
    EXPECT_EQ(e.message_name, "S" + std::to_string(stream) + "F" + std::to_string(function));
}

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
    EXPECT_EQ(bad->Primary(), SecsMessage(1, 3, true));
    EXPECT_EQ(bad->SystemBytes(), 0x22u);

    peer.WriteHex(kS1F1W_21);
    ASSERT_TRUE(NextPrimary());
    EXPECT_EQ(Events().Last("ReceivedPrimary")->code, 0);
    EXPECT_TRUE(Driver().IsSelected());
}

// A primary arrives with its reply shell from the dictionary; the reply goes back under the
// primary's device ID and system bytes, without the W-bit.
struct IncomingCase {
    const char* name;
    std::string primary_hex;
    SecsMessage primary;
    int device_id;
    SecsMessage shell;
    std::function<void(SecsMessage&)> fill;
    std::string reply_hex;  // "" when nothing is owed
};

class Incoming : public Passive, public ::testing::WithParamInterface<IncomingCase> {};

TEST_P(Incoming, ArrivesWithItsShellAndTheReplyGoesBackExactly) {
    const auto& c = GetParam();
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex(c.primary_hex);
    auto t = NextPrimary();
    ASSERT_TRUE(t);
    EXPECT_EQ(Events().Last("ReceivedPrimary")->code, 0);
    EXPECT_EQ(t->DeviceID(), c.device_id);
    EXPECT_EQ(t->Primary(), c.primary);
    EXPECT_EQ(t->Secondary(), c.shell);
    if (c.fill) c.fill(t->Secondary());
    EXPECT_TRUE(t->Reply());
    if (!c.reply_hex.empty()) {
        EXPECT_EQ(peer.ReadFrame(), c.reply_hex);
    }
    EXPECT_TRUE(Answers(peer));  // and nothing else came before the linktest answer
    EXPECT_EQ(Events().Count("Error"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    E37, Incoming,
    ::testing::Values(
        IncomingCase{"s1f1", kS1F1W_21, SecsMessage(1, 1, true), 1,
                     SecsMessage(1, 2, false, L(A(), A())),
                     [](SecsMessage& reply) {
                         reply.Item(1).Item(1).SetValue("MDLN");
                         reply.Item(1).Item(2).SetValue("1.0");
                     },
                     "00 00 00 17 00 01 01 02 00 00 00 00 00 21 "
                     "01 02 41 04 4d 44 4c 4e 41 03 31 2e 30"},
        IncomingCase{"foreign_device_id",
                     "00 00 00 0a 01 2c 81 01 00 00 00 00 00 23",
                     SecsMessage(1, 1, true),
                     300,
                     SecsMessage(1, 2, false, L(A(), A())),
                     {},
                     "00 00 00 10 01 2c 01 02 00 00 00 00 00 23 01 02 41 00 41 00"},
        // Unknown to the dictionary: an empty shell, which the control sends as the abort reply.
        IncomingCase{"unknown_aborted", "00 00 00 0c 00 01 e3 01 00 00 00 00 00 31 21 00",
                     SecsMessage(99, 1, true, B()), 1, SecsMessage(99, 2),
                     [](SecsMessage& reply) { reply.SetFunction(0); },
                     "00 00 00 0a 00 01 63 00 00 00 00 00 00 31"},
        IncomingCase{"without_wbit",
                     "00 00 00 0a 00 01 01 03 00 00 00 00 00 24",
                     SecsMessage(1, 3, false),
                     1,
                     SecsMessage(1, 4),
                     {},
                     ""}),
    [](const auto& info) { return std::string(info.param.name); });

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
    ASSERT_TRUE(Driver().CreateTransaction("S1F1")->Send());
    EXPECT_NE(SystemBytesOf(peer.ReadFrame()), sb);  // each open transaction has its own
    EXPECT_EQ(Driver().PendingReplies(), 2u);
    peer.WriteHex("00 00 00 0d 00 01 06 0c 00 00 " + SbHex(sb) + " 21 01 00");
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("ReceivedSecondary") == 1; }));
    const auto& event = *Events().Last("ReceivedSecondary");
    EXPECT_EQ(event.code, 0);
    EXPECT_EQ(event.transaction, t);
    EXPECT_EQ(t->Tag(), Variant(12345678));
    EXPECT_EQ(t->Secondary(), SecsMessage(6, 12, false, B({0})));
    EXPECT_EQ(Driver().PendingReplies(), 1u);
}

// The retry goes out after T3 as the same message under the same system bytes; after the next
// T3 the transaction ends with 2012, and a reply that comes after is dropped.
TEST_F(Messages, T3SendsAgainThenEndsTheTransactionAndALateReplyIsDropped) {
    Driver().SetTimer(ProtocolTimer::T3, kShort);
    Driver().SetT3RetryCount(1);
    TempDir dir;
    Driver().SetSECSIILogFile((dir.Path() / "SECSII.log").string());
    RawPeer peer(io_);
    Select(peer);
    ASSERT_TRUE(Driver().CreateTransaction("S1F1")->Send());
    std::string first = peer.ReadFrame();
    std::uint32_t sb = SystemBytesOf(first);
    EXPECT_EQ(peer.ReadFrame(), first);
    EXPECT_EQ(Events().Count("Error"), 0u);
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    const auto& error = Events().Last("Error")->error;
    EXPECT_EQ(error.code, kReplyTimeout);
    EXPECT_EQ(error.text, "Reply time-out T3 (150 ms) waiting for the reply to S1F1");
    ExpectAbout(error, 1, 1, sb);
    EXPECT_EQ(Driver().PendingReplies(), 0u);

    peer.WriteHex("00 00 00 0a 00 01 01 02 00 00 " + SbHex(sb));
    EXPECT_TRUE(Answers(peer));  // the reply was read before the linktest answer
    EXPECT_EQ(Events().Count("ReceivedSecondary"), 0u);
    EXPECT_NE(dir.AllText().find("RECV S1F2 SystemBytes=" + SystemBytesText(sb) +
                                 " DeviceID=1 (reply nobody waits for, dropped)"),
              std::string::npos);
}

// A Reject.req names a message by its system bytes: one waiting for its reply, or one without
// the W-bit (here a header-only S9F7) that only the list of recent sends remembers.
TEST_F(Messages, ARejectedMessageFailsWithItsFields) {
    RawPeer peer(io_);
    Select(peer);
    ASSERT_TRUE(Driver().CreateTransaction("S6F11")->Send());
    std::uint32_t s6f11 = SystemBytesOf(peer.ReadFrame());
    auto s9 = Driver().CreateTransaction("S9F7");
    s9->Primary().RootItem().RemoveItem(1);
    ASSERT_TRUE(s9->Send());
    std::string frame = peer.ReadFrame();
    std::uint32_t s9f7 = SystemBytesOf(frame);
    EXPECT_EQ(frame, "00 00 00 0a 00 01 09 07 00 00 " + SbHex(s9f7));
    EXPECT_EQ(Driver().PendingReplies(), 1u);
    peer.WriteHex(ControlHex(7, s9f7, 0, 4));
    peer.WriteHex(ControlHex(7, s6f11, 0, 4));
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 2; }));
    EXPECT_EQ(Events().Kinds(), (std::vector<std::string>{"Connect", "Error 2015", "Error 2015"}));
    const auto& rejected = Events().events;
    const std::string why =
        "Send failed, rejected by the remote entity (reason 4 (entity not "
        "selected)): ";
    EXPECT_EQ(rejected[1].text, why + "S9F7");
    ExpectAbout(rejected[1].error, 9, 7, s9f7);
    EXPECT_EQ(rejected[2].text, why + "S6F11");
    ExpectAbout(rejected[2].error, 6, 11, s6f11);
    EXPECT_EQ(Driver().PendingReplies(), 0u);
    EXPECT_TRUE(Driver().IsSelected());
}

// A send or reply the driver refuses returns false and reports 2015 afterwards, never inside
// the call, with the fields of the message concerned.
struct RefusalCase {
    const char* name;
    std::function<bool(Passive&, RawPeer&)> act;  // the refused call
    std::string text;
    int stream;
    int function;
    std::uint32_t system_bytes;
};

class Refusals : public Passive, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusals, ReportAfterTheCallWithTheMessageFields) {
    const auto& c = GetParam();
    RawPeer peer(io_);
    EXPECT_FALSE(c.act(*this, peer));
    EXPECT_EQ(Events().Count("Error"), 0u);  // nothing raised inside the call
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    const auto& e = Events().Last("Error")->error;
    EXPECT_EQ(e.code, kSendFailed);
    EXPECT_EQ(e.text, c.text);
    ExpectAbout(e, c.stream, c.function, c.system_bytes);
    if (peer.IsConnected()) {
        EXPECT_TRUE(Answers(peer));  // nothing went out, the link stays
    }
}

INSTANTIATE_TEST_SUITE_P(
    Driver, Refusals,
    ::testing::Values(
        RefusalCase{"not_selected",
                    [](Passive& test, RawPeer&) {
                        return test.Driver().CreateTransaction("S6F11")->Send();
                    },
                    "Send failed, the session is not selected: S6F11", 6, 11, 0},
        RefusalCase{"port_closed",
                    [](Passive& test, RawPeer&) {
                        test.Driver().ClosePort();
                        return test.Driver().CreateTransaction("S6F11")->Send();
                    },
                    "Send failed, the port is closed: S6F11", 6, 11, 0},
        RefusalCase{"body_too_large",
                    [](Passive& test, RawPeer& peer) {
                        test.Select(peer);
                        test.Driver().SetMaxMessageSize(4);
                        return test.Driver().CreateTransaction("S6F11")->Send();
                    },
                    "Send failed, the body of 8 bytes exceeds the maximum of 4: S6F11", 6, 11, 0},
        RefusalCase{"body_not_encodable",
                    [](Passive& test, RawPeer& peer) {
                        test.Select(peer);
                        auto t = test.Driver().CreateTransaction();
                        t->Primary().SetStream(2);
                        t->Primary().SetFunction(17);
                        t->Primary().RootItem().AddItem(A("one"));
                        t->Primary().RootItem().AddItem(A("two"));  // a body is one item
                        return t->Send();
                    },
                    "Send failed, the body cannot be encoded (S2F17 has 2 top-level items; a body "
                    "holds one): S2F17",
                    2, 17, 0},
        RefusalCase{"reply_twice",
                    [](Passive& test, RawPeer& peer) {
                        test.Select(peer);
                        peer.WriteHex(kS1F1W_21);
                        auto t = test.NextPrimary();
                        EXPECT_TRUE(t->Reply());
                        EXPECT_EQ(SystemBytesOf(peer.ReadFrame()), 0x21u);
                        return t->Reply();
                    },
                    "Reply failed, the reply was sent already: S1F2", 1, 2, 0x21},
        RefusalCase{"reply_not_received",
                    [](Passive& test, RawPeer&) {
                        return test.Driver().CreateTransaction("S1F1")->Reply();
                    },
                    "Reply failed, the primary was not received from the remote entity: S1F1", 1, 1,
                    0}),
    [](const auto& info) { return std::string(info.param.name); });

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
