// Importing a preset export of 64 error code search presets of 200
// locations each (the most presets the list holds) into a store that
// holds three: one store write for the whole set. The store lives in a
// settings folder of the benchmark's own, made in a temporary folder.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/err_code_presets.h"
#include "core/wformat.h"
#include "errcode/preset_ini.h"
#include "platform/text_encoding.h"

namespace {

using namespace tarnix;

struct Home {
  std::filesystem::path root;
  std::string file;
  Home() {
    char pattern[] = "/tmp/tarnix-import-bench-XXXXXX";
    root = mkdtemp(pattern);
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
      const std::filesystem::path dir = root / name;
      std::filesystem::create_directories(dir);
      setenv(name, dir.c_str(), 1);
    }
    std::wstring text = L"[ConfigECSPs]\nVersion=1\n";
    for (int p = 0; p < 64; ++p) {
      text += WFormat(L"[Preset%d]\nName=Preset %d\nFlags=0\n", p, p);
      for (int i = 0; i < 200; ++i) text += WFormat(L"PathItem%d=1|/some/folder/%d/%d/\n", i, p, i);
    }
    file = (root / "presets.ini").string();
    std::ofstream(file, std::ios::binary) << ToUtf8(text);
  }
  ~Home() { std::filesystem::remove_all(root); }
};

void BM_Import64PresetsOf200Locations(benchmark::State& state) {
  static Home home;
  const std::vector<ErrCodePresetRecord> old = {
      {0, L"Old1", {{1, L"/o1/"}}}, {0, L"Old2", {{2, L"/o2"}}}, {0, L"Old3", {{1, L"/o3/"}}}};
  for (auto _ : state) {
    state.PauseTiming();
    if (!ErrCodePresetStore::WriteAll(old)) state.SkipWithError("the store cannot be written");
    state.ResumeTiming();
    bool changed = false;
    if (!ImportErrorCodePresets(home.file, changed)) state.SkipWithError("the import failed");
  }
}
BENCHMARK(BM_Import64PresetsOf200Locations)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
