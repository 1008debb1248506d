// Wafer maps of 100,000 dies on a control with a fake driver and a fresh default database: the
// equipment's S12F11 built from "secs_S12data_EquipToHost", sent and encoded; the host's S12F18
// stored into "secs_S12data_HostToEquip". Target: each in under 1 s.
//
//   build/bench/map_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "secs/codec.h"
#include "services/gem_map.h"
#include "support/control_harness.h"

namespace {

using namespace kest::build;
using kest::SecsItem;
using kest::test::ControlHarness;

constexpr int kDies = 100'000;

// `count` numbered XYPOS and BINLT rows and the count row in `table`.
void FillDies(ControlHarness& h, const std::string& table, bool with_count) {
    const std::string dies = std::to_string(kDies);
    h.Sql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + dies +
          ") INSERT INTO " + table +
          " SELECT 'XYPOS', i, 'I2', (i % 316) || ',' || (i / 316) FROM n UNION ALL "
          "SELECT 'BINLT', i, 'A', '1' FROM n");
    if (with_count) {
        h.Sql("INSERT INTO " + table + " VALUES ('S12F11_Count', 'NotUsed', 'U4', '" + dies +
              "'), ('MID', 'NotUsed', 'A', 'W1'), ('IDTYP', 'NotUsed', 'B', '0')");
    }
    h.Db().NoticeExternalChange();
}

void BM_SendMapType3(benchmark::State& state) {
    auto h = std::make_unique<ControlHarness>();
    h->Communicating();
    FillDies(*h, "secs_S12data_EquipToHost", true);
    auto map = h->server->GEMMap();
    for (auto _ : state) {
        h->driver->sent.clear();
        map->MapSetupDataSend("11");
        if (h->driver->sent.size() != 1 ||
            h->driver->sent[0]->Primary().Item(1).Item(3).Count() != kDies) {
            state.SkipWithError("S12F11 not sent with every die");
            break;
        }
        benchmark::DoNotOptimize(kest::EncodeBody(h->driver->sent[0]->Primary()));
        state.PauseTiming();
        h->Tick(h->core->GEMTimeout());  // the transaction ends; the next starts clean
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kDies);
}
BENCHMARK(BM_SendMapType3)->Unit(benchmark::kMillisecond);

void BM_StoreMapType3(benchmark::State& state) {
    auto h = std::make_unique<ControlHarness>();
    h->Communicating();
    FillDies(*h, "secs_S12data_HostToEquip", false);
    SecsItem dies;
    dies.ReserveChildren(kDies);
    for (int i = 0; i < kDies; ++i)
        dies.AddItem(L(I2(i % 316, i / 316), A("2")));
    const kest::SecsMessage reply(12, 18, false, L(A("W1"), B({0}), std::move(dies)));
    for (auto _ : state) {
        state.PauseTiming();
        auto trans = h->driver->CreateTransaction("S12F17");
        state.ResumeTiming();
        h->driver->InjectReply(trans, reply);
    }
    if (h->Rows("SELECT attribute_value FROM secs_S12data_HostToEquip WHERE attribute_name = "
                "'S12F18_ChildCount'") != std::vector<std::string>{std::to_string(kDies)}) {
        state.SkipWithError("S12F18 not stored");
    }
    state.SetItemsProcessed(state.iterations() * kDies);
}
BENCHMARK(BM_StoreMapType3)->Unit(benchmark::kMillisecond);

}  // namespace
