#pragma once
// Drives one symbol search through a window-like target and records
// everything it posts.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "pe/look_in.h"
#include "platform/text_encoding.h"
#include "symbolsearch/result_batch.h"
#include "symbolsearch/search_worker.h"
#include "symbolsearch/symbol_result.h"

namespace tarnix {

struct SearchRun {
  std::vector<std::wstring> status;
  std::vector<SymbolResult> results;
  int ended = -1;
  int sizeScanEnded = -1;
  uint64_t files = 0, errors = 0, warnings = 0;
};

// Drives one search through a window-like target (5 ms spacing by default).
class SearchHarness {
 public:
  explicit SearchHarness(size_t capacity = 1024, uint32_t interval = 5) : target_(capacity, interval) {}

  SearchParams Params(const std::filesystem::path& folder, std::wstring forText,
                      std::wstring fileName = L"") {
    SearchParams p;
    p.stopFlag = &stop;
    p.statistics = &stats;
    p.window = &target_;
    p.folder = FromUtf8(folder.string()) + L"/";
    p.searchFor = kSearchForSymbols;
    p.presentAs = kPresentSymbolsInModules;
    p.search.text = std::move(forText);
    p.fileName.text = std::move(fileName);
    return p;
  }

  // Runs to the end; `onMessage` may act on each message (pause, stop, drain slowly).
  SearchRun Go(const SearchParams& p, const std::function<void(const PostedMessage&)>& onMessage = nullptr,
         SearchStartSettings settings = {}) {
    SearchRun run;
    SymbolSearch search(undecorate);
    EXPECT_TRUE(search.Start(p, settings));
    while (run.ended < 0 || run.sizeScanEnded < 0) {
      PostedMessage m;
      if (!target_.Take(m, std::chrono::milliseconds(5000))) break;
      if (onMessage) onMessage(m);
      if (m.id == kMsgStatusLines)
        for (const auto& line : *m.As<std::vector<std::wstring>>()) run.status.push_back(line);
      if (m.id == kMsgResults)
        if (const auto* batch = m.As<ResultBatch>())
          for (size_t i = 0; i < batch->size(); ++i) run.results.push_back(batch->At(i));
      if (m.id == kMsgSearchEnded) run.ended = static_cast<int>(m.wParam);
      if (m.id == kMsgSizeScanEnded) run.sizeScanEnded = static_cast<int>(m.wParam);
    }
    EXPECT_TRUE(search.Wait(std::chrono::milliseconds(5000)));
    run.files = stats.filesSearched;
    run.errors = stats.errors;
    run.warnings = stats.warnings;
    return run;
  }

  QueueMessageTarget* window() { return &target_; }

  StopFlag stop{0};
  SearchStatistics stats;
  // Replaces the program's undecorator in the searches started after.
  UndecorateFn undecorate;

 private:
  QueueMessageTarget target_;
};

}  // namespace tarnix
