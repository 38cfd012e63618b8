// Sorting a million results by a numeric and by a text column.
#include <benchmark/benchmark.h>

#include <random>

#include "results/result_column.h"
#include "results/result_sort.h"

namespace tarnix {
namespace {

std::vector<ResultEntry> MakeResults(size_t n) {
  std::mt19937 rng(42);
  static const wchar_t* kModules[] = {L"KERNEL32.dll", L"USER32.dll", L"ntdll.dll",
                                      L"msvcrt.dll",   L"ADVAPI32.dll", L"gdi32.dll"};
  std::vector<ResultEntry> out(n);
  for (size_t i = 0; i < n; ++i) {
    auto& r = out[i].result;
    r.file = L"/mnt/c/Windows/System32/module" + std::to_wstring(rng() % 5000) + L".dll";
    r.name = L"Function" + std::to_wstring(rng() % 200000) + L"W";
    r.module = kModules[rng() % 6];
    r.kind = 1 + rng() % 13;
    r.ordinal = rng() % 3000;
    r.properties.timeStamp = rng();
    out[i].id = i + 1;
  }
  return out;
}

void BM_SortMillion(benchmark::State& state) {
  const auto base = MakeResults(1000000);
  const int32_t column = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto rows = base;
    state.ResumeTiming();
    SortResults(rows, column, true);
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_SortMillion)
    ->Arg(kColBuildTime)
    ->Arg(kColOrdinal)
    ->Arg(kColFunctionName)
    ->Arg(kColModule)
    ->Arg(kColImageName)
    ->Arg(kColFolder)
    ->Arg(kColMatchedIn)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
}  // namespace tarnix

BENCHMARK_MAIN();
