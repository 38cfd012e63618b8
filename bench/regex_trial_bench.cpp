// The regex tester's evaluation: 10,000 lines of symbol-like text with one
// and with three components (what one edit costs the worker), and the
// longest single line a stop can wait for: a hopeless lookahead expression
// on one 4,096-character line, which runs into the engine's work bound.
// The newest edit's answer waits at most one such line.
#include <benchmark/benchmark.h>

#include <string>

#include "tools/regex_trial.h"

namespace tarnix {
namespace {

std::wstring Lines(int count, size_t width) {
  std::wstring text;
  for (int i = 0; i < count; ++i) {
    std::wstring line = L"CreateFileW_" + std::to_wstring(i * 7919);
    while (line.size() < width) line += L"_Ex";
    text += line.substr(0, width) + L"\n";
  }
  return text;
}

void Evaluate(benchmark::State& state, const wchar_t* expression, int lines, size_t width) {
  RegexTrialRequest r;
  r.expression = expression;
  r.grammar = 1;
  r.text = Lines(lines, width);
  for (auto _ : state) {
    RegexTrialResult result = EvaluateRegexTrial(r);
    benchmark::DoNotOptimize(result.states.data());
  }
  state.counters["lines"] = lines;
}

void BM_TenThousandLines_OneComponent(benchmark::State& s) { Evaluate(s, L"^Create\\w*File", 10000, 40); }
void BM_TenThousandLines_ThreeComponents(benchmark::State& s) {
  Evaluate(s, L"Process || \\d{5}$ || ^Create\\w*File(A|W)", 10000, 40);
}
void BM_OneHopelessLine(benchmark::State& s) { Evaluate(s, L"(?=.*z)(?=.*y)(?=.*x)", 1, 4096); }

BENCHMARK(BM_TenThousandLines_OneComponent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TenThousandLines_ThreeComponents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneHopelessLine)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnix

BENCHMARK_MAIN();
