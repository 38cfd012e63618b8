#pragma once
// The messages a symbol search posts to its window, and the counters the
// window shares with the workers.
#include <cstdint>
#include <mutex>

namespace tarnix {

enum SearchMessage : uint32_t {
  kMsgSizeScanEnded = 32872,  // wParam 1 completed (the statistics hold the total), 0 not
  kMsgStatusLine = 32873,     // payload: std::wstring (one line; the worker posts kMsgStatusLines)
  kMsgSearchEnded = 32874,    // wParam 1 completed, 0 stopped or failed
  kMsgProgress = 32875,       // wParam low 32 bits, lParam high 32 bits of the bytes done
  kMsgCurrentFile = 32878,    // payload: std::wstring, the full path
  kMsgResults = 32880,        // payload: ResultBatch, in the order found
  kMsgStatusLines = 32881,    // payload: std::vector<std::wstring>, status lines in order
};

// Owned by the window; the workers change the counters under countersLock
// and the size-scan outcome under sizeLock.
struct SearchStatistics {
  std::mutex countersLock;
  uint64_t filesSearched = 0;
  uint64_t errors = 0;
  uint64_t warnings = 0;

  std::mutex sizeLock;
  bool sizeKnown = false;
  uint64_t totalSize = 0;

  void Reset() {
    {
      std::lock_guard<std::mutex> lock(countersLock);
      filesSearched = errors = warnings = 0;
    }
    std::lock_guard<std::mutex> lock(sizeLock);
    sizeKnown = false;
    totalSize = 0;
  }
};

}  // namespace tarnix
