#pragma once
// The details of results written as they come (tarnix-cli search
// --details): what the details pass gives a list, read batch by batch as
// the search delivers them, on any number of threads at once. Each image's
// details are read when its rows arrive (an image whose rows span two
// batches is read once, unless two threads meet it at the same moment),
// and each distinct decorated name is undecorated once across batches, up
// to the bounds of a NameMemory. Nothing else is kept from batch to batch.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/name_memory.h"
#include "pe/file_details.h"
#include "results/details_pass.h"
#include "results/result_entry.h"
#include "symbolsearch/result_batch.h"

namespace tarnix {

class StreamedDetails {
 public:
  // Names are undecorated only when `undecorate` (a WinAPIs search with
  // undecoration on). `reader` replaces ReadFileDetails (tests).
  StreamedDetails(bool undecorate, uint32_t undecorationFlags, FileDetailsReader reader = nullptr);

  // The details of rows firstRow.. of a result batch.
  struct Batch {
    size_t firstRow = 0;
    uint32_t firstImage = 0;          // the image of the first row
    std::vector<FileDetails> images;  // one per image from firstImage on
    std::vector<std::wstring> names;  // per row: its undecorated name, or empty
  };
  void Complete(const ResultBatch& results, size_t firstRow, size_t rows, Batch& out);

  // Row `row` of `results` (one of those `details` covers) with what
  // `details` say of it, as the list shows it once its details are in.
  static void Fill(const ResultBatch& results, const Batch& details, size_t row, ResultEntry& entry);

 private:
  void Image(uint32_t serial, const std::wstring& path, FileDetails& read);

  const bool undecorate_;
  const uint32_t flags_;
  const uint16_t language_;
  const FileDetailsReader reader_;
  // The undecorated form of each name met (nothing: it does not undecorate).
  NameMemory<std::optional<std::wstring>> names_;
  std::mutex recentLock_;                                // guards recent_
  std::deque<std::pair<uint32_t, FileDetails>> recent_;  // the last images read, by serial
};

}  // namespace tarnix
