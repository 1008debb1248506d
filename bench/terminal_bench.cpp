// Terminal messages on a control with a fake driver and a fresh default database: the host's
// S10F5 of 1,000 lines of 80 characters (acknowledged, stamped, stored, announced), and one
// equipment terminal request S10F1 sent and answered by the host.
//
//   build/bench/terminal_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "secs/build.h"
#include "services/gem_terminal.h"
#include "settings/secs_protocol.h"
#include "support/control_harness.h"

namespace {

using namespace kest::build;
using kest::SecsItem;
using kest::SecsMessage;
using kest::test::ControlHarness;

void BM_MultiBlockDisplay(benchmark::State& state) {
    ControlHarness h;
    h.Communicating();
    SecsItem lines;
    for (int i = 0; i < 1000; ++i)
        lines.AddItem(A(std::string(80, 'x')));
    const SecsMessage display(10, 5, true, L(B({0}), std::move(lines)));
    const std::int32_t device = h.server->SECSProtocol()->DeviceID();
    for (auto _ : state) {
        h.driver->replies.clear();
        h.events.clear();
        h.driver->InjectPrimary(display, device);
        if (h.driver->replies.size() != 1 || h.events.size() != 1) {
            state.SkipWithError("not acknowledged and announced");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_MultiBlockDisplay)->Unit(benchmark::kMicrosecond);

void BM_TerminalRequest(benchmark::State& state) {
    ControlHarness h;
    h.Communicating();
    const SecsMessage ack(10, 2, false, B({0}));
    for (auto _ : state) {
        h.driver->sent.clear();
        h.methods.clear();
        if (!h.server->GEMTerminal()->TerminalRequest(0, "Lot 7 done") || h.driver->sent.empty()) {
            state.SkipWithError("no terminal request sent");
            break;
        }
        h.driver->InjectReply(h.driver->sent.back(), ack);
        if (h.methods.size() != 1) {
            state.SkipWithError("no acknowledge reported");
            break;
        }
    }
}
BENCHMARK(BM_TerminalRequest)->Unit(benchmark::kMicrosecond);

}  // namespace
