#include "results/text_export.h"

#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "results/result_field.h"

namespace tarnix {
namespace {

void AppendUtf16le(std::string& out, std::wstring_view text) {
  for (char16_t u : ToUtf16(text)) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
}

}  // namespace

void AppendTsvField(std::wstring& line, std::wstring_view field) {
  for (wchar_t c : field) {
    switch (c) {
      case L'\t': line += L"\\t"; break;
      case L'\n': line += L"\\n"; break;
      case L'\r': line += L"\\r"; break;
      case L'\\': line += L"\\\\"; break;
      default: line += c;
    }
  }
}

bool ResultExportLine(const ResultEntry& entry, const std::vector<int32_t>& columns,
                      bool fullSymbols, std::wstring& line) {
  line.clear();
  std::wstring field;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (!FormatResultField(columns[i], entry, false, fullSymbols, L" | ", field)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    if (i) line += L'\t';
    AppendTsvField(line, field);
  }
  return true;
}

int WriteResultsText(const std::string& path, const std::vector<ResultEntry>& entries,
                     const std::vector<int32_t>& columns, bool fullSymbols,
                     const ExportCancel& cancel) {
  FileOutput out;
  if (!out.Create(path)) return -1;
  std::string bytes("\xFF\xFE", 2);
  std::wstring line;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (cancel && cancel(i)) {
      out.Discard();
      SetLastError(ERROR_CANCELLED);
      return -2;
    }
    if (!ResultExportLine(entries[i], columns, fullSymbols, line)) {
      out.Discard();
      SetLastError(ERROR_INVALID_PARAMETER);
      return -1;
    }
    if (i) line.insert(0, L"\r\n");
    AppendUtf16le(bytes, line);
    if (bytes.size() >= 256 * 1024) {
      if (!out.Write(bytes)) return -1;
      bytes.clear();
    }
  }
  if (!out.Write(bytes) || !out.Commit()) return -1;
  return 1;
}

}  // namespace tarnix
