// HSMS round trips a second between two drivers on 127.0.0.1, next to a raw TCP ping-pong of the
// same frame sizes in the same run (the physical limit of the loopback path and the event loop):
//   S1F1/S1F2 with one request outstanding, S6F11/S6F12 with 16 outstanding.
// Both run single-threaded on one io_context, as the driver does in an application. The last
// lines print each driver rate as a share of its raw rate.
#include <benchmark/benchmark.h>

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/vortel_tool.h"
#include "secs/build.h"
#include "secs/codec.h"

namespace {

using namespace kest;
using namespace kest::build;
using asio::ip::tcp;

constexpr std::size_t kRoundTripsPerIteration = 2000;

// One exchange the benchmark repeats: a primary the host sends and how the equipment answers.
struct Workload {
    const char* name;
    const char* primary;
    int outstanding;
};

const Workload kAreYouThere{"S1F1-S1F2", "S1F1", 1};
const Workload kEventReport{"S6F11-S6F12", "S6F11", 16};

void FillPrimary(SecsMessage& message) {
    if (message.Function() != 11) return;
    // DATAID, CEID and two reports of three values, as an event report of a real tool.
    message.Item(1).Item(1).SetValue(1);
    message.Item(1).Item(2).SetValue(4001);
    SecsItem& reports = message.Item(1).Item(3);
    while (reports.Count() > 0)
        reports.RemoveItem(1);
    reports.AddItem(L(U4(1), L(U4(300), A("LOT-0001"), F4(21.5))));
    reports.AddItem(L(U4(2), L(A("RECIPE-A"), U2(12), Boolean({true}))));
}

void FillReply(SecsMessage& reply) {
    if (reply.Function() == 2) {
        reply.Item(1).Item(1).SetValue("KEST");
        reply.Item(1).Item(2).SetValue("0.1.0");
    }
}

// Frame sizes of the workload as the driver puts it on the wire.
std::pair<std::size_t, std::size_t> FrameSizes(const Workload& w) {
    const auto& dictionary = MessageDictionary::Default();
    SecsMessage primary = dictionary.NewPrimary(w.primary);
    FillPrimary(primary);
    SecsMessage reply = dictionary.ReplyShell(primary.Stream(), primary.Function());
    FillReply(reply);
    return {14 + EncodeBody(primary).size(), 14 + EncodeBody(reply).size()};
}

void RunUntil(asio::io_context& io, const std::function<bool()>& done) {
    while (!done()) {
        if (io.stopped()) io.restart();
        if (io.run_one() == 0 && !done()) throw std::runtime_error("the loop ran dry");
    }
}

// Writes whole frames of `unit` bytes, gathering what piles up while a write is in flight.
class FrameWriter {
  public:
    FrameWriter(tcp::socket& socket, std::size_t unit, std::size_t most)
        : socket_(socket), unit_(unit), buffer_(unit * most) {}
    void Add(std::size_t frames) {
        queued_ += frames;
        if (!busy_) Flush();
    }

  private:
    void Flush() {
        if (queued_ == 0) return;
        std::size_t frames = queued_;
        queued_ = 0;
        busy_ = true;
        asio::async_write(socket_, asio::buffer(buffer_.data(), frames * unit_),
                          [this](std::error_code ec, std::size_t) {
                              if (ec) throw std::runtime_error(ec.message());
                              busy_ = false;
                              Flush();
                          });
    }

    tcp::socket& socket_;
    std::size_t unit_;
    std::vector<std::uint8_t> buffer_;
    std::size_t queued_ = 0;
    bool busy_ = false;
};

// Counts whole frames of `unit` bytes arriving on a socket and calls `on_frames` with each batch.
class FrameCounter {
  public:
    FrameCounter(tcp::socket& socket, std::size_t unit, std::function<void(std::size_t)> on_frames)
        : socket_(socket), unit_(unit), on_frames_(std::move(on_frames)), buffer_(64 * 1024) {}
    void Start() {
        socket_.async_read_some(asio::buffer(buffer_), [this](std::error_code ec, std::size_t n) {
            if (ec) return;
            partial_ += n;
            std::size_t frames = partial_ / unit_;
            partial_ %= unit_;
            if (frames) on_frames_(frames);
            Start();
        });
    }

