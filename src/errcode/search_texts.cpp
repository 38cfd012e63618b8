#include "errcode/search_texts.h"

#include "core/error_text.h"
#include "core/text_format.h"
#include "core/parse_error_code.h"
#include "core/wformat.h"
#include "platform/system_messages.h"
#include "platform/win_errors.h"

namespace tarnix {

std::wstring CodeShownByKind(uint32_t code, ErrorCodeKind kind) {
  switch (kind) {
    case ErrorCodeKind::Decimal:
      return WFormat(L"%d", static_cast<int32_t>(code));
    case ErrorCodeKind::Hexadecimal:
      return WFormat(static_cast<int32_t>(code) <= 0xFFFF ? L"0x%X" : L"0x%08X", code);
    default:
      return ErrorCodeToText(code);
  }
}

std::wstring ResultDisplayText(const ErrorCodeSearchResult& result) {
  std::wstring text = CodeShownByKind(result.code, result.kind);
  text += L" = ";
  for (wchar_t c : result.message) text += (c == L'\r' || c == L'\n') ? L' ' : c;
  // The final line break leaves no blanks behind (a TAB or the line's end
  // follows in every listing).
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.pop_back();
  return text;
}

std::vector<std::wstring> SearchStartLines(uint32_t code, ErrorCodeKind kind,
                                           const std::vector<SearchLocation>& locations) {
  std::vector<std::wstring> lines;
  lines.push_back(L"Initiating Search");
  lines.push_back(WFormat(L"ErrorCode=%ls, SearchPath(s)=%zu:", CodeShownByKind(code, kind).c_str(),
                          locations.size()));
  for (const SearchLocation& l : locations) {
    if (LocationKind(l.flags) == kLocationFile)
      lines.push_back(WFormat(L"[File]: \"%ls\"", l.path.c_str()));
    else
      lines.push_back(WFormat(L"[Folder]: \"%ls\"%ls", l.path.c_str(),
                              (l.flags & kLocationSubfolders) ? L" (with subfolders)" : L""));
  }
  return lines;
}

std::wstring SearchFinishedLine(bool completed, uint64_t matches, int64_t elapsedMs) {
  if (!completed) return L"Search was aborted...";
  return WFormat(L"Search finished, found %llu match(es) in %ls.",
                 static_cast<unsigned long long>(matches), FormatDuration(elapsedMs).c_str());
}

std::wstring InvalidLocationMessage(const SearchLocation& location, uint32_t error) {
  return WFormat(L"The following search %ls is not valid:\n\n%ls\n\n(%ls) %ls",
                 LocationKindName(location.flags), location.path.c_str(),
                 ErrorCodeToText(error).c_str(), ErrorDescription(error).c_str());
}

std::wstring ErrorCodeReadMessage(uint32_t error) {
  if (error == ERROR_NOTHING_ENTERED) return L"Provide an error code to search for.";
  // The reader's reasons are the program's own: their wording, no code.
  const wchar_t* own = OwnErrorDescription(error);
  std::wstring message = L"Failed to read provided error code:\n\n" + (own ? std::wstring(own) : ErrorDescription(error));
  if (error == ERROR_VALUE_TOO_LARGE) message += std::wstring(L"\n\n") + kErrorCodeRangeText;
  return message;
}

}  // namespace tarnix
