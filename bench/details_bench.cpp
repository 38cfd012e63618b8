// The details pass: versions and descriptions of a long results list whose
// images each have many results, as a search over a folder gives. The
// images are the corpus's when TARNIX_CORPUS names a corpus laid out by
// shared/bench/corpus.sh, else 200 synthetic images with version resources.
//   BM_ReadEveryImage   each image's version resource read once: the floor
//   BM_DetailsPass      the loader's pass over the list, applied to the
//                       model as a window applies it (the findings are per
//                       image, so the number of results per image hardly
//                       counts)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "pe/resource_fixture.h"
#include "platform/languages.h"
#include "platform/text_encoding.h"
#include "results/details_pass.h"
#include "results/results_details_work.h"
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

void BM_ReadEveryImage(benchmark::State& state) {
  const uint16_t language = UserDefaultLanguage();
  for (auto _ : state)
    for (const std::wstring& image : Images()) benchmark::DoNotOptimize(ReadFileDetails(image, language));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Images().size()));
}
BENCHMARK(BM_ReadEveryImage)->Unit(benchmark::kMillisecond);

void BM_DetailsPass(benchmark::State& state) {
  ResultsModel model = Results(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    QueueMessageTarget target(1024, 0);
    StopFlag stop{kStopRun};
    DetailsRequest request;
    CollectDetailsWork(model, false, request.work);
    request.stop = &stop;
    request.target = &target;
    DetailsPass pass;
    pass.Start(std::move(request));
    for (bool done = false; !done;) {
      PostedMessage m;
      if (!target.Take(m, std::chrono::milliseconds(1000))) break;
      done = m.id == kMsgDetailsDone;
      if (auto* found = m.As<std::vector<FileDetailsFinding>>()) model.ApplyImageDetails(*found);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * model.size()));
}
BENCHMARK(BM_DetailsPass)->Arg(20)->Arg(190)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
