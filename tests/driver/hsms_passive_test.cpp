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
    Driver().SetTimer(ProtocolTimer::T7, kShort);
    Reopen();
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

// What ends a selected session from the remote side: each ends it with a defined code and text,
// the connection is closed, and the next connection is served.
enum class Then { Wait, Close, Reset };

struct EndCase {
    const char* name;
    std::string bytes;
    Then then;  // what the peer does after the bytes
    int code;
    const char* text;  // "" when the kernel's wording is not ours
    std::function<void(VortelTool&)> setup = {};
};

class PassiveEnds : public Passive, public ::testing::WithParamInterface<EndCase> {};

TEST_P(PassiveEnds, WithACodeAndTheNextConnectionWorks) {
    const auto& end = GetParam();
    if (end.setup) {
        end.setup(Driver());
        Reopen();
    }
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex(end.bytes);
    if (end.then == Then::Close) peer.Close();
    if (end.then == Then::Reset) peer.Abort();
    if (end.then == Then::Wait) {
        EXPECT_TRUE(peer.WaitClosed());
    }
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1; }));
    EXPECT_EQ(Events().Last("Disconnect")->code, end.code);
    if (*end.text) {
        EXPECT_EQ(Events().Last("Disconnect")->text, end.text);
    }
    EXPECT_FALSE(Driver().IsSelected());
    RawPeer next(io_);
    Select(next, 0x99);
    EXPECT_TRUE(Answers(next));
    EXPECT_EQ(
        Events().Kinds(),
        (std::vector<std::string>{"Connect", "Disconnect " + std::to_string(end.code), "Connect"}));
}

INSTANTIATE_TEST_SUITE_P(
    E37, PassiveEnds,
    ::testing::Values(
        EndCase{"separate_req", ControlHex(9, 0x41), Then::Wait, kConnectionClosed,
                "Separate.req received from the remote entity"},
        EndCase{"peer_closes", "", Then::Close, kConnectionClosed,
                "Connection closed by the remote entity"},
        EndCase{"peer_resets", "", Then::Reset, kNetworkError, ""},
        EndCase{"length_above_maximum", "7f ff ff ff 00 01 81 01 00 00 00 00 00 01", Then::Wait,
                kProtocolError,
                "Protocol error: message length 2147483647 exceeds the maximum of 16777226 "
                "bytes"},
        EndCase{"length_above_max_message_size", "00 00 00 6f", Then::Wait, kProtocolError,
                "Protocol error: message length 111 exceeds the maximum of 110 bytes",
                [](VortelTool& driver) { driver.SetMaxMessageSize(100); }},
        EndCase{"length_below_header", "00 00 00 09 ff ff 00 00 00 05 00 00 00", Then::Wait,
                kProtocolError,
                "Protocol error: message length 9 is shorter than the 10-byte header"},
        EndCase{"vanishes_mid_message", "00 00 00 20 00 01 81 01", Then::Close, kConnectionClosed,
                "Connection closed by the remote entity in the middle of a message (8 of 36 "
                "bytes received)"},
        EndCase{"vanishes_in_length", "00 00", Then::Close, kConnectionClosed,
                "Connection closed by the remote entity in the middle of a message (2 of the "
                "4 length bytes received)"},
        EndCase{"stalls_mid_message", "00 00 00 20 00 01 81 01 00 00", Then::Wait,
                kInterCharacterTimeout,
                "Message incomplete: nothing received for T8 (150 ms) after 10 of 36 bytes "
                "received",
                [](VortelTool& driver) { driver.SetTimer(ProtocolTimer::T8, kShort); }}),
    [](const auto& info) { return std::string(info.param.name); });

// A peer that stops reading stalls the driver's writes. Every way out ends the session with
// each message not written reported first (2015 with its fields), in the order sent.
struct StallCase {
    const char* name;
    std::function<void(VortelTool&)> setup;
    bool peer_resets;
    const char* text;      // how the Disconnect text starts
    std::size_t unsent{};  // how many were not sent, when that is known
};

class PassiveStalls : public Passive, public ::testing::WithParamInterface<StallCase> {};

