// The image reader alone: a large synthetic image read from memory, and,
// when TARNIX_CORPUS names a corpus laid out by shared/bench/corpus.sh,
// every image of it read from disk. The sink only counts, so the numbers
// are the reader's own cost.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "pe/image_reader.h"
#include "support/pe_builder.h"

namespace {

using namespace tarnix;

class CountingSink final : public SymbolSink {
 public:
  uint64_t symbols = 0;
  void AttachImage(ImageFacts&) override {}
  void BeginImage(uint64_t) override {}
  void SkipSymbols(uint64_t) override {}
  int MatchNamed(const ImageProperties&, ResultKind, std::string_view name, std::string_view,
                 uint32_t, int32_t) override {
    symbols += !name.empty();
    return 0;
  }
  int MatchOrdinal(const ImageProperties&, uint64_t, ResultKind, std::string_view,
                   int32_t) override {
    ++symbols;
    return 0;
  }
  int MatchModule(const ImageProperties&, ResultKind, std::string_view) override { return 0; }
  bool DeliverImage(const ImageProperties&) override { return true; }
  void Status(const std::wstring&) override {}
};

std::string LargeImage() {
  test::PeBuilder b(test::PeBuilder::Kind::kPe64);
  std::vector<test::ImportSymbol> imports;
  for (int i = 0; i < 3000; ++i)
    imports.push_back(test::ImportSymbol::Named("ImportedFunction" + std::to_string(i), 0));
  b.Import({"KERNEL32.dll", imports});
  test::ExportTable exports{"big.dll", 1, {}};
  for (uint32_t i = 1; i <= 3000; ++i)
    exports.symbols.push_back({i, "ExportedFunction" + std::to_string(i), ""});
  b.Exports(exports);
  return b.Build().bytes;
}

void BM_ReadLargeImageFromMemory(benchmark::State& state) {
  std::string image = LargeImage();
  ImageReader reader;
  CountingSink sink;
  for (auto _ : state) {
    uint32_t location = 0;
    reader.ReadMemory(reinterpret_cast<const uint8_t*>(image.data()), image.size(), "big.dll",
                      {}, sink, nullptr, location);
  }
  state.counters["symbols/s"] =
      benchmark::Counter(static_cast<double>(sink.symbols), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadLargeImageFromMemory);

void BM_ReadCorpus(benchmark::State& state) {
  const char* corpus = std::getenv("TARNIX_CORPUS");
  std::vector<std::string> files;
  if (corpus) {
    std::ifstream list(std::string(corpus) + "/files.txt");
    for (std::string line; std::getline(list, line);) files.push_back(line);
  }
  if (files.empty()) {
    state.SkipWithError("set TARNIX_CORPUS to a corpus laid out by corpus.sh");
    return;
  }
  ImageReader reader;
  CountingSink sink;
  for (auto _ : state) {
    for (const std::string& f : files) {
      uint32_t location = 0;
      reader.ReadFile(f, {}, sink, nullptr, location);
    }
  }
  state.counters["images"] = static_cast<double>(files.size());
}
BENCHMARK(BM_ReadCorpus)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