  private:
    tcp::socket& socket_;
    std::size_t unit_;
    std::function<void(std::size_t)> on_frames_;
    std::vector<std::uint8_t> buffer_;
    std::size_t partial_ = 0;
};

// The raw ping-pong: the server answers each request frame with a reply frame.
class RawPingPong {
  public:
    RawPingPong(std::size_t request, std::size_t reply, int outstanding)
        : acceptor_(io_, {asio::ip::make_address("127.0.0.1"), 0}),
          client_(io_),
          server_(io_),
          outstanding_(outstanding),
          client_writer_(client_, request, outstanding),
          server_writer_(server_, reply, outstanding),
          server_counter_(server_, request, [this](std::size_t n) { server_writer_.Add(n); }),
          client_counter_(client_, reply, [this](std::size_t n) { Replies(n); }) {
        client_.connect(acceptor_.local_endpoint());
        acceptor_.accept(server_);
        client_.set_option(tcp::no_delay(true));
        server_.set_option(tcp::no_delay(true));
        server_counter_.Start();
        client_counter_.Start();
    }

    void RoundTrips(std::size_t count) {
        target_ = count;
        sent_ = replies_ = 0;
        std::size_t first = std::min<std::size_t>(outstanding_, count);
        sent_ = first;
        client_writer_.Add(first);
        RunUntil(io_, [&] { return replies_ == target_; });
    }

  private:
    void Replies(std::size_t n) {
        replies_ += n;
        std::size_t more = std::min(n, target_ - sent_);
        sent_ += more;
        if (more) client_writer_.Add(more);
    }

    asio::io_context io_;
    tcp::acceptor acceptor_;
    tcp::socket client_;
    tcp::socket server_;
    int outstanding_;
    FrameWriter client_writer_;
    FrameWriter server_writer_;
    FrameCounter server_counter_;
    FrameCounter client_counter_;
    std::size_t target_ = 0;
    std::size_t sent_ = 0;
    std::size_t replies_ = 0;
};

// The equipment answers every primary from its reply shell.
class Equipment : public SecsDriverEvents {
  public:
    void Connect() override { connected = true; }
    void Disconnect(int, const std::string&) override { connected = false; }
    void ReceivedPrimary(std::shared_ptr<SecsTransaction> t, int, const std::string&) override {
        FillReply(t->Secondary());
        t->Reply();
    }
    void ReceivedSecondary(std::shared_ptr<SecsTransaction>, int, const std::string&) override {}
    void Error(const DriverError& e) override {
        std::fprintf(stderr, "equipment error %d: %s\n", e.code, e.text.c_str());
    }
    bool connected = false;
};

// The host keeps `outstanding` primaries in flight until the target number was answered.
class Host : public SecsDriverEvents {
  public:
    void Connect() override { connected = true; }
    void Disconnect(int, const std::string&) override { connected = false; }
    void ReceivedPrimary(std::shared_ptr<SecsTransaction>, int, const std::string&) override {}
    void ReceivedSecondary(std::shared_ptr<SecsTransaction>, int, const std::string&) override {
        ++replies;
        if (sent < target) SendOne();
    }
    void Error(const DriverError& e) override {
        std::fprintf(stderr, "host error %d: %s\n", e.code, e.text.c_str());
    }
    void SendOne() {
        auto t = driver->CreateTransaction(primary);
        FillPrimary(t->Primary());
        if (!t->Send()) throw std::runtime_error("send refused");
        ++sent;
    }

    std::shared_ptr<VortelTool> driver;
    std::string primary;
    std::size_t target = 0;
    std::size_t sent = 0;
    std::size_t replies = 0;
    bool connected = false;
};

class DriverPair {
  public:
    explicit DriverPair(const Workload& w)
        : equipment_(VortelTool::Create(io_.get_executor())),
          host_(VortelTool::Create(io_.get_executor())),
          outstanding_(w.outstanding) {
        equipment_->SetEvents(equipment_events_);
        equipment_->SetLocalIPAddress("127.0.0.1");
        equipment_->SetLocalIPPort(0);
        equipment_->OpenPort();
        host_events_->driver = host_;
        host_events_->primary = w.primary;
        host_->SetEvents(host_events_);
        host_->SetHostRole(true);
        host_->SetConnectionMode(enmConnectionMode::ConnectionModeActive);
        host_->SetRemoteIPAddress("127.0.0.1");
        host_->SetRemoteIPPort(equipment_->ListeningPort());
        host_->OpenPort();
        RunUntil(io_, [&] { return host_events_->connected && equipment_events_->connected; });
    }

    void RoundTrips(std::size_t count) {
        Host& host = *host_events_;
        host.target = count;
        host.sent = host.replies = 0;
        for (int i = 0; i < outstanding_ && host.sent < count; ++i)
            host.SendOne();
        RunUntil(io_, [&] { return host.replies == count; });
    }

