// Process programs over HSMS on 127.0.0.1: a host driver against a whole control with its own
// driver, one io_context. S7F3 download and S7F5 upload of a 4 MiB program (target >= 200 MiB/s
// each, reported as bytes_per_second), and S7F19 listing 10,000 programs in 100 folders
// (target < 100 ms). The transfers run with the equipment's SECS-II log on (as shipped) and off.
//
//   build/bench/recipe_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <asio/io_context.hpp>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "control/control_core.h"
#include "control/kest_server.h"
#include "driver/vortel_tool.h"
#include "gemdb/database_setup.h"
#include "secs/build.h"
#include "settings/secs_protocol.h"

namespace {

using namespace kest;
using namespace kest::build;
namespace fs = std::filesystem;

constexpr std::size_t kProgramSize = 4 * 1024 * 1024;

void RunUntil(asio::io_context& io, const std::function<bool()>& done) {
    while (!done()) {
        if (io.stopped()) io.restart();
        if (io.run_one() == 0 && !done()) throw std::runtime_error("the loop ran dry");
    }
}

// The host: sends one primary at a time and keeps the last reply.
class Host : public SecsDriverEvents {
  public:
    void Connect() override { connected = true; }
    void Disconnect(int, const std::string&) override { connected = false; }
    void ReceivedPrimary(std::shared_ptr<SecsTransaction>, int, const std::string&) override {}
    void ReceivedSecondary(std::shared_ptr<SecsTransaction> t, int, const std::string&) override {
        reply = t->Secondary();
        answered = true;
    }
    void Error(const DriverError& e) override {
        throw std::runtime_error("host error " + std::to_string(e.code) + ": " + e.text);
    }
    bool connected = false;
    bool answered = false;
    SecsMessage reply;
};

// A control listening on loopback, communicating and on-line remote, with a host connected.
class Loopback {
  public:
    explicit Loopback(bool secs_log = true)
        : dir_(fs::temp_directory_path() / ("kest_recipe_bench_" + std::to_string(getpid()))) {
        fs::remove_all(dir_);
        fs::create_directories(recipes());
        CreateGemDatabase(dir_ / "GEM.mdb", false);
        KestServerOptions options;
        options.run_timers = false;
        server_ = KestServer::Create(io_.get_executor(), dir_, options);
        SECSProtocol& protocol = *server_->SECSProtocol();
        protocol.SetHSMSConnectionType(enmConnectionMode::ConnectionModePassive);
        protocol.SetLocalIPAddress("127.0.0.1");
        protocol.SetLocalIPPort(0);
        protocol.SaveSetting();
        core_ = KestServerAccess::Core(*server_);
        core_->OpenPort();
        // Read at every entry: off, the log's share of the time shows against the default run.
        core_->VortelToolOCX().SetLogEnabled(secs_log);
        host_driver_ = VortelTool::Create(io_.get_executor());
        host_driver_->SetEvents(host_);
        host_driver_->SetHostRole(true);
        host_driver_->SetConnectionMode(enmConnectionMode::ConnectionModeActive);
        host_driver_->SetRemoteIPAddress("127.0.0.1");
        host_driver_->SetRemoteIPPort(protocol.ListeningPort());
        host_driver_->OpenPort();
        RunUntil(io_, [&] { return host_->connected; });
        core_->SetSetting("PortOpened", "TRUE");
        core_->SetGemVar("CommState", 2);
        core_->SetGemVar("ControlState", 5);
        core_->SetGemVar("PPDirectory", recipes().string());
    }
    ~Loopback() {
        host_driver_->ClosePort();
        core_.reset();
        server_.reset();
        fs::remove_all(dir_);
    }

    fs::path recipes() const { return dir_ / "recipes"; }

    // Sends `body` as stream 7 `function` with the W-bit and returns the reply.
    const SecsMessage& Ask(int function, std::optional<SecsItem> body) {
        auto t = host_driver_->CreateTransaction("S7F" + std::to_string(function));
        SecsItem& root = t->Primary().RootItem();
        root.Clear();
        if (body) root.AddItem(std::move(*body));
        host_->answered = false;
        if (!t->Send()) throw std::runtime_error("send refused");
        RunUntil(io_, [&] { return host_->answered; });
        return host_->reply;
    }

  private:
    fs::path dir_;
    asio::io_context io_;
    std::shared_ptr<KestServer> server_;
    std::shared_ptr<ControlCore> core_;
    std::shared_ptr<VortelTool> host_driver_;
    std::shared_ptr<Host> host_ = std::make_shared<Host>();
};

SecsItem Program() {
    SecsItem body(enmItemFormat::FormatBinary);
    body.AdoptData(std::string(kProgramSize, 'r'));
    return body;
}

bool Acknowledged(const SecsMessage& reply) {
    return reply.BodyCount() == 1 && reply.Item(1).Data().size() == 1 &&
           reply.Item(1).Data()[0] == 0;
}

void BM_Download(benchmark::State& state) {
    Loopback link(state.range(0) != 0);
    const SecsItem program = Program();
    for (auto _ : state) {
        if (!Acknowledged(link.Ask(3, L(A("R1"), program)))) state.SkipWithError("not ACKC7 0");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kProgramSize));
}
BENCHMARK(BM_Download)
    ->ArgName("secs_log")
    ->Arg(1)
    ->Arg(0)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_Upload(benchmark::State& state) {
    Loopback link(state.range(0) != 0);
    link.Ask(3, L(A("R1"), Program()));
    for (auto _ : state) {
        const SecsMessage& reply = link.Ask(5, A("R1"));
        if (reply.BodyCount() != 1 || reply.Item(1).Count() != 2 ||
            reply.Item(1).Item(2).Count() != kProgramSize) {
            state.SkipWithError("no program");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kProgramSize));
}
BENCHMARK(BM_Upload)
    ->ArgName("secs_log")
    ->Arg(1)
    ->Arg(0)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_List(benchmark::State& state) {
    Loopback link(state.range(0) != 0);
    for (int folder = 0; folder < 100; ++folder) {
        const fs::path path = link.recipes() / ("F" + std::to_string(folder));
        fs::create_directory(path);
        for (int file = 0; file < 100; ++file)
            std::ofstream(path / ("R" + std::to_string(file))) << "p";
    }
    for (auto _ : state) {
        const SecsMessage& reply = link.Ask(19, std::nullopt);
        if (reply.BodyCount() != 1 || reply.Item(1).Count() != 10000) {
            state.SkipWithError("not 10,000 programs");
        }
    }
}
BENCHMARK(BM_List)
    ->ArgName("secs_log")
    ->Arg(1)
    ->Arg(0)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
