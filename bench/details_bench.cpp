// The details pass: versions and descriptions of a long results list whose
// images each have many results, as a search over a folder gives. The
// images are the corpus's when TARNIX_CORPUS names a corpus laid out by
// shared/bench/corpus.sh, else 200 synthetic images with version resources.
//   BM_ReadEveryResult  each result's image read on its own (a pass without
//                       its per-pass memory of images)
//   BM_DetailsPass      the loader's pass, applied to the model as a window
//                       applies it
//   BM_ApplyDetails     applying findings with and without the row they
//                       were collected at (without: the record is searched)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "pe/resource_fixture.h"
#include "platform/languages.h"
#include "platform/text_encoding.h"
#include "results/details_loader.h"
#include "support/temp_dir.h"

namespace {

using namespace tarnix;

// The images, made once for the whole run.
const std::vector<std::wstring>& Images() {
  static std::unique_ptr<test::TempDir> dir;
  static std::vector<std::wstring> images = [] {
    std::vector<std::wstring> out;
    if (const char* corpus = std::getenv("TARNIX_CORPUS")) {
      std::ifstream list(std::string(corpus) + "/files.txt");
      for (std::string line; std::getline(list, line);) out.push_back(FromUtf8(line));
    }
    if (out.empty()) {
      dir = std::make_unique<test::TempDir>("details-bench");
      for (int i = 0; i < 200; ++i) {
        auto path = dir->Write("img" + std::to_string(i) + ".dll",
                               test::BuildImage({{16, 1, 0x409, test::SimpleVersion(0x409, u"A module", u"1.0"), u""}}).bytes);
        out.push_back(FromUtf8(path.string()));
      }
    }
    return out;
  }();
  return images;
}

// `perImage` results for every image, each image's results together.
ResultsModel Results(size_t perImage) {
  ResultsModel model;
  model.BeginSearch(false, false);
  for (const std::wstring& image : Images()) {
    for (size_t i = 0; i < perImage; ++i) {
      SymbolResult r;
      r.file = image;
      r.name = L"Function";
      r.kind = kKindExport;
      model.Add(std::move(r));
    }
  }
  return model;
}

void BM_ReadEveryResult(benchmark::State& state) {
  const ResultsModel model = Results(static_cast<size_t>(state.range(0)));
  DetailsWork work;
  CollectDetailsWork(model, false, work);
  const uint16_t language = UserDefaultLanguage();
  for (auto _ : state)
    for (const DetailsWorkItem& item : work.items)
      benchmark::DoNotOptimize(LoadDetails(item, work.images[item.image], language, 0));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * work.items.size()));
}
BENCHMARK(BM_ReadEveryResult)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_DetailsPass(benchmark::State& state) {
  ResultsModel model = Results(static_cast<size_t>(state.range(0)));
  size_t items = 0;
  for (auto _ : state) {
    DetailsWork work;
    CollectDetailsWork(model, false, work);
    items += work.items.size();
    QueueMessageTarget target(1024, 0);
    ResultDetailsLoader loader;
    loader.Start(std::move(work), &target, 0);
    for (bool done = false; !done;) {
      PostedMessage m;
      if (!target.Take(m, std::chrono::milliseconds(1000))) break;
      done = m.id == kMsgDetailsDone;
      if (auto* batch = m.As<std::vector<ResultDetails>>())
        for (auto& d : *batch) model.ApplyDetails(std::move(d));
    }
    loader.Stop();
  }
  state.SetItemsProcessed(static_cast<int64_t>(items));
}
BENCHMARK(BM_DetailsPass)->Arg(20)->Arg(190)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ApplyDetails(benchmark::State& state) {
  const bool withRow = state.range(1) != 0;
  ResultsModel model = Results(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    const auto& entries = model.entries();
    for (size_t i = 0; i < entries.size(); ++i) {
      ResultDetails d;
      d.id = entries[i].id;
      d.row = withRow ? static_cast<int64_t>(i) : -1;
      d.fileVersion = 1;
      model.ApplyDetails(std::move(d));
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * model.entries().size()));
}
BENCHMARK(BM_ApplyDetails)->Args({20, 1})->Args({20, 0})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
