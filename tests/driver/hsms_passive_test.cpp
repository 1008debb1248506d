// The driver as the passive entity, driven by a raw socket peer that checks exact bytes.
#include <gtest/gtest.h>

#include "driver_fixture.h"

namespace kest::test {
namespace {

using namespace kest::driver_error;

TEST_F(Passive, SelectIsAnsweredAndRaisesConnectOnce) {
    RawPeer peer(io_);
    Select(peer);
    EXPECT_TRUE(Driver().IsSelected());
    peer.WriteHex(ControlHex(1, 0x12));  // HSMS-SS has one session: already active
    EXPECT_EQ(peer.ReadFrame(), ControlHex(2, 0x12, 0, 1));
    EXPECT_EQ(Events().Kinds(), std::vector<std::string>{"Connect"});
}

TEST_F(Passive, LinktestIsAnsweredBeforeAndAfterSelection) {
    RawPeer peer(io_);
    peer.Connect(port_);
    EXPECT_TRUE(Answers(peer, 0x01020304));
    EXPECT_FALSE(Driver().IsSelected());
    Select(peer);
    EXPECT_TRUE(Answers(peer, 0xFFFFFFFF));
}

TEST_F(Passive, DataBeforeSelectionIsRejectedAndTheConnectionStays) {
    RawPeer peer(io_);
    peer.Connect(port_);
    peer.WriteHex(kS1F1W_21);
    EXPECT_EQ(peer.ReadFrame(), ControlHex(7, 0x21, 0, 4));  // entity not selected
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kProtocolError);
    EXPECT_EQ(Events().Count("ReceivedPrimary"), 0u);
    Select(peer);
}

// Messages HSMS-SS does not take are answered with Reject.req: byte 2 the rejected SType (or
// PType), byte 3 the reason, the rejected message's system bytes; the session stays selected.
struct RejectCase {
    const char* name;
    std::string sent;
    std::string reply;
};

class PassiveRejects : public Passive, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(PassiveRejects, AnswerWithTheReasonAndStaySelected) {
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex(GetParam().sent);
    EXPECT_EQ(peer.ReadFrame(), GetParam().reply);
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kProtocolError);
    EXPECT_TRUE(Answers(peer));
    EXPECT_TRUE(Driver().IsSelected());
    EXPECT_EQ(Events().Count("Disconnect"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    E37, PassiveRejects,
    ::testing::Values(
        RejectCase{"unknown_stype", ControlHex(8, 0x31), ControlHex(7, 0x31, 8, 1)},
        RejectCase{"stype_255", ControlHex(255, 0x32), ControlHex(7, 0x32, 255, 1)},
        RejectCase{"deselect_req", ControlHex(3, 0x33), ControlHex(7, 0x33, 3, 1)},
        RejectCase{"deselect_rsp", ControlHex(4, 0x34), ControlHex(7, 0x34, 4, 1)},
        RejectCase{"ptype_1", "00 00 00 0a ffff 00 00 01 01 00000035", ControlHex(7, 0x35, 1, 2)},
        RejectCase{"ptype_on_data", "00 00 00 0a 0001 81 01 07 00 00000036",
                   ControlHex(7, 0x36, 7, 2)},
        RejectCase{"select_rsp_unasked", ControlHex(2, 0x37), ControlHex(7, 0x37, 2, 3)},
        RejectCase{"linktest_rsp_unasked", ControlHex(6, 0x38), ControlHex(7, 0x38, 6, 3)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Passive, T7ClosesAConnectionNotSelectedInTime) {
    RawPeer idle(io_);
    idle.Connect(port_);
    EXPECT_TRUE(idle.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kNotSelectedTimeout);
    EXPECT_EQ(Events().Last("Error")->text, "Not selected within T7 (150 ms)");
    EXPECT_EQ(Events().Count("Disconnect"), 0u);  // it never was connected
    RawPeer next(io_);
    Select(next);
}

TEST_F(Passive, SeparateReqEndsTheSessionAndTheNextConnectionIsServed) {
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex(ControlHex(9, 0x41));
    EXPECT_TRUE(peer.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1; }));
    EXPECT_EQ(Events().Last("Disconnect")->code, kConnectionClosed);
    EXPECT_EQ(Events().Last("Disconnect")->text, "Separate.req received from the remote entity");
    EXPECT_FALSE(Driver().IsSelected());
    RawPeer next(io_);
    Select(next, 0x42);
    EXPECT_EQ(Events().Kinds(),
              (std::vector<std::string>{"Connect", "Disconnect 3002", "Connect"}));
}

TEST_F(Passive, PeerClosingOrResettingEndsTheSession) {
    RawPeer closer(io_);
    Select(closer);
    closer.Close();
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1; }));
    EXPECT_EQ(Events().Last("Disconnect")->code, kConnectionClosed);
    EXPECT_EQ(Events().Last("Disconnect")->text, "Connection closed by the remote entity");

    RawPeer resetter(io_);
    Select(resetter);
    resetter.Abort();
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 2; }));
    EXPECT_EQ(Events().Last("Disconnect")->code, kNetworkError);
}

