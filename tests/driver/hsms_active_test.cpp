// The driver as the active entity, connecting to a raw listener that checks exact bytes.
#include <gtest/gtest.h>

#include "driver_fixture.h"

namespace kest::test {
namespace {

using namespace kest::driver_error;

class Active : public ::testing::Test {
  protected:
    void SetUp() override {
        Driver().SetRemoteIPPort(listener_.Port());
        Driver().SetSECSIILogFile((dir_.Path() / "SECSII.log").string());
    }

    VortelTool& Driver() { return *under_.driver; }
    EventRecorder& Events() { return *under_.events; }

    // Accepts the driver's connection into `peer` and returns its Select.req system bytes,
    // after checking the bytes of the Select.req.
    std::uint32_t AcceptSelectReq(RawPeer& peer) {
        EXPECT_TRUE(listener_.Accept(peer));
        std::string request = peer.ReadFrame();
        std::uint32_t sb = SystemBytesOf(request);
        EXPECT_EQ(request, ControlHex(1, sb));
        EXPECT_GE(sb, 0x80000000u);  // control requests use the upper half
        return sb;
    }

    void Select(RawPeer& peer) {
        std::uint32_t sb = AcceptSelectReq(peer);
        peer.WriteHex(ControlHex(2, sb, 0, 0));
        ASSERT_TRUE(RunUntil(io_, [&] { return Driver().IsSelected(); }));
    }

    asio::io_context io_;
    TempDir dir_;
    RawListener listener_{io_};
    DriverUnderTest under_{io_, enmConnectionMode::ConnectionModeActive};
};

TEST_F(Active, ConnectsSendsSelectReqAndRaisesConnectOnSelectRsp) {
    Driver().OpenPort();
    RawPeer peer(io_);
    std::uint32_t sb = AcceptSelectReq(peer);
    EXPECT_FALSE(Driver().IsSelected());
    EXPECT_EQ(Events().Count("Connect"), 0u);
    peer.WriteHex(ControlHex(2, sb, 0, 0));
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Connect") == 1; }));
    EXPECT_TRUE(Driver().IsSelected());
    EXPECT_EQ(Driver().ListeningPort(), 0);
}

TEST_F(Active, ARefusedSelectClosesAndTriesAgainAfterT5) {
    Driver().OpenPort();
    RawPeer first(io_);
    std::uint32_t sb = AcceptSelectReq(first);
    first.WriteHex(ControlHex(2, sb, 0, 1));
    EXPECT_TRUE(first.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kConnectionRefused);
    EXPECT_EQ(Events().Last("Error")->text,
              "Select refused by the remote entity: status 1 (already active)");
    RawPeer second(io_);
    Select(second);
    EXPECT_EQ(Events().Kinds(), (std::vector<std::string>{"Error 3003", "Connect"}));
}

TEST_F(Active, ARejectedSelectReqIsARefusal) {
    Driver().OpenPort();
    RawPeer peer(io_);
    std::uint32_t sb = AcceptSelectReq(peer);
    peer.WriteHex(ControlHex(7, sb, 1, 4));
    EXPECT_TRUE(peer.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kConnectionRefused);
}

TEST_F(Active, NoSelectRspWithinT6ClosesAndTriesAgain) {
    Driver().SetTimer(ProtocolTimer::T7, 400ms);  // so that T6 is the one to expire
    Driver().OpenPort();
    RawPeer silent(io_);
    AcceptSelectReq(silent);
    EXPECT_TRUE(silent.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kControlTimeout);
    EXPECT_EQ(Events().Last("Error")->text, "No Select.rsp within T6 (150 ms)");
    RawPeer next(io_);
    Select(next);
}

TEST_F(Active, AFailedConnectIsReportedOnceAndRetriedEveryT5) {
    // A port bound but not listening refuses connections and stays ours for the second half,
    // where it starts listening (a closed port could be taken by a parallel test meanwhile).
    asio::ip::tcp::acceptor reserved(io_);
    reserved.open(asio::ip::tcp::v4());
    reserved.bind({asio::ip::make_address("127.0.0.1"), 0});
    std::uint16_t port = reserved.local_endpoint().port();
    Driver().SetRemoteIPPort(port);
    Driver().OpenPort();
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kConnectFailed);
    std::string prefix = "Cannot connect to 127.0.0.1:" + std::to_string(port) + ": ";
    EXPECT_EQ(Events().Last("Error")->text.rfind(prefix, 0), 0u) << Events().Last("Error")->text;
    auto attempts = [&] {
        std::string log = dir_.AllText();
        std::size_t n = 0;
        for (auto at = log.find("NOTE Cannot connect"); at != std::string::npos;
             at = log.find("NOTE Cannot connect", at + 1))
            ++n;
        return n;
    };
    // Retried every T5 = 100 ms: three attempts take at least 200 ms, and are reported once.
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunUntil(io_, [&] { return attempts() >= 3; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_EQ(Events().Count("Error"), 1u);

    reserved.listen();
    RawPeer peer(io_);
    bool accepted = false;
    reserved.async_accept(peer.Socket(), [&](std::error_code ec) { accepted = !ec; });
    EXPECT_TRUE(RunUntil(io_, [&] { return accepted; }));
}

TEST_F(Active, LinktestOnRequest) {
    Driver().OpenPort();
    RawPeer peer(io_);
    Select(peer);
    int answered = -1;
    ASSERT_TRUE(Driver().Linktest([&](bool ok) { answered = ok; }));
    EXPECT_FALSE(Driver().Linktest());  // one control request at a time
    std::string request = peer.ReadFrame();
    std::uint32_t sb = SystemBytesOf(request);
    EXPECT_EQ(request, ControlHex(5, sb));
    peer.WriteHex(ControlHex(6, sb));
    ASSERT_TRUE(RunUntil(io_, [&] { return answered != -1; }));
    EXPECT_EQ(answered, 1);
    EXPECT_TRUE(Driver().IsSelected());
}

TEST_F(Active, AnUnansweredLinktestEndsTheSessionAfterT6) {
    Driver().OpenPort();
    RawPeer peer(io_);
    Select(peer);
    int answered = -1;
    ASSERT_TRUE(Driver().Linktest([&](bool ok) { answered = ok; }));
    EXPECT_TRUE(peer.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1 && answered != -1; }));
    EXPECT_EQ(answered, 0);
    EXPECT_EQ(Events().Last("Disconnect")->code, kControlTimeout);
    EXPECT_EQ(Events().Last("Disconnect")->text, "No Linktest.rsp within T6 (150 ms)");
    RawPeer next(io_);
    Select(next);  // and it connects again after T5
}

TEST_F(Active, ConnectsAgainAfterTheRemoteEntitySeparates) {
    Driver().OpenPort();
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex(ControlHex(9, 0x77));
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1; }));
    EXPECT_EQ(Events().Last("Disconnect")->code, kConnectionClosed);
    RawPeer next(io_);
    Select(next);
    EXPECT_EQ(Events().Kinds(),
              (std::vector<std::string>{"Connect", "Disconnect 3002", "Connect"}));
}

