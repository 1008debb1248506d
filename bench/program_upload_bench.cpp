// Process program upload: reading a program file into an S7F3 body (one read straight into the
// item), and the whole exchange S7F1/S7F2/S7F3/S7F4 through a control on the tests' fake
// driver, for programs of 4 KiB, 1 MiB and 16 MiB.
//
//   build/bench/program_upload_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/file_read.h"
#include "driver/secs_transaction.h"
#include "secs/build.h"
#include "services/gem_process_program.h"
#include "support/control_harness.h"
#include "support/temp_dir.h"

namespace {

using namespace kest;

void WriteProgram(const std::filesystem::path& file, std::int64_t size) {
    std::ofstream(file, std::ios::binary) << std::string(static_cast<std::size_t>(size), 'Z');
}

void BM_ReadIntoBody(benchmark::State& state) {
    test::TempDir dir("kest-bench");
    const auto file = dir.Path() / "P.RCP";
    WriteProgram(file, state.range(0));
    for (auto _ : state) {
        SecsItem body(enmItemFormat::FormatBinary);
        ReadWholeFile(file, [&body](std::size_t size) { return body.ResizeData(size); });
        benchmark::DoNotOptimize(body.Data().data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadIntoBody)->Arg(4 << 10)->Arg(1 << 20)->Arg(16 << 20);

void BM_UploadExchange(benchmark::State& state) {
    test::ControlHarness h;
    h.Communicating();
    h.SetGemVar("ConfigSpool", 0);
    const auto dir = h.dir / "pp";
    std::filesystem::create_directories(dir);
    WriteProgram(dir / "P.RCP", state.range(0));
    auto service = h.server->GEMProcessProgram();
    const auto length = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        service->RecipeUploadToHost("P.RCP", length, dir.string());
        h.driver->InjectReply(h.driver->LastSent(), SecsMessage(7, 2, false, build::B({0})));
        h.driver->InjectReply(h.driver->LastSent(), SecsMessage(7, 4, false, build::B({0})));
        if (h.methods.size() != 1) state.SkipWithError("the upload did not complete");
        h.driver->sent.clear();
        h.methods.clear();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UploadExchange)->Arg(4 << 10)->Arg(1 << 20)->Arg(16 << 20);

}  // namespace