TEST_P(PassiveStalls, ReportTheUnsentMessagesThenTheLostConnection) {
    const auto& stall = GetParam();
    stall.setup(Driver());
    Reopen();
    RawPeer peer(io_);
    peer.Socket().open(asio::ip::tcp::v4());
    peer.Socket().set_option(asio::socket_base::receive_buffer_size(4096));
    Select(peer);
    // 1 MiB event reports until the kernel's buffers are full and the driver's queue grows.
    std::vector<std::uint32_t> sent;
    while (Driver().IsSelected() && sent.size() < 16) {
        auto t = Driver().CreateTransaction("S6F11");
        SecsItem big(enmItemFormat::FormatBinary);
        big.SetData(std::vector<std::uint8_t>(1024 * 1024, 0x5A));
        t->Primary().Item(1).Item(3).AddItem(std::move(big));
        ASSERT_TRUE(t->Send());
        sent.push_back(t->SystemBytes());
        RunFor(io_, 2ms);
    }
    if (stall.peer_resets) peer.Abort();
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1; }));
    const auto& lost = *Events().Last("Disconnect");
    if (stall.peer_resets) {
        // The write meets the reset (3024), unless the read took the socket's error first and
        // saw the end of the stream (3002): the kernel tells the reset to one call only.
        EXPECT_TRUE(lost.code == kNetworkError || lost.code == kConnectionClosed) << lost.code;
    } else {
        EXPECT_EQ(lost.code, kNetworkError);
        EXPECT_EQ(lost.text.rfind(stall.text, 0), 0u) << lost.text;
    }
    auto kinds = Events().Kinds();
    ASSERT_GE(kinds.size(), 3u);
    EXPECT_EQ(kinds.front(), "Connect");
    EXPECT_EQ(kinds.back(), "Disconnect " + std::to_string(lost.code));
    std::size_t unsent = kinds.size() - 2;
    ASSERT_LE(unsent, sent.size());
    if (stall.unsent) {
        EXPECT_EQ(unsent, stall.unsent);
    }
    for (std::size_t i = 0; i < unsent; ++i) {
        const DriverError& e = Events().events[1 + i].error;
        EXPECT_EQ(e.code, kSendFailed);
        EXPECT_EQ(e.text, "Not sent, the connection ended: S6F11");
        EXPECT_EQ(e.stream, 6);
        EXPECT_EQ(e.function, 11);
        EXPECT_EQ(e.message_name, "S6F11");
        EXPECT_EQ(e.system_bytes, sent[sent.size() - unsent + i]) << i;
    }
    EXPECT_EQ(Driver().PendingReplies(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    SlowReader, PassiveStalls,
    ::testing::Values(StallCase{"peer_resets", [](VortelTool&) {}, true, ""},
                      // A message alone always goes, even above the cap; the next finds one in
                      // flight: that one and itself fail.
                      StallCase{"send_queue_full",
                                [](VortelTool& driver) { driver.SetMaxSendQueueSize(1024 * 1024); },
                                false, "Send queue full: the remote entity stopped reading (", 2},
                      StallCase{
                          "write_timeout",
                          [](VortelTool& driver) { driver.SetWriteTimeout(kShort); }, false,
                          "Write timed out: nothing could be written for 150 ms; the remote entity "
                          "stopped reading ("}),
    [](const auto& info) { return std::string(info.param.name); });

// A slow reader is not a stopped one: the write timeout counts from the last progress, so a
// write that takes longer than the timeout still goes through.
TEST_F(Passive, AWriteThatKeepsMovingOutlivesTheWriteTimeout) {
    Driver().SetWriteTimeout(60ms);
    Reopen();
    RawPeer peer(io_);
    Select(peer);
    // The first message goes alone; the other fifteen follow as one write of 15 MiB.
    for (int i = 0; i < 16; ++i) {
        auto t = Driver().CreateTransaction("S6F11");
        SecsItem big(enmItemFormat::FormatBinary);
        big.SetData(std::vector<std::uint8_t>(1024 * 1024, 0x5A));
        t->Primary().Item(1).Item(3).AddItem(std::move(big));
        ASSERT_TRUE(t->Send());
    }
    // A megabyte every 10 ms: the write stalls between reads, never for long.
    std::vector<std::uint8_t> chunk(1024 * 1024);
    std::size_t received = 0;
    const std::size_t expected = 16 * (14 + 1024 * 1024 + 12);  // header, body, item headers
    while (received < expected && Events().Count("Disconnect") == 0) {
        RunFor(io_, 10ms);
        for (std::size_t in_cycle = 0; in_cycle < chunk.size() && peer.Socket().available();) {
            std::size_t n = peer.Socket().read_some(
                asio::buffer(chunk.data() + in_cycle, chunk.size() - in_cycle));
            received += n;
            in_cycle += n;
        }
    }
    EXPECT_EQ(received, expected);
    EXPECT_EQ(Events().Kinds(), std::vector<std::string>{"Connect"});
    EXPECT_TRUE(Answers(peer));
}

// A send that overflows the queue ends the connection inside the call, but the application
// hears of it afterwards: closing the port at once still ends with one Disconnect.
TEST_F(Passive, ClosingThePortRightAfterAFullQueueEndsWithOneDisconnect) {
    Driver().SetMaxSendQueueSize(20);  // one header-only S1F1 (14 bytes) fits, two do not
    Reopen();
    RawPeer peer(io_);
    Select(peer);
    ASSERT_TRUE(Driver().CreateTransaction("S1F1")->Send());
    ASSERT_TRUE(Driver().CreateTransaction("S1F1")->Send());  // the first is still in flight
    EXPECT_FALSE(Driver().IsSelected());
    Driver().ClosePort();
    RunFor(io_, 20ms);
    EXPECT_EQ(Events().Kinds(), (std::vector<std::string>{"Connect", "Disconnect 3006"}));
}

// Closing the port or destroying the driver separates the session (unless told to close
// abruptly) and stops listening; only closing tells the application.
TEST_F(Passive, ClosingThePortOrDestroyingTheDriverEndsTheSessionAndTheListener) {
    for (const char* how : {"close", "abrupt", "destroy"}) {
        DriverUnderTest under(io_, enmConnectionMode::ConnectionModePassive);
        under.driver->SetAbruptClose(how == std::string("abrupt"));
        under.driver->OpenPort();
        std::uint16_t port = under.driver->ListeningPort();
        RawPeer peer(io_);
        peer.Connect(port);
        peer.WriteHex(ControlHex(1, 1));
        ASSERT_EQ(peer.ReadFrame(), ControlHex(2, 1)) << how;
        ASSERT_TRUE(RunUntil(io_, [&] { return under.events->Count("Connect") == 1; }));
        if (how == std::string("destroy")) {
            under.driver.reset();
        } else {
            under.driver->ClosePort();
            EXPECT_EQ(under.events->Count("Disconnect"), 0u);  // posted, not raised in the call
        }
        std::string separate = peer.ReadFrame();
        bool separated = how != std::string("abrupt");
        EXPECT_EQ(separate, separated ? ControlHex(9, SystemBytesOf(separate)) : "") << how;
        EXPECT_TRUE(peer.WaitClosed()) << how;
        RunFor(io_, 10ms);
        EXPECT_EQ(under.events->Kinds(),
                  (how == std::string("destroy")
                       ? std::vector<std::string>{"Connect"}
                       : std::vector<std::string>{"Connect", "Disconnect 3006"}))
            << how;
        RawPeer late(io_);
        EXPECT_THROW(late.Connect(port), std::system_error) << how;
    }
}

TEST_F(Passive, LinktestOnRequestAndT6) {
    Driver().SetTimer(ProtocolTimer::T6, kShort);
    Reopen();
    RawPeer peer(io_);
    Select(peer);
    int answered = -1;
    ASSERT_TRUE(Driver().Linktest([&](bool ok) { answered = ok; }));
    EXPECT_FALSE(Driver().Linktest());  // one control request at a time
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
    EXPECT_EQ(Events().Last("Disconnect")->text, "No Linktest.rsp within T6 (150 ms)");
}

}  // namespace
}  // namespace kest::test