TEST_F(Passive, ASecondConnectionIsRefusedWhileOneIsOpen) {
    RawPeer first(io_);
    Select(first);
    RawPeer second(io_);
    second.Connect(port_);
    EXPECT_TRUE(second.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kConnectionRefused);
    EXPECT_TRUE(Answers(first));
}

// Bad input from a raw peer: each fault ends the session with a defined code, the connection
// is closed cleanly, and the next connection is served.
struct FaultCase {
    const char* name;
    std::string bytes;
    bool hang_up;  // the peer closes right after the bytes
    int code;
    const char* text;
};

class PassiveFaults : public Passive, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(PassiveFaults, EndTheSessionAndTheNextConnectionWorks) {
    const auto& fault = GetParam();
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex(fault.bytes);
    if (fault.hang_up) {
        peer.Close();
    } else {
        EXPECT_TRUE(peer.WaitClosed());
    }
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1; }));
    EXPECT_EQ(Events().Last("Disconnect")->code, fault.code);
    EXPECT_EQ(Events().Last("Disconnect")->text, fault.text);
    EXPECT_FALSE(Driver().IsSelected());
    EXPECT_EQ(Events().Count("ReceivedPrimary"), 0u);
    RawPeer next(io_);
    Select(next, 0x99);
    EXPECT_TRUE(Answers(next));
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, PassiveFaults,
    ::testing::Values(
        FaultCase{"length_above_maximum", "7f ff ff ff 00 01 81 01 00 00 00 00 00 01", false,
                  kProtocolError,
                  "Protocol error: message length 2147483647 exceeds the maximum of 16777226 "
                  "bytes"},
        FaultCase{"length_below_header", "00 00 00 09 ff ff 00 00 00 05 00 00 00", false,
                  kProtocolError,
                  "Protocol error: message length 9 is shorter than the 10-byte header"},
        FaultCase{"vanishes_mid_message", "00 00 00 20 00 01 81 01", true, kConnectionClosed,
                  "Connection closed by the remote entity in the middle of a message (8 of 36 "
                  "bytes received)"},
        FaultCase{"vanishes_in_length", "00 00", true, kConnectionClosed,
                  "Connection closed by the remote entity in the middle of a message (2 of the "
                  "4 length bytes received)"},
        FaultCase{"stalls_mid_message", "00 00 00 20 00 01 81 01 00 00", false,
                  kInterCharacterTimeout,
                  "Message incomplete: nothing received for T8 (150 ms) after 10 of 36 bytes "
                  "received"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Passive, TheMaximumMessageSizeBoundsTheLengthField) {
    Driver().SetMaxMessageSize(100);
    Driver().OpenPort();  // the size is read when the port opens
    port_ = Driver().ListeningPort();
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex("00 00 00 6f");  // 10 + 101
    EXPECT_TRUE(peer.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1; }));
    EXPECT_EQ(Events().Last("Disconnect")->text,
              "Protocol error: message length 111 exceeds the maximum of 110 bytes");
}