TEST_F(Active, ClosePortStopsTheRetries) {
    listener_.Close();
    Driver().OpenPort();
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    Driver().ClosePort();
    std::size_t notes = dir_.AllText().size();
    RunFor(io_, 250ms);
    EXPECT_EQ(dir_.AllText().size(), notes);  // no further attempt was made or logged
    EXPECT_FALSE(Driver().IsPortOpen());
}

TEST_F(Active, RejectsDataBeforeSelectionAndUnknownTypesAfter) {
    Driver().OpenPort();
    RawPeer peer(io_);
    std::uint32_t sb = AcceptSelectReq(peer);
    peer.WriteHex("00 00 00 0a 00 01 81 01 00 00 00 00 00 05");  // S1F1 W before Select.rsp
    EXPECT_EQ(peer.ReadFrame(), ControlHex(7, 5, 0, 4));
    peer.WriteHex(ControlHex(2, sb, 0, 0));
    ASSERT_TRUE(RunUntil(io_, [&] { return Driver().IsSelected(); }));
    peer.WriteHex(ControlHex(10, 6));
    EXPECT_EQ(peer.ReadFrame(), ControlHex(7, 6, 10, 1));
    peer.WriteHex(ControlHex(5, 7));  // and the session still answers
    EXPECT_EQ(peer.ReadFrame(), ControlHex(6, 7));
    EXPECT_EQ(Events().Kinds(), (std::vector<std::string>{"Error 3007", "Connect", "Error 3007"}));
}

TEST_F(Active, T7ClosesWhenTheSelectIsNeverSettled) {
    Driver().SetTimer(ProtocolTimer::T6, 400ms);
    Driver().OpenPort();
    RawPeer peer(io_);
    AcceptSelectReq(peer);
    EXPECT_TRUE(peer.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kNotSelectedTimeout);
}

TEST_F(Active, T8BoundsTheGapInsideAMessage) {
    Driver().OpenPort();
    RawPeer peer(io_);
    Select(peer);
    peer.WriteHex("00 00 00 0c 00 01 81 01");
    EXPECT_TRUE(peer.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1; }));
    EXPECT_EQ(Events().Last("Disconnect")->code, kInterCharacterTimeout);
    EXPECT_EQ(Events().Last("Disconnect")->text,
              "Message incomplete: nothing received for T8 (150 ms) after 8 of 16 bytes received");
}

TEST_F(Active, T3AppliesToItsPrimariesToo) {
    Driver().OpenPort();
    RawPeer peer(io_);
    Select(peer);
    ASSERT_TRUE(Driver().CreateTransaction("S6F11")->Send());
    EXPECT_NE(peer.ReadFrame(), "");
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, kReplyTimeout);
    EXPECT_EQ(Events().Last("Error")->text,
              "Reply time-out T3 (150 ms) waiting for the reply to S6F11");
}

TEST_F(Active, ClosePortSendsSeparateReqAndStopsReconnecting) {
    Driver().OpenPort();
    RawPeer peer(io_);
    Select(peer);
    Driver().ClosePort();
    std::string separate = peer.ReadFrame();
    EXPECT_EQ(separate, ControlHex(9, SystemBytesOf(separate)));
    EXPECT_TRUE(peer.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Disconnect") == 1; }));
    EXPECT_EQ(Events().Last("Disconnect")->code, kPortClosed);
    RawPeer none(io_);
    EXPECT_FALSE(listener_.Accept(none, 300ms));  // no new attempt after T5
}

}  // namespace
}  // namespace kest::test
