// GEM database operations on a fresh default database: the single-row look-ups the control
// makes for every message (median target: under 5 microseconds), a value write, the two link
// lists an event report is built from, a read right after a write of its row, and one after a
// write of another row of its table. Argument
// 0 runs them in the default cache mode (data_version checked before a kept read is served),
// 1 in the control's mode (kept reads trusted until a change is noticed).
//
//   build-gemdb/bench/gemdb_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "gemdb/database_setup.h"
#include "gemdb/gemdb.h"

namespace {

// One database a cache mode for the whole run, in a directory of its own removed at exit.
class BenchDatabase {
  public:
    explicit BenchDatabase(kest::GEMDBCacheMode mode) {
        std::string pattern = "/tmp/kest-gemdb-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = pattern;
        kest::CreateGemDatabase(dir_ / "GEM.mdb", false);
        db_ = std::make_unique<kest::GEMDB>(dir_);
        db_->SetCacheMode(mode);
    }
    ~BenchDatabase() {
        db_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    kest::GEMDB& Db() { return *db_; }

  private:
    std::filesystem::path dir_;
    std::unique_ptr<kest::GEMDB> db_;
};

kest::GEMDB* current = nullptr;

// The database of the benchmark's cache mode, used by Db() until the next Use().
void Use(const benchmark::State& state) {
    static BenchDatabase checked(kest::GEMDBCacheMode::CheckEveryRead);
    static BenchDatabase noticed(kest::GEMDBCacheMode::UntilNoticed);
    current = state.range(0) == 0 ? &checked.Db() : &noticed.Db();
}

kest::GEMDB& Db() {
    return *current;
}

void Check(benchmark::State& state, bool ok) {
    if (!ok) state.SkipWithError(Db().LastError().text.c_str());
}

void BM_VariableGetRecordByName(benchmark::State& state) {
    Use(state);
    const kest::Variant key("ControlState");
    for (auto _ : state) {
        auto record = Db().VariableGetRecord(key, true);
        benchmark::DoNotOptimize(record);
    }
    Check(state, Db().VariableGetRecord(key, true).has_value());
}
BENCHMARK(BM_VariableGetRecordByName)->Arg(0)->Arg(1);

void BM_VariableGetRecordById(benchmark::State& state) {
    Use(state);
    const kest::Variant key(7);
    for (auto _ : state) {
        auto record = Db().VariableGetRecord(key, true);
        benchmark::DoNotOptimize(record);
    }
    Check(state, Db().VariableGetRecord(key, true).has_value());
}
BENCHMARK(BM_VariableGetRecordById)->Arg(0)->Arg(1);

void BM_VariableGetField(benchmark::State& state) {
    Use(state);
    const kest::Variant key("CommState");
    for (auto _ : state) {
        auto value = Db().VariableGetField(key, kest::FLDID_VARIABLE::VAR_VAL, true);
        benchmark::DoNotOptimize(value);
    }
    Check(state, Db().LastError().number == 0);
}
BENCHMARK(BM_VariableGetField)->Arg(0)->Arg(1);

void BM_VariableGetFieldById(benchmark::State& state) {
    Use(state);
    const kest::Variant key(7);
    for (auto _ : state) {
        auto value = Db().VariableGetField(key, kest::FLDID_VARIABLE::VAR_VAL, true);
        benchmark::DoNotOptimize(value);
    }
    Check(state, Db().LastError().number == 0);
}
BENCHMARK(BM_VariableGetFieldById)->Arg(0)->Arg(1);

// The spooler's look-up of the primary message's stream/function row.
void BM_SFGetRecord(benchmark::State& state) {
    Use(state);
    for (auto _ : state) {
        auto row = Db().SFGetRecord(1, 3);
        benchmark::DoNotOptimize(row);
    }
    Check(state, Db().SFGetRecord(1, 3).has_value());
}
BENCHMARK(BM_SFGetRecord)->Arg(0)->Arg(1);

void BM_SettingGetField(benchmark::State& state) {
    Use(state);
    for (auto _ : state) {
        auto value = Db().SettingGetField("PortOpened", kest::FLDID_SETTING::SET_VALUE);
        benchmark::DoNotOptimize(value);
    }
    Check(state, Db().LastError().number == 0);
}
BENCHMARK(BM_SettingGetField)->Arg(0)->Arg(1);

// A committed write: one WAL append, no fsync (synchronous=NORMAL).
void BM_VariableSetField(benchmark::State& state) {
    Use(state);
    const kest::Variant key("SpoolCountTotal");
    std::int64_t n = 0;
    for (auto _ : state) {
        bool ok = Db().VariableSetField(key, kest::FLDID_VARIABLE::VAR_VAL, ++n, true);
        benchmark::DoNotOptimize(ok);
    }
    Check(state, Db().LastError().number == 0);
}
BENCHMARK(BM_VariableSetField)->Arg(0)->Arg(1);

// A write, then a read of the row it wrote: the read cannot come from memory.
void BM_SetThenGetField(benchmark::State& state) {
    Use(state);
    const kest::Variant key("SpoolCountActual");
    std::int64_t n = 0;
    for (auto _ : state) {
        Db().VariableSetField(key, kest::FLDID_VARIABLE::VAR_VAL, ++n, true);
        auto value = Db().VariableGetField(key, kest::FLDID_VARIABLE::VAR_VAL, true);
        benchmark::DoNotOptimize(value);
    }
    Check(state, Db().LastError().number == 0);
}
BENCHMARK(BM_SetThenGetField)->Arg(0)->Arg(1);

// The control's pattern on every event report: a write of one variable, then a read of
// another, whose kept read the write should leave alone (control's mode only).
void BM_SetOneGetAnother(benchmark::State& state) {
    Use(state);
    const kest::Variant written("PreviousCEID");
    const kest::Variant read("ControlState");
    std::int64_t n = 0;
    for (auto _ : state) {
        Db().VariableSetField(written, kest::FLDID_VARIABLE::VAR_VAL, ++n, true);
        auto value = Db().VariableGetField(read, kest::FLDID_VARIABLE::VAR_VAL, true);
        benchmark::DoNotOptimize(value);
    }
    Check(state, Db().LastError().number == 0);
}
BENCHMARK(BM_SetOneGetAnother)->Arg(1);

void BM_EvtRptGetReportList(benchmark::State& state) {
    Use(state);
    for (auto _ : state) {
        auto reports = Db().EvtRptGetReportList(1);
        benchmark::DoNotOptimize(reports);
    }
    Check(state, !Db().EvtRptGetReportList(1).empty());
}
BENCHMARK(BM_EvtRptGetReportList)->Arg(0)->Arg(1);

void BM_EvtRptGetVarList(benchmark::State& state) {
    Use(state);
    for (auto _ : state) {
        auto variables = Db().EvtRptGetVarList(4);
        benchmark::DoNotOptimize(variables);
    }
    Check(state, Db().EvtRptGetVarList(4).size() == 5);
}
BENCHMARK(BM_EvtRptGetVarList)->Arg(0)->Arg(1);

}  // namespace
