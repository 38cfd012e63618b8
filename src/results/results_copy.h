#pragma once
// The texts the results list copies and saves.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "results/html_report.h"
#include "results/results_model.h"

namespace tarnix {

// The selected rows (indices in selection order), each as its export line,
// joined by CR LF without a final line break. False when cancelled or a
// column id is unknown.
bool CopyRowsText(const ResultsModel& results, const std::vector<size_t>& selection,
                  const std::vector<int32_t>& columns, bool fullSymbols, std::wstring& text,
                  const std::function<bool(size_t)>& cancel = nullptr);

// One column of the selected rows, joined by CR LF.
bool CopyColumnText(const ResultsModel& results, const std::vector<size_t>& selection,
                    int32_t column, bool fullSymbols, std::wstring& text,
                    const std::function<bool(size_t)>& cancel = nullptr);

// "Cop&y '*'" with the column's caption in place of the "*".
std::wstring CopyColumnMenuText(int32_t column);

enum class SaveFormat { kText, kHtml };
// ".html" and ".htm" (any case) write the HTML report; anything else text.
SaveFormat SaveFormatOf(const std::wstring& path);

// The question asked before saving results whose details are incomplete.
extern const wchar_t kNotFullyProcessedQuestion[];

struct SaveRequest {
  std::string path;  // UTF-8
  std::vector<int32_t> columns;  // the list's columns in on-screen order
  bool fullSymbols = true;
  bool detailsIncomplete = false;  // interrupted, or the details pass still runs
  // Asked the not-fully-processed question; answers true to go on.
  std::function<bool(const std::wstring& question)> confirm;
  ReportCriteria criteria;  // for the HTML report
  ReportOutcome outcome;
  ReportOptions options;
  std::function<bool(size_t)> cancel;
};

// Saves the results as the list's save command does. Answers 1 saved, 0 the
// user declined or cancelled (nothing left behind), -1 failed (last error
// set; no partial file).
int SaveResults(const ResultsModel& results, const SaveRequest& request);

}  // namespace tarnix
