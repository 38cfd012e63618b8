// Sorting a million results by numeric and text columns, in a list laid
// out as a search fills it: each image's results together, names and
// modules repeating across images.
#include <benchmark/benchmark.h>

#include <random>

#include "results/result_column.h"
#include "results/result_sort.h"
#include "results/results_model.h"

namespace tarnix {
namespace {

const ResultBatch& MillionResults() {
  static const ResultBatch batch = [] {
    std::mt19937 rng(42);
    static const wchar_t* kModules[] = {L"KERNEL32.dll", L"USER32.dll", L"ntdll.dll",
                                        L"msvcrt.dll",   L"ADVAPI32.dll", L"gdi32.dll"};
    ResultBatch b;
    for (uint32_t image = 0; b.size() < 1000000; ++image) {
      const std::wstring path = L"/mnt/c/Windows/System32/module" + std::to_wstring(rng() % 5000) + L".dll";
      ImageProperties p;
      p.timeStamp = rng();
      for (uint32_t n = rng() % 400; n > 0; --n)
        b.Add(image, path, p, 1 + rng() % 13, L"Function" + std::to_wstring(rng() % 200000) + L"W",
              kModules[rng() % 6], rng() % 3000, -1);
    }
    return b;
  }();
  return batch;
}

void BM_SortMillion(benchmark::State& state) {
  const int32_t column = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    ResultsModel rows;
    rows.Append(MillionResults());
    state.ResumeTiming();
    SortResults(rows, column, true);
    benchmark::DoNotOptimize(rows.row(0));
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
