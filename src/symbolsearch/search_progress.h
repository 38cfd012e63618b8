#pragma once
// The search worker's progress and stop checks, as the matcher sees them.
#include <cstdint>

namespace tarnix {

class SearchProgress {
 public:
  virtual ~SearchProgress() = default;
  // The image about to be walked will visit `symbolCount` symbols; each
  // visited symbol takes an equal share of the file's size.
  virtual void BeginImage(uint64_t symbolCount) = 0;
  // `count` symbols were visited (or skipped over).
  virtual void SymbolsVisited(uint64_t count) = 0;
  // Checks the stop flag (waiting while paused) and posts progress when it
  // is due. True when the search must stop.
  virtual bool CheckStop() = 0;
};

}  // namespace tarnix
