// The local queue store: a send taken by a reader on its own connection (as the control and the
// equipment software are), and how soon a waiting reader sees a message sent while it waits.
//
//   build-release/bench/queue_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

#include "queue/queue_store.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class BenchDir {
  public:
    BenchDir() {
        std::string pattern = "/tmp/kest-queue-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = pattern;
    }
    ~BenchDir() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path File() const { return kest::QueueStore::PathIn(dir_); }

  private:
    fs::path dir_;
};

// One message a iteration: sent on one connection, received on another.
void BM_SendThenReceive(benchmark::State& state) {
    BenchDir dir;
    kest::QueueStore sender(dir.File());
    kest::QueueStore reader(dir.File());
    for (auto _ : state) {
        sender.Send("receiveremote", "START", 5, "Null");
        auto m = reader.Receive("receiveremote");
        if (!m) state.SkipWithError("message lost");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SendThenReceive);

// A reader thread blocked in Receive(timeout); the time is from the send to the reader holding it.
void BM_WaitingReaderLatency(benchmark::State& state) {
    BenchDir dir;
    kest::QueueStore sender(dir.File());
    std::atomic<bool> waiting{false};
    std::atomic<Clock::rep> received_at{0};
    for (auto _ : state) {
        waiting = false;
        std::thread reader([&] {
            kest::QueueStore store(dir.File());
            waiting = true;
            auto m = store.Receive("q", std::chrono::seconds(5));
            received_at = m ? Clock::now().time_since_epoch().count() : 0;
        });
        while (!waiting)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));  // let it block in its wait
        const auto sent = Clock::now();
        sender.Send("q", "x", 5, "Null");
        reader.join();
        if (received_at == 0) state.SkipWithError("message not received");
        state.SetIterationTime(std::chrono::duration<double>(
                                   Clock::duration(received_at - sent.time_since_epoch().count()))
                                   .count());
    }
}
BENCHMARK(BM_WaitingReaderLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

// Each side alone: what a send and a receive cost without the other process.
void BM_SendOnly(benchmark::State& state) {
    BenchDir dir;
    kest::QueueStore sender(dir.File());
    for (auto _ : state)
        sender.Send("receiveremote", "START", 5, "Null");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SendOnly);

void BM_ReceiveOnly(benchmark::State& state) {
    BenchDir dir;
    kest::QueueStore sender(dir.File());
    kest::QueueStore reader(dir.File());
    for (std::int64_t i = 0; i < state.max_iterations; ++i)
        sender.Send("receiveremote", "START", 5, "Null");
    for (auto _ : state) {
        if (!reader.Receive("receiveremote")) state.SkipWithError("message lost");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReceiveOnly)->Iterations(50000);

// A sender process and a reader process working at once, as the control and the equipment
// software do: the reader waits for messages and takes up to range(0) at a time.
void BM_TwoProcesses(benchmark::State& state) {
    constexpr int kCount = 20000;
    const std::int64_t batch = state.range(0);
    for (auto _ : state) {
        BenchDir dir;
        { kest::QueueStore create(dir.File()); }
        const pid_t reader = ::fork();
        if (reader == 0) {
            try {
                kest::QueueStore store(dir.File());
                for (int got = 0; got < kCount;) {
                    const auto taken =
                        store.ReceiveUpTo("receiveremote", batch, std::chrono::seconds(5));
                    if (taken.empty()) ::_exit(1);
                    got += static_cast<int>(taken.size());
                }
                ::_exit(0);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "reader: %s\n", e.what());
                ::_exit(2);
            }
        }
        {
            kest::QueueStore sender(dir.File());
            for (int i = 0; i < kCount; ++i)
                sender.Send("receiveremote", "START", 5, "Null");
        }
        int status = 0;
        ::waitpid(reader, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("messages lost");
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_TwoProcesses)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
