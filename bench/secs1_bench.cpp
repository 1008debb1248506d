// SECS-I between two transports on one io_context, over a loopback TCP byte stream and over a
// pseudo-terminal set to 115200 baud: S1F1/S1F2 round trips and one 100 KB message. Each result
// carries `line_ms`, the time the same bytes need on a real 115200 baud line (10 bits a byte,
// line control included); a pseudo-terminal does not pace its bytes, so it can beat that figure.
#include <benchmark/benchmark.h>
#include <pty.h>
#include <unistd.h>

#include <asio/io_context.hpp>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/secs1_block.h"
#include "driver/secs1_transport.h"

namespace {

using namespace kest;

constexpr unsigned kBaud = 115200;
// S1F2 <L <A "KEST"> <A "0.1.0">>
const std::vector<std::uint8_t> kS1F2Body = {0x01, 0x02, 0x41, 0x04, 'K', 'E', 'S', 'T',
                                             0x41, 0x05, '0',  '.',  '1', '.', '0'};

// Bytes a message puts on the line: per block ENQ, EOT, length, header, checksum and ACK.
double LineBytes(std::size_t body) {
    std::size_t blocks = body == 0 ? 1 : (body + secs1::kMaxBlockData - 1) / secs1::kMaxBlockData;
    return static_cast<double>(body + blocks * (3 + 1 + secs1::kHeaderSize + 2));
}

double LineMs(double bytes) {
    return bytes * 10.0 * 1000.0 / kBaud;
}

// One end: counts what arrives; the equipment answers S1F1 at once.
class End final : public TransportEvents {
  public:
    End(asio::io_context& io, Secs1TransportSettings settings)
        : transport(
              std::make_shared<Secs1Transport>(io.get_executor(), std::move(settings), *this)) {}
    ~End() override { transport->Close(true); }

    void LinkUp() override { up = true; }
    void LinkDown(int, const std::string& text, std::vector<MessageHeader>) override {
        throw std::runtime_error("line lost: " + text);
    }
    void LinkError(int code, const std::string& text) override {
        throw std::runtime_error(std::to_string(code) + " " + text);
    }
    void MessageReceived(const MessageHeader& header, std::span<const std::uint8_t>) override {
        ++received;
        if (header.reply_expected) {
            transport->Send(
                {header.device_id, header.stream, header.function + 1, false, header.system_bytes},
                kS1F2Body);
        }
    }
    void MessageRejected(std::uint32_t, const std::string&) override {}
    void MessageSent(const MessageHeader&) override {}
    void MessageFailed(const MessageHeader&, const std::string& reason) override {
        throw std::runtime_error(reason);
    }
    void LinkTrace(LogDirection, const std::string&) override {}
    void LinkNote(const std::string&) override {}
    void LineTrace(LogDirection, const std::string&) override {}

    std::shared_ptr<Secs1Transport> transport;
    bool up = false;
    std::size_t received = 0;
};

Secs1TransportSettings Settings(bool host, Secs1Carrier carrier) {
    Secs1TransportSettings s;
    s.protocol.host_role = host;
    s.protocol.device_id = 1;
    s.carrier = carrier;
    s.baud = kBaud;
    s.local_address = s.remote_address = "127.0.0.1";
    return s;
}

void RunUntil(asio::io_context& io, const std::function<bool()>& done) {
    while (!done()) {
        if (io.stopped()) io.restart();
        io.run_one();
    }
}

// The equipment and the host, joined over `carrier` ("tcp" or "pty").
struct Pair {
    Pair(asio::io_context& io, bool pty) {
        if (pty) {
            int master = -1;
            int slave = -1;
            char name[128];
            if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
                throw std::runtime_error("openpty failed");
            }
            ::close(slave);
            auto eq_settings = Settings(false, Secs1Carrier::Serial);
            eq_settings.serial_device = name;
            eq = std::make_unique<End>(io, eq_settings);
            eq->transport->Open();
            host = std::make_unique<End>(io, Settings(true, Secs1Carrier::Serial));
            host->transport->Adopt(DescriptorStream(asio::posix::stream_descriptor(io, master)),
                                   "pty master");
        } else {
            eq = std::make_unique<End>(io, Settings(false, Secs1Carrier::TcpPassive));
            eq->transport->Open();
            auto host_settings = Settings(true, Secs1Carrier::TcpActive);
            host_settings.remote_port = eq->transport->ListeningPort();
            host = std::make_unique<End>(io, host_settings);
            host->transport->Open();
        }
        RunUntil(io, [&] { return eq->up && host->up; });
    }
    std::unique_ptr<End> eq;
    std::unique_ptr<End> host;
};

void RoundTrips(benchmark::State& state, bool pty) {
    asio::io_context io;
    Pair pair(io, pty);
    std::uint32_t sb = 0;
    for (auto _ : state) {
        pair.host->transport->Send({1, 1, 1, true, ++sb}, {});
        RunUntil(io, [&] { return pair.host->received == sb; });
    }
    state.counters["line_ms"] = LineMs(LineBytes(0) + LineBytes(kS1F2Body.size()));
}

void LargeMessage(benchmark::State& state, bool pty) {
    asio::io_context io;
    Pair pair(io, pty);
    std::vector<std::uint8_t> body(100 * 1024, 0x5A);
    std::uint32_t sb = 0;
    for (auto _ : state) {
        pair.host->transport->Send({1, 6, 11, false, ++sb}, body);
        RunUntil(io, [&] { return pair.eq->received == sb; });
    }
    state.counters["line_ms"] = LineMs(LineBytes(body.size()));
}

void BM_Secs1_S1F1_Tcp(benchmark::State& state) {
    RoundTrips(state, false);
}
void BM_Secs1_S1F1_Pty115200(benchmark::State& state) {
    RoundTrips(state, true);
}
void BM_Secs1_100KB_Tcp(benchmark::State& state) {
    LargeMessage(state, false);
}
void BM_Secs1_100KB_Pty115200(benchmark::State& state) {
    LargeMessage(state, true);
}

BENCHMARK(BM_Secs1_S1F1_Tcp)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Secs1_S1F1_Pty115200)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Secs1_100KB_Tcp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Secs1_100KB_Pty115200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
