#include "errcode/code_result_rows.h"

#include <algorithm>
#include <cstring>

#include "core/wformat.h"
#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// The message as the list shows it: line breaks as blanks, none at the end.
std::wstring MessageText(const ErrorCodeSearchResult& r) {
  std::wstring text = r.message;
  std::replace(text.begin(), text.end(), L'\r', L' ');
  std::replace(text.begin(), text.end(), L'\n', L' ');
  while (!text.empty() && text.back() == L' ') text.pop_back();
  return text;
}

std::wstring WholeRow(const CodeResultRow& row) {
  return WFormat(L"%ls\t%ls\t%ls\t%ls", row.display.c_str(), row.result.path.c_str(),
                 FileVersionText(row.version).c_str(), row.description.c_str());
}

void AppendUtf16(std::string& bytes, std::wstring_view text) {
  for (char16_t u : ToUtf16(text)) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
}

}  // namespace

const wchar_t* CodeResultColumnTitle(int column) {
  switch (column) {
    case kCodeColumnMessage: return L"Error Message";
    case kCodeColumnModule: return L"Module";
    case kCodeColumnVersion: return L"Version";
    case kCodeColumnDescription: return L"Description";
    case kCodeColumnSource: return L"Text From";
    default: return L"";
  }
}

std::wstring CodeResultField(const CodeResultRow& row, int column) {
  switch (column) {
    case kCodeColumnMessage: return row.display;
    case kCodeColumnModule: return row.result.path;
    case kCodeColumnVersion: return FileVersionText(row.version);
    case kCodeColumnDescription: return row.description;
    case kCodeColumnSource: return row.result.systemText ? L"System" : L"Module";
    default: return {};
  }
}

std::wstring CodeResultRowsText(const std::vector<CodeResultRow>& rows, const std::vector<size_t>& selected,
                                CodeResultCopy what) {
  std::wstring text;
  bool first = true;
  for (size_t i : selected) {
    if (i >= rows.size()) continue;
    if (!first) text += L"\r\n";
    first = false;
    switch (what) {
      case CodeResultCopy::kRows: text += WholeRow(rows[i]); break;
      case CodeResultCopy::kMessages: text += MessageText(rows[i].result); break;
      case CodeResultCopy::kModules: text += rows[i].result.path; break;
    }
  }
  return text;
}

bool SaveCodeResultRows(const std::string& path, const std::vector<CodeResultRow>& rows,
                        const std::function<bool()>& cancelled) {
  FileOutput out;
  if (!out.Create(path)) return false;
  std::string bytes = "\xFF\xFE";
  for (size_t i = 0; i < rows.size(); ++i) {
    AppendUtf16(bytes, WholeRow(rows[i]));
    AppendUtf16(bytes, L"\r\n");
    if (bytes.size() >= 256 * 1024 || i + 1 == rows.size()) {
      if (!out.Write(bytes)) return false;
      bytes.clear();
      if (cancelled && cancelled()) {
        out.Discard();
        SetLastError(ERROR_CANCELLED);
        return false;
      }
    }
  }
  if (!bytes.empty() && !out.Write(bytes)) return false;
  return out.Commit();
}

std::vector<uint8_t> EncodeCodeResultColumns(const std::vector<int32_t>& order,
                                             const std::vector<int32_t>& widths) {
  std::vector<uint8_t> out;
  auto put = [&](int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int b = 0; b < 4; ++b) out.push_back(static_cast<uint8_t>(u >> (8 * b)));
  };
  for (size_t i = 0; i < order.size() && i < widths.size(); ++i) {
    put(order[i]);
    put(widths[i]);
  }
  return out;
}

bool DecodeCodeResultColumns(const std::vector<uint8_t>& stored, std::vector<int32_t>& order,
                             std::vector<int32_t>& widths, int32_t sourceWidth) {
  order.clear();
  widths.clear();
  const size_t count = stored.size() / 8;
  if (stored.size() % 8 || (count != kCodeColumnCount && count != kCodeColumnCountWithoutSource)) return false;
  auto get = [&](size_t at) {
    uint32_t u = 0;
    for (int b = 0; b < 4; ++b) u |= static_cast<uint32_t>(stored[at + b]) << (8 * b);
    return static_cast<int32_t>(u);
  };
  bool seen[kCodeColumnCount] = {};
  for (size_t i = 0; i < count; ++i) {
    const int32_t column = get(i * 8), width = get(i * 8 + 4);
    if (column < 0 || column >= static_cast<int32_t>(count) || seen[column] || width < 0 || width > 32767) {
      order.clear();
      widths.clear();
      return false;
    }
    seen[column] = true;
    order.push_back(column);
    widths.push_back(width);
  }
  if (count == kCodeColumnCountWithoutSource) {
    order.push_back(kCodeColumnSource);
    widths.push_back(sourceWidth);
  }
  return true;
}

}  // namespace tarnix