TEST_F(Passive, ClosePortSeparatesTheSessionAndStopsListening) {
    RawPeer peer(io_);
    Select(peer);
    Driver().ClosePort();
    EXPECT_TRUE(Events().Count("Disconnect") == 0u);  // posted, not raised inside the call
    std::string separate = peer.ReadFrame();
    EXPECT_EQ(separate, ControlHex(9, SystemBytesOf(separate)));
    EXPECT_TRUE(peer.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1; }));
    EXPECT_EQ(Events().Last("Disconnect")->code, kPortClosed);
    RawPeer late(io_);
    EXPECT_THROW(late.Connect(port_), std::system_error);
}

TEST_F(Passive, AbruptCloseSkipsSeparate) {
    Driver().SetAbruptClose(true);
    RawPeer peer(io_);
    Select(peer);
    Driver().ClosePort();
    EXPECT_EQ(peer.ReadFrame(), "");
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1; }));
}

TEST_F(Passive, DestroyingTheDriverClosesTheListener) {
    under_.driver.reset();
    RunFor(io_, 10ms);
    RawPeer late(io_);
    EXPECT_THROW(late.Connect(port_), std::system_error);
}

TEST_F(Passive, AFailedWriteReportsTheMessageThenTheLostConnection) {
    RawPeer peer(io_);
    peer.Socket().open(asio::ip::tcp::v4());
    peer.Socket().set_option(asio::socket_base::receive_buffer_size(4096));
    Select(peer);
    // A message the peer never reads stays in the middle of its write; then the peer resets.
    auto t = Driver().CreateTransaction("S6F11");
    SecsItem big(enmItemFormat::FormatBinary);
    big.SetData(std::vector<std::uint8_t>(8 * 1024 * 1024, 0x5A));
    t->Primary().Item(1).Item(3).AddItem(std::move(big));
    ASSERT_TRUE(t->Send());
    RunFor(io_, 20ms);
    EXPECT_EQ(Events().Count("Error"), 0u);
    peer.Abort();
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1; }));
    ASSERT_EQ(Events().events.size(), 3u);
    EXPECT_EQ(Events().events[1].kind, "Error");
    EXPECT_EQ(Events().events[1].code, kSendFailed);
    EXPECT_EQ(Events().events[1].text, "Not sent, the connection ended: S6F11");
    // The write meets the reset (3024), unless the read took the socket's error first and saw
    // the end of the stream (3002): the kernel tells the reset to one call only.
    const auto& lost = Events().events[2];
    EXPECT_TRUE(lost.code == kNetworkError || lost.code == kConnectionClosed) << lost.code;
    EXPECT_EQ(Driver().PendingReplies(), 0u);
}

TEST_F(Passive, LinktestOnRequestAndT6) {
    RawPeer peer(io_);
    Select(peer);
    int answered = -1;
    ASSERT_TRUE(Driver().Linktest([&](bool ok) { answered = ok; }));
    std::string request = peer.ReadFrame();
    EXPECT_EQ(request, ControlHex(5, SystemBytesOf(request)));
    peer.WriteHex(ControlHex(6, SystemBytesOf(request)));
    ASSERT_TRUE(RunUntil(io_, [&] { return answered != -1; }));
    EXPECT_EQ(answered, 1);

    answered = -1;
    ASSERT_TRUE(Driver().Linktest([&](bool ok) { answered = ok; }));
    EXPECT_TRUE(peer.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return answered != -1 && Events().Count("Disconnect"); }));
    EXPECT_EQ(answered, 0);
    EXPECT_EQ(Events().Last("Disconnect")->code, kControlTimeout);
}

int OpenDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

TEST_F(Passive, RepeatedSessionsLeaveNothingBehind) {
    int before = OpenDescriptors();
    for (int i = 1; i <= 200; ++i) {
        RawPeer peer(io_);
        Select(peer, static_cast<std::uint32_t>(i));
        peer.WriteHex(ControlHex(9, static_cast<std::uint32_t>(i)));
        ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == std::size_t(i); }));
    }
    RunFor(io_, 10ms);
    EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace kest::test
