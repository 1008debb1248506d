// The host's report set-up on a control with a fake driver and a fresh default database: S2F33
// defining 1,000 reports of 10 variables in one message, S2F35 linking each to an event of its
// own, and S6F11 event reports of an event with 10 reports of 10 variables (sent and answered).
// Target: each S2F33 and S2F35 answered in under 0.5 s.
//
//   build/bench/host_reports_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "settings/secs_protocol.h"
#include "support/control_harness.h"

namespace {

using namespace kest::build;
using kest::SecsItem;
using kest::SecsMessage;
using kest::test::ControlHarness;

constexpr std::uint32_t kReports = 1000;
constexpr std::uint32_t kVariables = 10;
constexpr std::uint32_t kFirstVid = 1001;
constexpr std::uint32_t kFirstRptid = 5001;
constexpr std::uint32_t kFirstCeid = 20001;

// A communicating control with `kVariables` user variables and `kReports` user events.
std::unique_ptr<ControlHarness> MakeControl() {
    auto h = std::make_unique<ControlHarness>();
    h->Communicating();
    for (std::uint32_t k = 0; k < kVariables; ++k) {
        kest::KestRecVariable v;
        v.SetID(static_cast<std::int32_t>(kFirstVid + k));
        v.SetName("V" + std::to_string(k));
        v.SetVarFormat(static_cast<int>(kest::enmItemFormat::FormatU4));
        v.SetValue(std::to_string(k));
        h->Db().VariableAddRecord(v);
    }
    h->Sql("WITH RECURSIVE n(i) AS (SELECT " + std::to_string(kFirstCeid) +
           " UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kFirstCeid + kReports - 1) +
           ") INSERT INTO secs_cusevent (evt_id, evt_name, evt_enable) SELECT i, 'E' || i, 1 "
           "FROM n");
    h->Db().NoticeExternalChange();
    return h;
}

// S2F33 defining `reports` reports of every variable.
SecsMessage DefineReports(std::uint32_t reports) {
    SecsItem entries;
    for (std::uint32_t r = 0; r < reports; ++r) {
        SecsItem vids;
        for (std::uint32_t k = 0; k < kVariables; ++k)
            vids.AddItem(U4(kFirstVid + k));
        entries.AddItem(L(U4(kFirstRptid + r), std::move(vids)));
    }
    return SecsMessage(2, 33, true, L(U4(1), std::move(entries)));
}

// S2F35 linking report k to event k, or unlinking every event when `link` is false.
SecsMessage LinkReports(bool link) {
    SecsItem entries;
    for (std::uint32_t k = 0; k < kReports; ++k)
        entries.AddItem(L(U4(kFirstCeid + k), link ? L(U4(kFirstRptid + k)) : L()));
    return SecsMessage(2, 35, true, L(U4(1), std::move(entries)));
}

// Sends `primary` and checks that its one-byte acknowledge is 0.
void Send(benchmark::State& state, ControlHarness& h, SecsMessage primary) {
    h.driver->replies.clear();
    h.driver->InjectPrimary(std::move(primary), h.server->SECSProtocol()->DeviceID());
    if (h.driver->replies.size() != 1 || h.driver->replies[0].Item(1).Value().ToInt64() != 0) {
        state.SkipWithError("not acknowledged with 0");
    }
}

void BM_DefineReports(benchmark::State& state) {
    auto h = MakeControl();
    const SecsMessage define = DefineReports(kReports);
    const SecsMessage delete_all(2, 33, true, L(U4(1), L()));
    for (auto _ : state) {
        state.PauseTiming();
        Send(state, *h, delete_all);
        SecsMessage primary = define;
        state.ResumeTiming();
        Send(state, *h, std::move(primary));
    }
    state.SetItemsProcessed(state.iterations() * kReports);
}
BENCHMARK(BM_DefineReports)->Unit(benchmark::kMillisecond);

void BM_LinkReports(benchmark::State& state) {
    auto h = MakeControl();
    Send(state, *h, DefineReports(kReports));
    const SecsMessage link = LinkReports(true);
    const SecsMessage unlink = LinkReports(false);
    for (auto _ : state) {
        state.PauseTiming();
        Send(state, *h, unlink);
        SecsMessage primary = link;
        state.ResumeTiming();
        Send(state, *h, std::move(primary));
    }
    state.SetItemsProcessed(state.iterations() * kReports);
}
BENCHMARK(BM_LinkReports)->Unit(benchmark::kMillisecond);

// Whether S6F11 {DATAID, CEID, L {L {RPTID, L {V}}}} carries `count` reports of `count` values.
bool HasReports(const SecsMessage& report, std::size_t count) {
    if (report.BodyCount() != 1 || report.Item(1).Count() != 3) return false;
    const SecsItem& reports = report.Item(1).Item(3);
    if (!reports.IsList() || reports.Count() != count) return false;
    for (const SecsItem& entry : reports) {
        if (!entry.IsList() || entry.Count() != 2 || entry.Item(2).Count() != count) return false;
    }
    return true;
}

// One event report of 10 reports of 10 variables, sent and answered by the host.
void BM_EventReport(benchmark::State& state) {
    auto h = MakeControl();
    Send(state, *h, DefineReports(10));
    SecsItem rptids;
    for (std::uint32_t r = 0; r < 10; ++r)
        rptids.AddItem(U4(kFirstRptid + r));
    Send(state, *h, SecsMessage(2, 35, true, L(U4(1), L(L(U4(kFirstCeid), std::move(rptids))))));
    const std::string name = "E" + std::to_string(kFirstCeid);
    // Once untimed: the report must carry 10 reports of 10 values.
    h->core->ReportEvent(name);
    if (h->driver->sent.empty() || !HasReports(h->driver->sent.back()->Primary(), 10)) {
        state.SkipWithError("the event report does not carry 10 reports of 10 values");
    }
    h->driver->sent.clear();
    for (auto _ : state) {
        if (!h->core->ReportEvent(name) || h->driver->sent.empty()) {
            state.SkipWithError("no event report sent");
            break;
        }
        h->driver->InjectReply(h->driver->sent.back(), SecsMessage(6, 12, false, B({0})));
        h->driver->sent.clear();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EventReport);

}  // namespace
