// The driver over SECS-I, at the wire: a pseudo-terminal and a loopback TCP connection carry the
// same bytes; a raw peer plays the host.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <asio/posix/stream_descriptor.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>
#include <optional>

#include "driver/secs1_block.h"
#include "driver_fixture.h"

namespace kest::test {
namespace {

using namespace kest::driver_error;

enum class Carrier { Pty, Tcp };

/// The host's end of the line: the pty's master side or a TCP socket.
class LineEnd {
  public:
    explicit LineEnd(asio::io_context& io) : io_(io) {}

    /// Points `driver` at a fresh line; the peer's end connects once the driver listens.
    void Attach(VortelTool& driver, Carrier carrier) {
        if (carrier == Carrier::Pty) {
            int master = -1;
            int slave = -1;
            char name[128];
            ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
            ::close(slave);  // the driver opens it by name
            pty_.emplace(io_, master);
            driver.SetPortType(enmPortType::PortTypeRS232);
            driver.SetNetworkPort(false);
            driver.SetSerialPort(name);
            driver.OpenPort();
        } else {
            driver.SetPortType(enmPortType::PortTypeTCPIP);
            driver.OpenPort();
            socket_.emplace(io_);
            socket_->connect({asio::ip::make_address("127.0.0.1"), driver.ListeningPort()});
            socket_->set_option(asio::ip::tcp::no_delay(true));
        }
    }
    void Write(const std::vector<std::uint8_t>& bytes) {
        if (pty_) asio::write(*pty_, asio::buffer(bytes));
        if (socket_) asio::write(*socket_, asio::buffer(bytes));
    }
    void WriteHex(const std::string& hex) { Write(Hex(hex)); }
    /// The next `n` bytes in hex, "" when they did not come in time.
    std::string Read(std::size_t n, std::chrono::milliseconds limit = 5000ms) {
        std::vector<std::uint8_t> bytes(n);
        bool done = false;
        auto handler = [&](std::error_code ec, std::size_t) { done = !ec; };
        if (pty_) asio::async_read(*pty_, asio::buffer(bytes), handler);
        if (socket_) asio::async_read(*socket_, asio::buffer(bytes), handler);
        if (!RunUntil(
                io_, [&] { return done; }, limit)) {
            if (pty_) pty_->cancel();
            if (socket_) socket_->cancel();
            return "";
        }
        return ToHex(bytes);
    }
    void Close() {
        if (pty_) pty_->close();
        if (socket_) socket_->close();
    }

