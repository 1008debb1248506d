// The trace timer's once-a-second pass with four traces of 200 status variables each at a
// one-second period: CPU time of one pass (every element ticks, each trace samples its 200
// values and sends one S6F1), median target under 2 ms, and the S6F1 bytes the pass produces,
// which at one pass a second are the bytes per second the host receives. The database is in the
// running control's cache mode; argument 0 finds every value kept from the last pass, 1 finds
// them all dropped, as after the equipment software wrote to the database.
//
//   build/bench/trace_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "secs/codec.h"
#include "settings/secs_protocol.h"
#include "support/control_harness.h"

namespace {

using namespace kest;
using namespace kest::build;

constexpr int kTraces = 4;
constexpr int kVariables = 200;

// Mixed formats, as a real equipment's status variables are.
void AddVariables(test::ControlHarness& h) {
    for (int k = 0; k < kTraces * kVariables; ++k) {
        KestRecVariable v;
        v.SetID(6000 + k);
        v.SetName("SV" + std::to_string(k));
        const int kind = k % 3;
        v.SetVarFormat(static_cast<int>(kind == 0   ? enmItemFormat::FormatU4
                                        : kind == 1 ? enmItemFormat::FormatF4
                                                    : enmItemFormat::FormatAscii));
        v.SetValue(kind == 2 ? "chamber-" + std::to_string(k) : std::to_string(k));
        v.SetParentKey(0);
        v.SetAccessID("NULL");
        v.SetVarType("SV");
        h.Db().VariableAddRecord(v);
    }
}

void StartTraces(test::ControlHarness& h) {
    for (int trace = 0; trace < kTraces; ++trace) {
        SecsItem svids;
        for (int k = 0; k < kVariables; ++k)
            svids.AddItem(U4(6000 + trace * kVariables + k));
        h.driver->InjectPrimary(
            SecsMessage(2, 23, true,
                        L(U4(trace + 1), A("000001"), U4(2'000'000'000u), U4(1), std::move(svids))),
            h.server->SECSProtocol()->DeviceID());
    }
}

void BM_TraceSecond(benchmark::State& state) {
    test::ControlHarness h;
    h.Db().SetCacheMode(GEMDBCacheMode::UntilNoticed);
    const bool dropped = state.range(0) == 1;
    h.Communicating();
    AddVariables(h);
    StartTraces(h);
    if (h.core->TraceList().size() != kTraces) {
        state.SkipWithError("the traces did not start");
        return;
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        h.driver->sent.clear();
        h.ClearRecords();
        h.clock->Advance(std::chrono::seconds(1));
        if (dropped) h.Db().SetCacheMode(GEMDBCacheMode::UntilNoticed);  // drops every kept read
        state.ResumeTiming();
        for (int index = 1; index <= kTraces; ++index)
            h.core->TraceTick(index);
        state.PauseTiming();
        for (const auto& sent : h.driver->sent)
            bytes += EncodedSize(sent->Primary().Item(1));
        state.ResumeTiming();
    }
    state.counters["s6f1_per_pass"] =
        benchmark::Counter(static_cast<double>(h.driver->sent.size()));
    state.counters["s6f1_bytes_per_s"] =
        benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TraceSecond)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
