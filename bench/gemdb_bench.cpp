// GEM database operations on a fresh default database: the single-row look-ups the control
// makes for every message (median target: under 5 microseconds), a value write, and the two
// link lists an event report is built from.
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

// One database for the whole run, in a directory of its own that is removed at exit.
class BenchDatabase {
  public:
    BenchDatabase() {
        std::string pattern = "/tmp/kest-gemdb-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = pattern;
        kest::CreateGemDatabase(dir_ / "GEM.mdb", false);
        db_ = std::make_unique<kest::GEMDB>(dir_);
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

kest::GEMDB& Db() {
    static BenchDatabase database;
    return database.Db();
}

void Check(benchmark::State& state, bool ok) {
    if (!ok) state.SkipWithError(Db().LastError().text.c_str());
}

void BM_VariableGetRecordByName(benchmark::State& state) {
    const kest::Variant key("ControlState");
    for (auto _ : state) {
        auto record = Db().VariableGetRecord(key, true);
        benchmark::DoNotOptimize(record);
    }
    Check(state, Db().VariableGetRecord(key, true).has_value());
}
BENCHMARK(BM_VariableGetRecordByName);

void BM_VariableGetRecordById(benchmark::State& state) {
    const kest::Variant key(7);
    for (auto _ : state) {
        auto record = Db().VariableGetRecord(key, true);
        benchmark::DoNotOptimize(record);
    }
    Check(state, Db().VariableGetRecord(key, true).has_value());
}
BENCHMARK(BM_VariableGetRecordById);

void BM_VariableGetField(benchmark::State& state) {
    const kest::Variant key("CommState");
    for (auto _ : state) {
        auto value = Db().VariableGetField(key, kest::FLDID_VARIABLE::VAR_VAL, true);
        benchmark::DoNotOptimize(value);
    }
    Check(state, Db().LastError().number == 0);
}
BENCHMARK(BM_VariableGetField);

void BM_SettingGetField(benchmark::State& state) {
    for (auto _ : state) {
        auto value = Db().SettingGetField("PortOpened", kest::FLDID_SETTING::SET_VALUE);
        benchmark::DoNotOptimize(value);
    }
    Check(state, Db().LastError().number == 0);
}
BENCHMARK(BM_SettingGetField);

// A committed write: one WAL append, no fsync (synchronous=NORMAL).
void BM_VariableSetField(benchmark::State& state) {
    const kest::Variant key("SpoolCountTotal");
    std::int64_t n = 0;
    for (auto _ : state) {
        bool ok = Db().VariableSetField(key, kest::FLDID_VARIABLE::VAR_VAL, ++n, true);
        benchmark::DoNotOptimize(ok);
    }
    Check(state, Db().LastError().number == 0);
}
BENCHMARK(BM_VariableSetField);

void BM_EvtRptGetReportList(benchmark::State& state) {
    for (auto _ : state) {
        auto reports = Db().EvtRptGetReportList(1);
        benchmark::DoNotOptimize(reports);
    }
    Check(state, !Db().EvtRptGetReportList(1).empty());
}
BENCHMARK(BM_EvtRptGetReportList);

void BM_EvtRptGetVarList(benchmark::State& state) {
    for (auto _ : state) {
        auto variables = Db().EvtRptGetVarList(4);
        benchmark::DoNotOptimize(variables);
    }
    Check(state, Db().EvtRptGetVarList(4).size() == 5);
}
BENCHMARK(BM_EvtRptGetVarList);

}  // namespace
