// Codec speed against the physical limit: a 1 MiB B item against memcpy of the same bytes, and a
// list of 10,000 U4 items in single values a second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "secs/build.h"
#include "secs/codec.h"

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

kest::SecsItem BigBinary() {
    kest::SecsItem item(kest::enmItemFormat::FormatBinary);
    std::vector<std::uint8_t> bytes(kMiB);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    item.SetData(bytes);
    return item;
}

kest::SecsItem U4List(std::size_t n) {
    kest::SecsItem list;
    list.ReserveChildren(n);
    for (std::size_t i = 0; i < n; ++i)
        list.AddItem(kest::build::U4(i));
    return list;
}

void BM_Memcpy1MiB(benchmark::State& state) {
    std::vector<std::uint8_t> src(kMiB + 4, 1);
    std::vector<std::uint8_t> dst;
    for (auto _ : state) {
        dst.clear();
        dst.insert(dst.end(), src.begin(), src.end());  // same shape of work as the codec: a
        benchmark::DoNotOptimize(dst.data());           // fresh buffer filled from the source
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * src.size()));
}

void BM_EncodeBinary1MiB(benchmark::State& state) {
    kest::SecsItem item = BigBinary();
    std::vector<std::uint8_t> out;
    for (auto _ : state) {
        out.clear();
        kest::EncodeItem(item, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kMiB));
}

void BM_DecodeBinary1MiB(benchmark::State& state) {
    auto bytes = kest::EncodeItem(BigBinary());
    for (auto _ : state) {
        kest::SecsItem item = kest::DecodeItem(bytes);
        benchmark::DoNotOptimize(item.Data().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kMiB));
}

void BM_EncodeU4List(benchmark::State& state) {
    kest::SecsItem list = U4List(static_cast<std::size_t>(state.range(0)));
    std::vector<std::uint8_t> out;
    for (auto _ : state) {
        out.clear();
        kest::EncodeItem(list, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_DecodeU4List(benchmark::State& state) {
    auto bytes = kest::EncodeItem(U4List(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        kest::SecsItem list = kest::DecodeItem(bytes);
        benchmark::DoNotOptimize(&list);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_BuildU4List(benchmark::State& state) {
    for (auto _ : state) {
        kest::SecsItem list = U4List(static_cast<std::size_t>(state.range(0)));
        benchmark::DoNotOptimize(&list);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_Memcpy1MiB);
BENCHMARK(BM_EncodeBinary1MiB);
BENCHMARK(BM_DecodeBinary1MiB);
BENCHMARK(BM_EncodeU4List)->Arg(10000);
BENCHMARK(BM_DecodeU4List)->Arg(10000);
BENCHMARK(BM_BuildU4List)->Arg(10000);
