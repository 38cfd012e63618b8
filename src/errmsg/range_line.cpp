#include "errmsg/range_line.h"

#include "core/wformat.h"
#include "errmsg/number_scan.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

bool Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

bool IsTrimmed(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring_view Trim(std::wstring_view s) {
  while (!s.empty() && IsTrimmed(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsTrimmed(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

std::wstring FormatRangeLine(const ErrorRange& r) {
  // Names are appended, not formatted, so that they pass whole.
  return WFormat(L"%u|%u|%u|", r.codeFrom, r.codeTo, r.flags) + r.libraryName + L"|" + r.rangeName;
}

bool ParseRangeLine(std::wstring_view line, ErrorRange& r) {
  std::wstring_view fields[5];
  std::wstring_view rest = line;
  for (int i = 0; i < 4; ++i) {
    const size_t bar = rest.find(L'|');
    if (bar == std::wstring_view::npos) return Fail(ERROR_SEPARATOR_MISSING);
    fields[i] = rest.substr(0, bar);
    rest.remove_prefix(bar + 1);
  }
  fields[4] = rest;

  ErrorRange out;
  if (!ScanCode32(fields[0], 10, out.codeFrom) || !ScanCode32(fields[1], 10, out.codeTo) ||
      !ScanCode32(fields[2], 10, out.flags))
    return Fail(ERROR_BAD_FORMAT);
  if (!AreRangeFlagsValid(out.flags)) return Fail(ERROR_INVALID_FLAG_NUMBER);
  out.libraryName.assign(fields[3]);
  out.rangeName.assign(fields[4]);
  // The limits of the stored forms, so that whatever is read can be saved.
  if (Utf16Length(out.libraryName) > kMaxLibraryNameLength)
    return Fail(ERROR_FILENAME_EXCED_RANGE);
  if (Utf16Length(out.rangeName) > kMaxRangeNameLength) return Fail(ERROR_NAME_TOO_LONG);
  r = std::move(out);
  return true;
}

std::wstring FormatRangeLines(std::span<const ErrorRange> list) {
  std::wstring out;
  for (const ErrorRange& r : list) {
    if (!out.empty()) out += L"\r\n";
    out += FormatRangeLine(r);
  }
  return out;
}

bool ParseRangeLines(std::wstring_view text, std::vector<ErrorRange>& list, size_t& badLine) {
  badLine = 0;
  std::vector<ErrorRange> out;
  size_t lineNo = 0;
  while (!text.empty() || lineNo == 0) {
    ++lineNo;
    const size_t lf = text.find(L'\n');
    std::wstring_view line = Trim(text.substr(0, lf));
    text = lf == std::wstring_view::npos ? std::wstring_view() : text.substr(lf + 1);
    if (line.empty()) continue;
    if (out.size() == kMaxErrorRanges) {
      badLine = lineNo;
      return Fail(ERROR_TOO_MANY_CMDS);
    }
    ErrorRange r;
    if (!ParseRangeLine(line, r)) {
      badLine = lineNo;
      return false;
    }
    out.push_back(std::move(r));
  }
  list = std::move(out);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool PasteRangeLines(std::vector<ErrorRange>& list, size_t insertAt, std::wstring_view text,
                     size_t& added, size_t& badLine) {
  added = 0;
  std::vector<ErrorRange> pasted;
  if (!ParseRangeLines(text, pasted, badLine)) return false;
  if (list.size() + pasted.size() > kMaxErrorRanges) return Fail(ERROR_TOO_MANY_CMDS);
  if (insertAt > list.size()) insertAt = list.size();
  list.insert(list.begin() + std::ptrdiff_t(insertAt), pasted.begin(), pasted.end());
  added = pasted.size();
  return true;
}

}  // namespace tarnix
