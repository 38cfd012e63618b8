// Undecoration speed on typical names: short functions, deep templates,
// data, special names.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "undname/undecorate.h"

namespace {

const std::vector<std::string>& Names() {
  static const std::vector<std::string> names = {
      "?f@@YAXXZ",
      "??0bad_alloc@std@@QAE@PBD@Z",
      "?_Doraise@bad_cast@std@@MEBAXXZ",
      "?cin@std@@3V?$basic_istream@DU?$char_traits@D@std@@@1@A",
      "??0?$basic_stringstream@DU?$char_traits@D@std@@V?$allocator@D@2@@std@@QAE@ABV?$basic_string@DU?$char_"
      "traits@D@std@@V?$allocator@D@2@@1@H@Z",
      "?do_get@?$num_get@DV?$istreambuf_iterator@DU?$char_traits@D@std@@@std@@@std@@MBE?AV?$istreambuf_"
      "iterator@DU?$char_traits@D@std@@@2@V32@0AAVios_base@2@AAHAAG@Z",
      "??_7Base@@6B@",
      "?pSW@@3P6GHKPAX0PAU_tagSTACKFRAME@@0P6GH0K0KPAK@ZP6GPAX0K@ZP6GK0K@ZP6GK00PAU_tagADDRESS@@@Z@ZA",
  };
  return names;
}

void BM_Undecorate(benchmark::State& state) {
  const auto& names = Names();
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (const auto& n : names) {
      auto r = tarnix::Undecorate(n, static_cast<uint32_t>(state.range(0)));
      bytes += n.size();
      benchmark::DoNotOptimize(r);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * names.size()));
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_Undecorate)->Arg(0)->Arg(2)->Arg(0x1000);

void BM_UndecorateLocked(benchmark::State& state) {
  const std::string name = Names()[4];
  for (auto _ : state) benchmark::DoNotOptimize(tarnix::UndecorateLocked(name, 2));
}
BENCHMARK(BM_UndecorateLocked);

}  // namespace

BENCHMARK_MAIN();