  private:
    asio::io_context& io_;
    std::optional<asio::posix::stream_descriptor> pty_;
    std::optional<asio::ip::tcp::socket> socket_;
};

class Secs1Wire : public ::testing::TestWithParam<Carrier> {
  protected:
    asio::io_context io_;
    DriverUnderTest eq_{io_, enmConnectionMode::ConnectionModePassive};
    LineEnd host_{io_};
};

TEST_P(Secs1Wire, ConnectsExchangesBlocksAndLogsTheLine) {
    TempDir dir;
    eq_.driver->SetSECSILogPath(dir.Path().string());
    host_.Attach(*eq_.driver, GetParam());
    ASSERT_TRUE(RunUntil(io_, [&] { return eq_.events->Count("Connect") == 1; }));
    host_.WriteHex("05");
    EXPECT_EQ(host_.Read(1), "04");
    host_.Write(secs1::EncodeBlock({{false, 1, true, 1, 1, true, 1, 0x10}, {}}));
    EXPECT_EQ(host_.Read(1), "06");
    ASSERT_TRUE(RunUntil(io_, [&] { return eq_.events->Count("ReceivedPrimary") == 1; }));
    ASSERT_TRUE(eq_.events->Last("ReceivedPrimary")->transaction->Reply());
    EXPECT_EQ(host_.Read(1), "05");
    host_.WriteHex("04");
    EXPECT_EQ(host_.Read(17), "10 80 01 01 02 80 01 00 00 00 10 01 02 41 00 41 00");
    EXPECT_EQ(host_.Read(2), "01 9a");
    host_.WriteHex("06");
    ASSERT_TRUE(RunUntil(io_, [&] { return dir.AllText().find("RECV ACK") != std::string::npos; }));
    host_.Close();
    ASSERT_TRUE(RunUntil(io_, [&] { return eq_.events->Count("Disconnect") == 1; }));
    EXPECT_EQ(eq_.events->Kinds(),
              (std::vector<std::string>{"Connect", "ReceivedPrimary", "Disconnect 3002"}));
    std::string log = dir.AllText();
    for (const char* line : {"RECV ENQ", "SEND EOT", "RECV Block S1F1 W DeviceID=1 Block=1 E",
                             "SEND Block S1F2 R DeviceID=1", "RECV ACK"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
    }
}

// No EOT ever comes: RTY 1 allows two ENQs, then the message fails (2015) and the line is
// reported (3005); the port stays open.
TEST_P(Secs1Wire, RetryLimitFailsTheMessageAndReportsTheLine) {
    eq_.driver->SetTimer(ProtocolTimer::T2, kShort);
    eq_.driver->SetRetryLimit(1);
    host_.Attach(*eq_.driver, GetParam());
    ASSERT_TRUE(RunUntil(io_, [&] { return eq_.events->Count("Connect") == 1; }));
    ASSERT_TRUE(eq_.driver->CreateTransaction("S1F1")->Send());
    EXPECT_EQ(host_.Read(2), "05 05");
    ASSERT_TRUE(RunUntil(io_, [&] { return eq_.events->Count("Error") == 2; }));
    EXPECT_EQ(eq_.events->Kinds(),
              (std::vector<std::string>{"Connect", "Error 2015", "Error 3005"}));
    EXPECT_EQ(eq_.events->events[1].error.message_name, "S1F1");
    EXPECT_EQ(eq_.driver->PendingReplies(), 0u);
    EXPECT_TRUE(eq_.driver->IsSelected());
    EXPECT_EQ(host_.Read(1, 50ms), "") << "no third ENQ";
}

// T3 counts from the acknowledged last block, not from the hand-over: a line that keeps the
// message waiting longer than T3 costs no reply time-out.
TEST_P(Secs1Wire, ReplyTimeoutStartsWhenTheMessageIsOut) {
    eq_.driver->SetTimer(ProtocolTimer::T3, kShort);
    host_.Attach(*eq_.driver, GetParam());
    ASSERT_TRUE(RunUntil(io_, [&] { return eq_.events->Count("Connect") == 1; }));
    ASSERT_TRUE(eq_.driver->CreateTransaction("S1F1")->Send());
    EXPECT_EQ(host_.Read(1), "05");
    RunFor(io_, 2 * kShort);
    EXPECT_EQ(eq_.events->Count("Error"), 0u) << eq_.events->Last("Error")->text;
    host_.WriteHex("04");
    EXPECT_EQ(host_.Read(13).substr(0, 8), "0a 80 01");
    host_.WriteHex("06");
    ASSERT_TRUE(RunUntil(io_, [&] { return eq_.events->Count("Error") == 1; }));
    EXPECT_EQ(eq_.events->Last("Error")->code, kReplyTimeout);
}

INSTANTIATE_TEST_SUITE_P(Carriers, Secs1Wire, ::testing::Values(Carrier::Pty, Carrier::Tcp),
                         [](const auto& info) {
                             return std::string(info.param == Carrier::Pty ? "pty" : "tcp");
                         });

// Host and equipment drivers back to back over TCP: the primary is answered, and a primary left
// unanswered ends in 2012 after T3.
TEST(Secs1Drivers, AnswerEachOtherAndTimeOutWithoutAReply) {
    asio::io_context io;
    DriverUnderTest eq(io, enmConnectionMode::ConnectionModePassive);
    DriverUnderTest host(io, enmConnectionMode::ConnectionModeActive);
    for (auto* d : {&eq, &host})
        d->driver->SetPortType(enmPortType::PortTypeTCPIP);
    host.driver->SetHostRole(true);
    host.driver->SetTimer(ProtocolTimer::T3, kShort);
    eq.driver->OpenPort();
    host.driver->SetRemoteIPPort(eq.driver->ListeningPort());
    host.driver->OpenPort();
    ASSERT_TRUE(RunUntil(io, [&] {
        return eq.events->Count("Connect") == 1 && host.events->Count("Connect") == 1;
    }));
    eq.events->on_event = [](const DriverEvent& e) {
        if (e.kind == "ReceivedPrimary" && e.transaction->Primary().Function() == 3) {
            e.transaction->Reply();  // S1F1 stays unanswered
        }
    };
    auto asked = host.driver->CreateTransaction("S1F3");
    ASSERT_TRUE(asked->Send());
    ASSERT_TRUE(RunUntil(io, [&] { return host.events->Count("ReceivedSecondary") == 1; }));
    EXPECT_EQ(host.events->Last("ReceivedSecondary")->transaction, asked);
    ASSERT_TRUE(host.driver->CreateTransaction("S1F1")->Send());
    ASSERT_TRUE(RunUntil(io, [&] { return host.events->Count("Error") == 1; }));
    EXPECT_EQ(host.events->Last("Error")->code, kReplyTimeout);
    EXPECT_EQ(host.events->Last("Error")->error.message_name, "S1F1");
}

}  // namespace
}  // namespace kest::test
