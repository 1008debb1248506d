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

// A Select.req that does not lead to SELECTED closes the connection with a code; the next
// attempt follows after T5 and succeeds.
struct SelectFailure {
    const char* name;
    std::function<std::string(std::uint32_t)> answer;  // to the Select.req, "" for none
    std::optional<ProtocolTimer> timer;                // set short for the case
    int code;
    const char* text;
};

class ActiveSelects : public Active, public ::testing::WithParamInterface<SelectFailure> {};

TEST_P(ActiveSelects, FailWithACodeAndTheNextAttemptFollows) {
    const auto& c = GetParam();
    if (c.timer) Driver().SetTimer(*c.timer, kShort);
    Driver().OpenPort();
    RawPeer first(io_);
    std::uint32_t sb = AcceptSelectReq(first);
    if (std::string answer = c.answer(sb); !answer.empty()) first.WriteHex(answer);
    EXPECT_TRUE(first.WaitClosed());
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    EXPECT_EQ(Events().Last("Error")->code, c.code);
    EXPECT_EQ(Events().Last("Error")->text, c.text);
    RawPeer second(io_);
    Select(second);
    EXPECT_EQ(Events().Kinds(),
              (std::vector<std::string>{"Error " + std::to_string(c.code), "Connect"}));
}

INSTANTIATE_TEST_SUITE_P(
    E37, ActiveSelects,
    ::testing::Values(
        SelectFailure{"refused", [](std::uint32_t sb) { return ControlHex(2, sb, 0, 1); },
                      std::nullopt, kConnectionRefused,
                      "Select refused by the remote entity: status 1 (already active)"},
        SelectFailure{"rejected", [](std::uint32_t sb) { return ControlHex(7, sb, 1, 4); },
                      std::nullopt, kConnectionRefused,
                      "Select.req rejected by the remote entity: reason 4 (entity not selected)"},
        SelectFailure{"no_select_rsp_within_t6", [](std::uint32_t) { return std::string(); },
                      ProtocolTimer::T6, kControlTimeout, "No Select.rsp within T6 (150 ms)"},
        SelectFailure{"not_selected_within_t7", [](std::uint32_t) { return std::string(); },
                      ProtocolTimer::T7, kNotSelectedTimeout, "Not selected within T7 (150 ms)"}),
    [](const auto& info) { return std::string(info.param.name); });

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

}  // namespace
}  // namespace kest::test
