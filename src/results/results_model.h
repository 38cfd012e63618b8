#pragma once
// The results as the list holds them, without any widget: records in list
// order with their ids, the sort state, the details state and the rules
// that tie them together. The desktop list wraps it; the command line and
// the reports use it directly.
//
// A list holds millions of results, so a result is a fixed 32-byte row:
// what belongs to its image (path, properties, version, description) is
// one ImageRecord shared by the image's rows, and names and module names
// are ids into one TextPool that keeps each distinct text once. Rows grow
// in chunks that never move. Texts are made when asked for (Fill).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/chunked_vector.h"
#include "core/text_pool.h"
#include "results/details_pass.h"
#include "results/result_entry.h"
#include "symbolsearch/result_batch.h"

namespace tarnix {

// What the rows of one image share.
struct ImageRecord {
  std::wstring path;
  ImageProperties properties;
  uint32_t serial = 0;  // the worker's image serial (ResultBatch::Image)
  uint64_t fileVersion = kVersionUnknown;
  std::wstring description;  // filled by the details pass
};

struct ResultRow {
  uint32_t serial = 0;  // the id less one: ids count up from 1 in arrival order
  uint32_t image = 0;   // index of the ImageRecord
  uint32_t name = TextPool::kEmpty;
  uint32_t module = TextPool::kEmpty;
  uint32_t decorated = TextPool::kNone;  // the stored name, once the details pass undecorated it
  uint32_t ordinal = 0;
  int32_t nameIndexOrHint = -1;
  uint32_t kind = 0;
};


class ResultsModel {
 public:
  enum class SortAnswer {
    kSorted,     // sorted (and the sort state updated)
    kRefused,    // nothing changed
    kCancelled,  // stopped; the order and the sort state are as before
  };

  ResultsModel() = default;
  ResultsModel(ResultsModel&&) noexcept = default;
  ResultsModel& operator=(ResultsModel&&) noexcept = default;

  // A new search: clears the results and the sort state, and remembers what
  // kind of search the coming results belong to.
  void BeginSearch(bool winApiSearch, bool modulesOnly);
  // Removes every result and resets the sort state and the id counter.
  void Clear();

  // The most memory the list may take, in bytes (0: no limit). A list that
  // reaches it takes no more results until it is cleared.
  void SetMemoryCeiling(uint64_t bytes) { ceiling_ = bytes; }
  uint64_t memoryCeiling() const { return ceiling_; }
  // True once a result was refused for the ceiling.
  bool full() const { return full_; }
  // Bytes the rows, the images and the texts use (the chunks and blocks
  // reserved for the next ones left out); imageMemory() is the images' share.
  uint64_t memoryUsed() const;
  uint64_t imageMemory() const { return images_.bytesUsed() + imageBytes_; }

  // Appends the batch's results with the next ids; answers how many were
  // taken (fewer when the ceiling was reached).
  size_t Append(const ResultBatch& batch);
  // Appends one result; answers its id, 0 when the ceiling refused it.
  uint64_t Add(const SymbolResult& result);

  size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  const ResultRow& row(size_t i) const { return rows_[i]; }
  const ImageRecord& image(uint32_t i) const { return images_[i]; }
  size_t imageCount() const { return images_.size(); }
  const TextPool& texts() const { return texts_; }
  const std::wstring& imagePath(size_t row) const { return images_[rows_[row].image].path; }

  // Result `row` as a record; `out`'s strings are reused.
  void Fill(size_t row, ResultEntry& out) const;
  ResultEntry Entry(size_t row) const;

  // Puts the rows in the order of `order` (a permutation of the rows).
  void Reorder(const std::vector<uint32_t>& order);

  bool winApiSearch() const { return winApiSearch_; }
  bool modulesOnly() const { return modulesOnly_; }
  int32_t sortColumn() const { return sortColumn_; }
  bool ascending() const { return ascending_; }

  // A header click or a "Sort By" choice: the sort column again flips the
  // direction, another column keeps it. Refused while a search runs, and
  // while details are incomplete for the columns the details pass still
  // changes (Version, Description, and Function Name after a WinAPIs
  // search). With other columns and details incomplete, `stopDetails` runs
  // first. `progress` (fraction done) answers true to cancel.
  SortAnswer RequestSort(int32_t column, bool searchRunning,
                         const std::function<void()>& stopDetails,
                         const std::function<bool(double)>& progress = nullptr);
  // The sort state without sorting: the column removed from the list was
  // the sort column, and its place goes to the first one left.
  void SetSortState(int32_t column, bool ascending) {
    sortColumn_ = column;
    ascending_ = ascending;
  }
  // Whether a sort by `column` is offered now (the "Sort By" items).
  bool SortOffered(int32_t column) const;

  // The details state: complete after a full pass; interrupted when the
  // user cancelled collecting the work.
  bool detailsComplete() const { return detailsComplete_; }
  bool detailsInterrupted() const { return detailsInterrupted_; }
  void DetailsStarted() { detailsComplete_ = false; }
  void DetailsDone() {
    detailsComplete_ = true;
    detailsInterrupted_ = false;
  }
  void DetailsInterrupted() { detailsInterrupted_ = true; }

  // Stores what the details pass found (items are image indexes, names
  // text ids). An image's version and description go to its record; an
  // undecorated name replaces the symbol name of every row of a C++ kind
  // that shows the decorated one, which is kept as the decorated name.
  // Answer how many findings were taken (unknown images and names are
  // skipped).
  size_t ApplyImageDetails(std::vector<FileDetailsFinding>& images);
  size_t ApplyNameDetails(std::vector<NameDetailsFinding>& names);

  // The question to ask before saving while details are not complete.
  bool NeedsIncompleteWarning(bool detailsRunning) const {
    return detailsInterrupted_ || detailsRunning;
  }

 private:
  bool ChangedByDetails(int32_t column) const;
  bool Room(size_t textBytes);
  uint32_t AddImage(uint32_t serial, const std::wstring& path, const ImageProperties& properties);

  ChunkedVector<ResultRow> rows_;
  ChunkedVector<ImageRecord, 12> images_;
  TextPool texts_;
  uint64_t imageBytes_ = 0;
  uint64_t ceiling_ = 0;
  bool full_ = false;
  uint32_t nextSerial_ = 0;
  int32_t sortColumn_ = -1;
  bool ascending_ = true;
  bool winApiSearch_ = true;
  bool modulesOnly_ = false;
  bool detailsComplete_ = false;
  bool detailsInterrupted_ = false;
};

}  // namespace tarnix
