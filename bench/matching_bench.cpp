// Cost of matching one symbol through the symbol matcher, as the image
// reader drives it: a plain pattern (case-sensitive and not), a regular
// expression, and a decorated C++ name matched through its undecorated
// text (the program's undecorator, under its lock). "allocs/symbol" counts heap allocations per matched symbol; the
// plain and regex paths must stay at 0. The LongName cases match one
// hostile name of N characters (names are cut at 65,536): the regular
// expression (A|B)*C against "AAA...A", which took 0.3 s per 4,096-character
// name with a backtracking matcher, and plain patterns that made the old
// wildcard matcher retry a long part at every start.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "pe/look_in.h"
#include "symbolsearch/regex_grammar.h"
#include "symbolsearch/symbol_matcher.h"

namespace {
std::atomic<uint64_t> g_allocations{0};
}  // namespace

// GCC pairs the replaced operators with malloc/free at inlined call sites
// and warns about a mismatch that is not there.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace tarnix {
namespace {

class NullSink : public ResultSink, public StatusOutput, public SearchProgress {
 public:
  Delivery Deliver(ResultKind, std::wstring_view, std::wstring_view, uint32_t, int32_t,
                   const ImageProperties&) override {
    ++delivered;
    return Delivery::kDelivered;
  }
  void Status(const std::wstring&) override {}
  void Warning(const std::wstring&) override {}
  void BeginImage(uint64_t) override {}
  void SymbolsVisited(uint64_t n) override { visited += n; }
  bool CheckStop() override { return false; }
  uint64_t delivered = 0, visited = 0;
};

// Names shaped like the exports of a system DLL.
std::vector<std::string> PlainNames() {
  static const char* verbs[] = {"Create", "Open", "Get", "Set", "Query", "Reg", "Nt", "Rtl",
                                "Close", "Enum", "Find", "Read", "Write", "Delete"};
  static const char* nouns[] = {"File", "Process", "Thread", "KeyEx", "Value", "Event",
                                "Mutex", "Section", "Window", "ModuleHandle", "ProcAddress",
                                "Information", "Token", "Pipe"};
  static const char* ends[] = {"W", "A", "", "Ex", "2W"};
  std::vector<std::string> names;
  for (const char* v : verbs)
    for (const char* n : nouns)
      for (const char* e : ends) names.push_back(std::string(v) + n + e);
  return names;
}

std::vector<std::string> DecoratedNames() {
  std::vector<std::string> names;
  for (const auto& n : PlainNames()) names.push_back("?" + n + "@CFoo@@QEAAHPEBG@Z");
  return names;
}

void RunMatcher(benchmark::State& state, const std::wstring& pattern, bool regex,
                bool caseSensitive, uint32_t lookIn, const std::vector<std::string>& names) {
  SearchString search;
  RegexCompileError error;
  if (!search.Prepare({pattern, regex, caseSensitive}, kGrammarECMAScript, true, error)) {
    state.SkipWithError("pattern does not compile");
    return;
  }
  NullSink sink;
  SymbolMatcher matcher(search, {lookIn, true, 2}, sink, sink, sink);
  matcher.SetCurrentFile(L"/mnt/c/Windows/System32/kernel32.dll");
  const ImageProperties props{0, 0x5F000000, kImageType64};
  // One pass to size the scratch strings, as the first symbols of a search do.
  for (const auto& n : names) matcher.MatchNamed(props, kKindExport, n, "KERNEL32.dll", 1, 0);
  sink.delivered = 0;

  const uint64_t before = g_allocations.load();
  uint64_t symbols = 0;
  for (auto _ : state) {
    for (const auto& n : names)
      benchmark::DoNotOptimize(matcher.MatchNamed(props, kKindExport, n, "KERNEL32.dll", 1, 0));
    symbols += names.size();
  }
  const uint64_t allocations = g_allocations.load() - before;
  state.SetItemsProcessed(static_cast<int64_t>(symbols));
  state.counters["allocs/symbol"] =
      benchmark::Counter(symbols ? static_cast<double>(allocations) / symbols : 0);
  state.counters["ns/symbol"] = benchmark::Counter(
      static_cast<double>(symbols), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["matches"] = static_cast<double>(sink.delivered) / state.iterations();
}

void BM_PlainPattern(benchmark::State& state) {
  RunMatcher(state, L"CreateFile*W", false, true, 0, PlainNames());
}
void BM_PlainPatternIgnoreCase(benchmark::State& state) {
  RunMatcher(state, L"createfile*w", false, false, 0, PlainNames());
}
void BM_Regex(benchmark::State& state) {
  RunMatcher(state, L"^create.*file.*w$", true, false, 0, PlainNames());
}
void BM_UndecoratedCppName(benchmark::State& state) {
  RunMatcher(state, L"CFoo::Create*File", false, false, kLookInCppOnly, DecoratedNames());
}

void BM_RegexAltStarLongName(benchmark::State& state) {
  RunMatcher(state, L"(A|B)*C", true, true, 0,
             {std::string(static_cast<size_t>(state.range(0)), 'A')});
}
void BM_PlainStarsLongName(benchmark::State& state) {
  RunMatcher(state, L"*A*A*A*B", false, true, 0,
             {std::string(static_cast<size_t>(state.range(0)), 'A')});
}
void BM_PlainLongPartLongName(benchmark::State& state) {
  RunMatcher(state, std::wstring(1023, L'A') + L"B", false, false, 0,
             {std::string(static_cast<size_t>(state.range(0)), 'A')});
}

BENCHMARK(BM_RegexAltStarLongName)->Arg(4096)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainStarsLongName)->Arg(4096)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainLongPartLongName)->Arg(4096)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainPattern);
BENCHMARK(BM_PlainPatternIgnoreCase);
BENCHMARK(BM_Regex);
BENCHMARK(BM_UndecoratedCppName);

}  // namespace
}  // namespace tarnix

BENCHMARK_MAIN();
