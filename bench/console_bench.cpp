// The web console: how soon an open page hears of a state change, and what open pages cost the
// control's loop while a host sends 1,000 S1F1 a second. Targets: a state change on the page in
// under 50 ms (median); five pages cost the loop under 1% CPU.
//
//   build/bench/console_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <time.h>

#include <asio/executor_work_guard.hpp>
#include <asio/post.hpp>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "secs/build.h"
#include "support/control_harness.h"
#include "support/fake_driver.h"
#include "ui/frm_main.h"

namespace {

using kest::test::ControlHarness;
using Clock = std::chrono::steady_clock;

// A communicating control with its window and console, its loop on a thread of its own.
class Rig {
  public:
    explicit Rig(bool console = true) {
        h_.server->StartGEMTool();
        h_.Communicating();
        if (console) h_.server->StartConsole("127.0.0.1", 0);
        loop_ = std::thread([this] { h_.io.run(); });
    }
    ~Rig() {
        guard_.reset();
        h_.io.stop();
        loop_.join();
    }
    int Port() const { return h_.server->ConsolePort(); }
    ControlHarness& H() { return h_; }
    template <class F>
    void OnLoop(F f) {
        asio::post(h_.io, std::move(f));
    }
    // The loop thread's CPU time so far.
    std::chrono::nanoseconds LoopCpu() {
        std::promise<std::chrono::nanoseconds> cpu;
        OnLoop([&] {
            timespec t{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
            cpu.set_value(std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec));
        });
        return cpu.get_future().get();
    }

  private:
    ControlHarness h_;
    asio::executor_work_guard<asio::io_context::executor_type> guard_{h_.io.get_executor()};
    std::thread loop_;
};

// An open page: counts how often each control state text arrived.
class Page {
  public:
    explicit Page(int port) : client_("127.0.0.1", port) {
        thread_ = std::thread([this] {
            client_.Get("/api/events", [this](const char* data, std::size_t length) {
                const std::lock_guard lock(mutex_);
                buffer_.append(data, length);
                for (std::size_t at; (at = buffer_.find("\"control\":\"")) != std::string::npos;) {
                    const std::size_t end = buffer_.find('"', at + 11);
                    if (end == std::string::npos) break;
                    last_ = buffer_.substr(at + 11, end - at - 11);
                    ++states_;
                    buffer_.erase(0, end);
                }
                if (buffer_.size() > 65536) buffer_.erase(0, buffer_.size() - 1024);
                changed_.notify_all();
                return !stop_;
            });
        });
    }
    ~Page() {
        stop_ = true;
        client_.stop();
        thread_.join();
    }
    std::uint64_t States() {
        const std::lock_guard lock(mutex_);
        return states_;
    }
    // Waits until a state after the `seen`th shows `control`.
    bool WaitFor(std::uint64_t seen, const std::string& control) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5),
                                 [&] { return states_ > seen && last_ == control; });
    }

  private:
    httplib::Client client_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string buffer_;
    std::string last_;
    std::uint64_t states_ = 0;
    std::atomic<bool> stop_{false};
};

void BM_StateChangeReachesPage(benchmark::State& state) {
    Rig rig;
    Page page(rig.Port());
    auto* window = rig.H().core->FrmGEMTool();
    bool local = true;
    for (auto _ : state) {
        // A change after a quiet spell, as state changes come: the console holds back only
        // snapshots that follow one another within its gap.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const std::uint64_t seen = page.States();
        const auto start = Clock::now();
        rig.OnLoop([window, local] { local ? window->GoLocal() : window->GoRemote(); });
        if (!page.WaitFor(seen, local ? "Online Local" : "Online Remote")) {
            state.SkipWithError("the page never heard of the change");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        local = !local;
    }
}
BENCHMARK(BM_StateChangeReachesPage)->UseManualTime()->Unit(benchmark::kMillisecond);

// One second of 1,000 S1F1 from the host with `pages` consoles open (arguments: pages, whether
// the console runs at all): the loop's CPU share.
void BM_LoopCpuAtThousandS1F1PerSecond(benchmark::State& state) {
    Rig rig(state.range(1) != 0);
    std::vector<std::unique_ptr<Page>> pages;
    for (int i = 0; i < state.range(0); ++i)
        pages.push_back(std::make_unique<Page>(rig.Port()));
    auto& driver = *rig.H().driver;
    std::chrono::nanoseconds cpu{0};
    Clock::duration wall{0};
    for (auto _ : state) {
        const auto cpu_before = rig.LoopCpu();
        const auto start = Clock::now();
        for (int i = 0; i < 1000; ++i) {
            rig.OnLoop([&driver] { driver.InjectPrimary(kest::SecsMessage(1, 1, true)); });
            std::this_thread::sleep_until(start + std::chrono::milliseconds(i + 1));
        }
        cpu += rig.LoopCpu() - cpu_before;
        wall += Clock::now() - start;
    }
    state.counters["loop_cpu_percent"] =
        100.0 * static_cast<double>(cpu.count()) /
        static_cast<double>(std::chrono::nanoseconds(wall).count());
}
BENCHMARK(BM_LoopCpuAtThousandS1F1PerSecond)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({5, 1})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
