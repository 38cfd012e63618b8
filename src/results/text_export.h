#pragma once
// Results as tab-separated text: one line per result with the export text of
// each column (separator " | " inside a field), fields joined by TAB, lines
// by CR LF, no header and no line break after the last line. A field never
// breaks its row: tab, line feed, carriage return and backslash in a field
// are written as "\t", "\n", "\r" and "\\" (file and folder names may hold
// any of them).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "results/result_entry.h"
#include "results/results_model.h"

namespace tarnix {

// Appends `field` to `line` with tab, line feed, carriage return and
// backslash escaped as above.
void AppendTsvField(std::wstring& line, std::wstring_view field);

// The export line of one result (fields escaped); false for an unknown column id.
bool ResultExportLine(const ResultEntry& entry, const std::vector<int32_t>& columns,
                      bool fullSymbols, std::wstring& line);

// Answers true to cancel; asked once per result with the index reached.
using ExportCancel = std::function<bool(size_t index)>;

// Writes the results to `path` as UTF-16LE with the mark FF FE, created
// anew. Answers 1 done, -1 failed (last error set; the partial file is
// deleted), -2 cancelled (the file is deleted).
int WriteResultsText(const std::string& path, const ResultsModel& results,
                     const std::vector<int32_t>& columns, bool fullSymbols,
                     const ExportCancel& cancel = nullptr);

// The same file written a line at a time as results come (the command
// line's search without a sort): created anew, and put in place by
// Commit() only when complete.
class ResultsTextWriter {
 public:
  ResultsTextWriter(std::vector<int32_t> columns, bool fullSymbols);
  ~ResultsTextWriter();
  ResultsTextWriter(const ResultsTextWriter&) = delete;
  ResultsTextWriter& operator=(const ResultsTextWriter&) = delete;

  bool Create(const std::string& path);
  // False when a column id is unknown or writing failed (last error set).
  bool Add(const ResultEntry& entry);
  bool Commit();
  void Discard();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tarnix