  private:
    asio::io_context io_;
    std::shared_ptr<Equipment> equipment_events_ = std::make_shared<Equipment>();
    std::shared_ptr<Host> host_events_ = std::make_shared<Host>();
    std::shared_ptr<VortelTool> equipment_;
    std::shared_ptr<VortelTool> host_;
    int outstanding_;
};

void RawBenchmark(benchmark::State& state, const Workload& w) {
    auto [request, reply] = FrameSizes(w);
    RawPingPong pair(request, reply, w.outstanding);
    for (auto _ : state)
        pair.RoundTrips(kRoundTripsPerIteration);
    state.SetItemsProcessed(
        static_cast<std::int64_t>(state.iterations() * kRoundTripsPerIteration));
    state.counters["frame_bytes"] = static_cast<double>(request + reply);
}

// The SECS-II work of one round trip without any I/O: the host's primary made from the
// dictionary and filled, encoded, decoded on the other side, the reply shell filled, encoded and
// decoded. No driver can exceed this rate on one thread, whatever its transport.
void MessageWorkBenchmark(benchmark::State& state, const Workload& w) {
    const auto& dictionary = MessageDictionary::Default();
    for (auto _ : state) {
        for (std::size_t i = 0; i < kRoundTripsPerIteration; ++i) {
            SecsMessage primary = dictionary.NewPrimary(w.primary);
            FillPrimary(primary);
            auto body = EncodeBody(primary);
            SecsMessage received(primary.Stream(), primary.Function(), true);
            DecodeBody(body, received);
            SecsMessage reply = dictionary.ReplyShell(received.Stream(), received.Function());
            FillReply(reply);
            auto reply_body = EncodeBody(reply);
            SecsMessage answer(reply.Stream(), reply.Function());
            DecodeBody(reply_body, answer);
            benchmark::DoNotOptimize(answer);
        }
    }
    state.SetItemsProcessed(
        static_cast<std::int64_t>(state.iterations() * kRoundTripsPerIteration));
}

void DriverBenchmark(benchmark::State& state, const Workload& w) {
    DriverPair pair(w);
    for (auto _ : state)
        pair.RoundTrips(kRoundTripsPerIteration);
    state.SetItemsProcessed(
        static_cast<std::int64_t>(state.iterations() * kRoundTripsPerIteration));
}

// Keeps each run's rate, to print the driver's share of the raw rate at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            auto it = run.counters.find("items_per_second");
            if (it == run.counters.end()) continue;
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") medians_[name] = it->second.value;
            } else {
                singles_[name] = it->second.value;
            }
        }
    }
    void PrintRatios() const {
        for (const auto* w : {&kAreYouThere, &kEventReport}) {
            std::string suffix =
                std::string(w->name) + "/outstanding:" + std::to_string(w->outstanding);
            double raw = Rate("raw/" + suffix);
            double driver = Rate("driver/" + suffix);
            double work = Rate("messages-only/" + suffix);
            if (raw <= 0 || driver <= 0) continue;
            std::printf("%s, %d outstanding: driver %.0f/s, raw %.0f/s, ratio %.1f%%", w->name,
                        w->outstanding, driver, raw, 100.0 * driver / raw);
            if (work > 0) {
                std::printf(" (SECS-II work alone %.0f/s, %.1f%% of raw)", work,
                            100.0 * work / raw);
            }
            std::printf("\n");
        }
    }

  private:
    // The median of the repetitions when there were several, else the one run.
    double Rate(const std::string& name) const {
        if (auto it = medians_.find(name); it != medians_.end()) return it->second;
        if (auto it = singles_.find(name); it != singles_.end()) return it->second;
        return 0;
    }

    std::map<std::string, double> medians_;
    std::map<std::string, double> singles_;
};

void Register(const Workload& w) {
    std::string suffix = std::string(w.name) + "/outstanding:" + std::to_string(w.outstanding);
    // Three repetitions each; the ratio uses the medians, which a busy moment of the shared
    // machine disturbs least.
    benchmark::RegisterBenchmark(("raw/" + suffix).c_str(), RawBenchmark, w)
        ->UseRealTime()
        ->MinTime(0.5)
        ->Repetitions(3);
    benchmark::RegisterBenchmark(("driver/" + suffix).c_str(), DriverBenchmark, w)
        ->UseRealTime()
        ->MinTime(0.5)
        ->Repetitions(3);
    benchmark::RegisterBenchmark(("messages-only/" + suffix).c_str(), MessageWorkBenchmark, w)
        ->UseRealTime()
        ->MinTime(0.5)
        ->Repetitions(3);
}

}  // namespace

int main(int argc, char** argv) {
    Register(kAreYouThere);
    Register(kEventReport);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
