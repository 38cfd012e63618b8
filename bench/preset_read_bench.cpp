// What reading a preset file of the largest size accepted (16 MiB) makes
// the reader hold, for files written to cost the most: every allocation
// of the process is counted (operator new), and each case reports the
// peak of the bytes held while PresetFile::Read ran, and that peak over
// the file's size.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "core/preset_file.h"

namespace {

std::atomic<int64_t> g_held{0}, g_peak{0};

void Count(int64_t bytes) {
  const int64_t now = g_held.fetch_add(bytes) + bytes;
  for (int64_t peak = g_peak.load(); now > peak && !g_peak.compare_exchange_weak(peak, now);) {
  }
}

}  // namespace

// Every block carries its size in front of it, so that delete can count it.
void* operator new(size_t size) {
  void* p = std::malloc(size + 16);
  if (!p) throw std::bad_alloc();
  *static_cast<size_t*>(p) = size;
  Count(static_cast<int64_t>(size));
  return static_cast<char*>(p) + 16;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  char* block = static_cast<char*>(p) - 16;
  Count(-static_cast<int64_t>(*reinterpret_cast<size_t*>(block)));
  std::free(block);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void* operator new[](size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }

namespace tarnix {
namespace {

constexpr size_t kSize = kMaxPresetFileSize;

// Lines repeated up to the size limit, after an optional start.
std::string Filled(std::string start, const std::string& line) {
  while (start.size() + line.size() <= kSize) start += line;
  return start;
}

std::string Utf16Le(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

void ReadPeak(benchmark::State& state, const std::string& bytes) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("preset_read_bench_" + std::to_string(getpid()) + ".ini");
  std::ofstream(path, std::ios::binary) << bytes;
  int64_t peak = 0;
  bool read = false;
  for (auto _ : state) {
    PresetFile file(path.string(), L"");
    std::vector<PresetSection> sections;
    const int64_t before = g_held.load();
    g_peak = before;
    read = file.Read(sections, 1000) == 0;
    peak = g_peak.load() - before;
  }
  std::filesystem::remove(path);
  state.counters["peak_MB"] = static_cast<double>(peak) / (1 << 20);
  state.counters["peak_per_file_byte"] = static_cast<double>(peak) / static_cast<double>(bytes.size());
  state.counters["accepted"] = read;
}

void BM_PairLines(benchmark::State& state) { ReadPeak(state, Filled("[a]\n", "a=\n")); }
void BM_Sections(benchmark::State& state) { ReadPeak(state, Filled("", "[a]\n")); }
void BM_OneLongLine(benchmark::State& state) { ReadPeak(state, Filled("[s]\nk=", "v")); }
void BM_LongestValues(benchmark::State& state) {
  ReadPeak(state, Filled("[s]\n", "k=" + std::string(PresetFile::kMaxValueLength, 'v') + "\n"));
}
void BM_LongestValuesUtf16(benchmark::State& state) {
  const std::string line = "k=" + std::string(PresetFile::kMaxValueLength, 'v') + "\n";
  std::string text = "[s]\n";
  while (2 * (text.size() + line.size()) + 2 <= kSize) text += line;
  ReadPeak(state, Utf16Le(text));
}
void BM_MostPairs(benchmark::State& state) {
  // As many pairs as a file may hold, each value as long as fits.
  const size_t valueLength = kSize / PresetFile::kMaxPairs - 16;
  std::string text;
  for (size_t i = 0; i < PresetFile::kMaxPairs; ++i) {
    if (i % 1024 == 0) text += "[Preset" + std::to_string(i / 1024) + "]\n";
    text += "PathItem" + std::to_string(i % 1024) + "=" + std::string(valueLength, 'p') + "\n";
  }
  ReadPeak(state, text);
}

BENCHMARK(BM_PairLines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Sections)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OneLongLine)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LongestValues)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LongestValuesUtf16)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MostPairs)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tarnix

BENCHMARK_MAIN();
