// Error name look-ups both ways, against a scan of the whole table.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "errnames/error_names.h"

namespace tarnix {
namespace {

// Every name in lower case, in a shuffled order.
std::vector<std::wstring> LowerNames() {
  std::vector<std::wstring> names;
  for (const ErrorName& n : AllErrorNames()) {
    std::wstring w;
    for (const char* c = n.name; *c; ++c)
      w += static_cast<wchar_t>(*c >= 'A' && *c <= 'Z' ? *c + 32 : *c);
    names.push_back(std::move(w));
  }
  std::shuffle(names.begin(), names.end(), std::mt19937(42));
  return names;
}

void BM_FindErrorName(benchmark::State& state) {
  const auto names = LowerNames();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FindErrorName(names[i]));
    if (++i == names.size()) i = 0;
  }
}
BENCHMARK(BM_FindErrorName);

void BM_FindErrorNameByScan(benchmark::State& state) {
  const auto names = LowerNames();
  size_t i = 0;
  for (auto _ : state) {
    const std::wstring& want = names[i];
    const ErrorName* found = nullptr;
    for (const ErrorName& n : AllErrorNames()) {
      size_t k = 0;
      while (n.name[k] && k < want.size() && (n.name[k] | 0x20) == (want[k] | 0x20)) ++k;
      if (!n.name[k] && k == want.size()) {
        found = &n;
        break;
      }
    }
    benchmark::DoNotOptimize(found);
    if (++i == names.size()) i = 0;
  }
}
BENCHMARK(BM_FindErrorNameByScan);

void BM_ErrorNamesOf(benchmark::State& state) {
  std::vector<uint32_t> values;
  for (const ErrorName& n : AllErrorNames()) values.push_back(n.value);
  std::shuffle(values.begin(), values.end(), std::mt19937(7));
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ErrorNamesOf(values[i]).size());
    if (++i == values.size()) i = 0;
  }
}
BENCHMARK(BM_ErrorNamesOf);

}  // namespace
}  // namespace tarnix

BENCHMARK_MAIN();
