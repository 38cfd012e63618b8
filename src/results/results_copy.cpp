#include "results/results_copy.h"

#include "platform/case_fold.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "results/result_column.h"
#include "results/result_field.h"
#include "results/text_export.h"

namespace tarnix {

const wchar_t kNotFullyProcessedQuestion[] =
    L"Tarnix results aren't fully processed yet. If you continue now the data will be "
    L"incomplete.\n\nDo you want to continue?";

bool CopyRowsText(const ResultsModel& results, const std::vector<size_t>& selection,
                  const std::vector<int32_t>& columns, bool fullSymbols, std::wstring& text,
                  const std::function<bool(size_t)>& cancel) {
  text.clear();
  std::wstring line;
  ResultEntry entry;
  for (size_t k = 0; k < selection.size(); ++k) {
    if (cancel && cancel(k)) return false;
    if (selection[k] >= results.size()) continue;
    results.Fill(selection[k], entry);
    if (!ResultExportLine(entry, columns, fullSymbols, line)) return false;
    if (k) text += L"\r\n";
    text += line;
  }
  return true;
}

bool CopyColumnText(const ResultsModel& results, const std::vector<size_t>& selection,
                    int32_t column, bool fullSymbols, std::wstring& text,
                    const std::function<bool(size_t)>& cancel) {
  text.clear();
  std::wstring field;
  ResultEntry entry;
  for (size_t k = 0; k < selection.size(); ++k) {
    if (cancel && cancel(k)) return false;
    if (selection[k] >= results.size()) continue;
    results.Fill(selection[k], entry);
    if (!FormatResultField(column, entry, false, fullSymbols, L" | ", field)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    if (k) text += L"\r\n";
    text += field;
  }
  return true;
}

std::wstring CopyColumnMenuText(int32_t column) {
  const wchar_t* caption = ResultColumnCaption(column);
  return std::wstring(L"Cop&y '") + (caption ? caption : L"") + L"'";
}

SaveFormat SaveFormatOf(const std::wstring& path) {
  size_t dot = path.rfind(L'.');
  size_t slash = path.find_last_of(L"/\\");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
    return SaveFormat::kText;
  std::wstring ext = ToLowerCase(path.substr(dot));
  return ext == L".html" || ext == L".htm" ? SaveFormat::kHtml : SaveFormat::kText;
}

int SaveResults(const ResultsModel& results, const SaveRequest& r) {
  if (r.detailsIncomplete && r.confirm && !r.confirm(kNotFullyProcessedQuestion)) return 0;
  int result;
  if (SaveFormatOf(FromUtf8(r.path)) == SaveFormat::kHtml) {
    result = WriteHtmlReport(r.path, r.columns, results, r.criteria, r.outcome, r.options, r.cancel);
  } else {
    result = WriteResultsText(r.path, results, r.columns, r.fullSymbols, r.cancel);
    if (result == -2) result = 0;
  }
  return result;
}

}  // namespace tarnix
