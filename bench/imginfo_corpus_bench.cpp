// Module resolution and symbol location over the imports of a corpus laid
// out as a Windows folder (bench/imginfo_corpus.sh does the layout):
// TARNIX_CORPUS names the corpus (its x86_64-windows and i386-windows),
// TARNIX_WINDOWS_ROOT the Windows folder whose System32 and SysWOW64 are
// them. First one pass prints the figures: for every import (and, apart,
// every delay-load import) of every image, whether its module resolves and
// whether its symbol is located, with the errors of those that are not;
// TARNIX_IMGINFO_SAMPLE, when set, receives every 40th located symbol
// (file, name, RVA, file offset) for the check against llvm-objdump. Then
//   BM_ResolveModule    the module of each import resolved
//   BM_LocateSymbol     each import's symbol located (resolution included)
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/error_text.h"
#include "core/wformat.h"
#include "pe/image_reader.h"
#include "platform/text_encoding.h"
#include "platform/windows_root.h"
#include "symbolsearch/symbol_locator.h"

namespace {

using namespace tarnix;

struct Import {
  SymbolQuery query;
  bool delayLoad = false;
};

// Every import of an image, as a search for every symbol lists it.
class ImportSink final : public SymbolSink {
 public:
  ImportSink(std::vector<Import>& out, std::wstring path) : out_(out), path_(std::move(path)) {}
  void AttachImage(ImageFacts& image) override { type_ = image.props().imageType; }
  void BeginImage(uint64_t) override {}
  void SkipSymbols(uint64_t) override {}
  int MatchNamed(const ImageProperties&, ResultKind kind, std::string_view name,
                 std::string_view module, uint32_t, int32_t) override {
    if (kind == kKindImport || kind == kKindDelayImport) Add(kind, FromCp1252(name), module, 0);
    return 0;
  }
  int MatchOrdinal(const ImageProperties&, uint64_t ordinal, ResultKind kind,
                   std::string_view module, int32_t) override {
    if (kind != kKindExportOrdinal)
      Add(kind, WFormat(L"#%llu", static_cast<unsigned long long>(ordinal)), module, static_cast<uint32_t>(ordinal));
    return 0;
  }
  int MatchModule(const ImageProperties&, ResultKind, std::string_view) override { return 0; }
  bool DeliverImage(const ImageProperties&) override { return true; }
  void Status(const std::wstring&) override {}

 private:
  void Add(uint32_t kind, std::wstring name, std::string_view module, uint32_t ordinal) {
    Import i;
    i.query.imagePath = path_;
    i.query.imageType = type_;
    i.query.kind = kind;
    i.query.module = FromCp1252(module);
    i.query.name = std::move(name);
    i.query.ordinal = ordinal;
    i.delayLoad = kind == kKindDelayImport || kind == kKindDelayImportOrdinal;
    out_.push_back(std::move(i));
  }
  std::vector<Import>& out_;
  std::wstring path_;
  uint32_t type_ = 0;
};

std::vector<Import> ImportsOf(const std::filesystem::path& folder) {
  std::vector<Import> imports;
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file()) files.push_back(it->path());
  std::sort(files.begin(), files.end());
  ImageReader reader;
  for (const auto& file : files) {
    ImportSink sink(imports, FromUtf8(file.string()));
    uint32_t location = 0;
    reader.ReadFile(file.string(), ScanOptions(), sink, nullptr, location);
  }
  return imports;
}

const ModuleResolver& Resolver() {
  static const ModuleResolver resolver(WindowsRoot::Find());
  return resolver;
}

const std::vector<Import>& Imports64() {
  static const std::vector<Import> imports = [] {
    const char* corpus = std::getenv("TARNIX_CORPUS");
    return corpus ? ImportsOf(std::filesystem::path(corpus) / "x86_64-windows")
                  : std::vector<Import>();
  }();
  return imports;
}

void Figures(const char* label, const std::vector<Import>& imports, bool delayLoad,
             std::ofstream* sample) {
  size_t total = 0, resolved = 0, located = 0, forwarded = 0, withOffset = 0, taken = 0;
  std::map<std::wstring, size_t> moduleErrors, locateErrors;
  const auto start = std::chrono::steady_clock::now();
  for (const Import& i : imports) {
    if (i.delayLoad != delayLoad) continue;
    ++total;
    const SymbolLocation loc = LocateSymbol(Resolver(), i.query);
    if (!loc.moduleResolved) {
      ++moduleErrors[ErrorCodeToText(loc.moduleError) + L" " + i.query.module];
      continue;
    }
    ++resolved;
    if (!loc.located) {
      ++locateErrors[ErrorCodeToText(loc.locateError)];
      continue;
    }
    ++located;
    forwarded += loc.forwards != 0;
    withOffset += loc.fileOffset.has_value();
    if (sample && loc.fileOffset && taken++ % 40 == 0)
      *sample << ToUtf8(loc.symbolPath) << '\t' << ToUtf8(loc.finalName) << '\t' << loc.rva << '\t'
               << *loc.fileOffset << '\n';
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  auto share = [&](size_t n) { return total ? 100.0 * n / total : 0.0; };
  std::printf("%s: %zu; module resolved %zu (%.2f %%); symbol located %zu (%.2f %%), %zu through "
              "forwarders, %zu with a file offset; %.0f ms\n",
              label, total, resolved, share(resolved), located, share(located), forwarded,
              withOffset, ms);
  for (const auto& [what, n] : moduleErrors)
    std::printf("  not resolved: %s x%zu\n", ToUtf8(what).c_str(), n);
  for (const auto& [what, n] : locateErrors)
    std::printf("  not located: error %s x%zu\n", ToUtf8(what).c_str(), n);
}

void BM_ResolveModule(benchmark::State& state) {
  size_t n = 0;
  for (auto _ : state) {
    for (const Import& i : Imports64()) {
      std::wstring path;
      benchmark::DoNotOptimize(Resolver().Resolve(i.query.imagePath, i.query.imageType, i.query.module, path));
    }
    n += Imports64().size();
  }
  state.SetItemsProcessed(static_cast<int64_t>(n));
}
BENCHMARK(BM_ResolveModule)->Unit(benchmark::kMillisecond);

void BM_LocateSymbol(benchmark::State& state) {
  size_t n = 0;
  for (auto _ : state) {
    for (const Import& i : Imports64()) benchmark::DoNotOptimize(LocateSymbol(Resolver(), i.query));
    n += Imports64().size();
  }
  state.SetItemsProcessed(static_cast<int64_t>(n));
}
BENCHMARK(BM_LocateSymbol)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const char* corpus = std::getenv("TARNIX_CORPUS");
  if (!corpus || !std::getenv("TARNIX_WINDOWS_ROOT")) {
    std::fprintf(stderr, "set TARNIX_CORPUS and TARNIX_WINDOWS_ROOT (bench/imginfo_corpus.sh does)\n");
    return 2;
  }
  std::unique_ptr<std::ofstream> sample;
  if (const char* path = std::getenv("TARNIX_IMGINFO_SAMPLE")) sample = std::make_unique<std::ofstream>(path);
  std::printf("Windows root: %s\n", Resolver().root().root().c_str());
  Figures("imports of x86_64-windows", Imports64(), false, sample.get());
  Figures("delay-load imports of x86_64-windows", Imports64(), true, nullptr);
  const std::vector<Import> imports32 = ImportsOf(std::filesystem::path(corpus) / "i386-windows");
  Figures("imports of i386-windows", imports32, false, nullptr);
  std::fflush(stdout);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
