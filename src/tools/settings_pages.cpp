#include "tools/settings_pages.h"

#include <cwchar>

#include "core/event_log.h"
#include "core/registry_settings.h"
#include "core/setting_changes.h"
#include "core/setting_names.h"
#include "core/sheet_settings.h"
#include "core/wformat.h"
#include "core/window_settings.h"
#include "platform/char_class.h"
#include "platform/last_error.h"
#include "symbolsearch/regex_grammar.h"
#include "tools/message_box_table.h"

namespace tarnix {
namespace {

std::wstring Number(int64_t value) { return std::to_wstring(value); }

// A number field within [min, max]; the bounds message otherwise.
bool CheckNumber(std::wstring_view text, int64_t min, int64_t max, const wchar_t* format, int64_t& value,
                 std::wstring& message) {
  if (ParsePageNumber(text, value) && value >= min && value <= max) return true;
  message = WFormat(format, static_cast<int>(min), static_cast<int>(max));
  return false;
}

PageCheck Fail(int field, std::wstring message) { return PageCheck{field, std::move(message)}; }

// A setter that failed is logged at its site with the value; the page
// still closes.
void Logged(bool stored, int site, const wchar_t* format, int64_t value) {
  if (!stored) EventLog::LogSiteFormat(site, format, static_cast<long long>(value));
}

bool IsIllegalExtensionChar(wchar_t c) {
  return std::wcschr(L"\"*/:<>?\\| \t\r\n", c) != nullptr && c != 0;
}

}  // namespace

bool ParsePageNumber(std::wstring_view text, int64_t& value) {
  const std::wstring_view t = TrimWhiteSpace(text);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == L'-' || t[i] == L'+')) negative = t[i++] == L'-';
  if (i == t.size()) return false;
  int64_t v = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < L'0' || t[i] > L'9') return false;
    if (v > (INT64_MAX - 9) / 10) return false;  // far beyond every bound
    v = v * 10 + (t[i] - L'0');
  }
  value = negative ? -v : v;
  return true;
}

// General.

GeneralPageInput GeneralPageDefaults() {
  GeneralPageInput in;
  in.helpZoom = L"100";
  in.mruEntries = Number(kMruEntriesDefault);
  in.onlineSearchUrl = kDefaultOnlineSearchUrl;
  in.statusOutputSize = Number(kOutputBufferDefault);
  return in;  // the rest are the struct's defaults
}

GeneralPageInput GeneralPageOf(const ProgramSettings& s) {
  const RegistrySettings store;
  GeneralPageInput in;
  in.helpZoom = Number(ReadHelpZoom(store));
  in.mruEntries = Number(ReadMruNumEntries(store));
  in.onlineSearchUrl = s.onlineSearchUrl;
  in.emptyMatchesAll = s.emptySearchMatchesAll;
  in.grammar = s.regexGrammar;
  in.statusOutputSize = Number(s.tarnixOutputMaxChars);
  in.clearStatusOutput = s.clearOutputBeforeSearch;
  in.undecorateNames = s.undecorateCppNames;
  in.undecorationFlags = s.undecorationFlags;
  in.errorBeepWithoutBox = s.errorBeepWithoutBox;
  in.reportOnlineLinks = s.reportOnlineLinks;
  in.reportStatusOutput = s.reportStatusOutput;
  in.autoScrollResults = s.autoScrollResults;
  in.cacheSymbols = s.cacheSymbols;
  return in;
}

namespace {

struct GeneralNumbers {
  int64_t helpZoom = 0, mruEntries = 0, statusOutputSize = 0;
};

PageCheck CheckGeneral(const GeneralPageInput& in, GeneralNumbers& n) {
  std::wstring message;
  if (!CheckNumber(in.helpZoom, kHelpZoomMin, kHelpZoomMax,
                   L"Information window text magnification cannot be less than %d or greater than %d.",
                   n.helpZoom, message))
    return Fail(kGeneralHelpZoom, message);
  if (!CheckNumber(in.mruEntries, kMruEntriesMin, kMruEntriesMax,
                   L"Maximum number of MRU items cannot be less than %d or greater than %d.", n.mruEntries,
                   message))
    return Fail(kGeneralMruEntries, message);
  const std::wstring_view url = TrimWhiteSpace(in.onlineSearchUrl);
  if (url.empty()) return Fail(kGeneralOnlineSearchUrl, L"Online search query URL cannot be empty");
  if (url.find(kOnlineSearchPlaceholder) == std::wstring_view::npos)
    return Fail(kGeneralOnlineSearchUrl,
                WFormat(L"Online search query URL needs to contain %ls as a placeholder for the search word.",
                        kOnlineSearchPlaceholder));
  // The program opens only web addresses; the stored value obeys the same rule.
  if (!IsValidOnlineSearchUrl(url))
    return Fail(kGeneralOnlineSearchUrl,
                L"Online search query URL must be an http:// or https:// address without spaces.");
  if (NormalizeRegexGrammar(in.grammar) != in.grammar)
    return Fail(kGeneralGrammar, L"Selection for 'Regex grammar to use for search' is invalid.");
  if (!CheckNumber(in.statusOutputSize, kOutputBufferMin, kOutputBufferMax,
                   L"Maximum size of the status output window cannot be less than %d or greater than %d.",
                   n.statusOutputSize, message))
    return Fail(kGeneralStatusOutputSize, message);
  return {};
}

}  // namespace

PageCheck CheckGeneralPage(const GeneralPageInput& in) {
  GeneralNumbers n;
  return CheckGeneral(in, n);
}

PageCheck StoreGeneralPage(ProgramSettings& s, const GeneralPageInput& in) {
  GeneralNumbers n;
  PageCheck check = CheckGeneral(in, n);
  if (!check.ok()) return check;
  Logged(WriteHelpZoom(RegistrySettings(), static_cast<int32_t>(n.helpZoom)), 150, L"p=%lld", n.helpZoom);
  Logged(WriteMruNumEntries(static_cast<uint32_t>(n.mruEntries)), 151, L"max=%lld", n.mruEntries);
  if (!WriteOnlineSearchUrl(s, in.onlineSearchUrl))
    EventLog::LogSiteFormat(152, L"url=%ls", in.onlineSearchUrl.c_str());
  Logged(WriteProgramFlag(s, ProgramFlag::kEmptySearchMatchesAll, in.emptyMatchesAll), 153, L"v=%lld",
         in.emptyMatchesAll);
  Logged(WriteRegexGrammar(s, in.grammar), 154, L"v=%lld", in.grammar);
  Logged(WriteOutputSize(s, OutputSize::kStatusOutput, static_cast<uint32_t>(n.statusOutputSize)), 155, L"sz=%lld",
         n.statusOutputSize);
  Logged(WriteProgramFlag(s, ProgramFlag::kClearStatusOutput, in.clearStatusOutput), 156, L"v=%lld",
         in.clearStatusOutput);
  Logged(WriteProgramFlag(s, ProgramFlag::kUndecorateNames, in.undecorateNames), 157, L"v=%lld",
         in.undecorateNames);
  Logged(WriteUndecorationFlags(s, in.undecorationFlags), 158, L"v=%lld", in.undecorationFlags);
  Logged(WriteProgramFlag(s, ProgramFlag::kErrorBeepWithoutBox, in.errorBeepWithoutBox), 159, L"v=%lld",
         in.errorBeepWithoutBox);
  Logged(WriteProgramFlag(s, ProgramFlag::kReportOnlineLinks, in.reportOnlineLinks), 160, L"v=%lld",
         in.reportOnlineLinks);
  Logged(WriteProgramFlag(s, ProgramFlag::kReportStatusOutput, in.reportStatusOutput), 161, L"v=%lld",
         in.reportStatusOutput);
  Logged(WriteProgramFlag(s, ProgramFlag::kAutoScrollResults, in.autoScrollResults), 162, L"v=%lld",
         in.autoScrollResults);
  Logged(WriteCacheSymbols(s, in.cacheSymbols), 168, L"v=%lld", in.cacheSymbols);
  return check;
}

// Error Search.

ErrorSearchPageInput ErrorSearchPageDefaults() {
  ErrorSearchPageInput in;
  in.errMsgResultsSize = Number(kOutputBufferDefault);
  in.errCodeOutputSize = Number(kOutputBufferDefault);
  in.fileExts = JoinFileExtensions(DefaultErrCodeSrchFileExts());
  return in;
}

ErrorSearchPageInput ErrorSearchPageOf(const ProgramSettings& s) {
  ErrorSearchPageInput in;
  in.errMsgResultsSize = Number(s.errMsgResultsMaxChars);
  in.errMsgWarnOverflow = s.errMsgWarnOverflow;
  in.errCodeOutputSize = Number(s.errCodeOutputMaxChars);
  in.errCodeClearOutput = s.errCodeClearOutputBeforeSearch;
  in.fileExts = JoinFileExtensions(ReadErrCodeSrchFileExts(RegistrySettings()));
  return in;
}

namespace {

struct ErrorSearchValues {
  int64_t resultsSize = 0, codeOutputSize = 0;
  std::vector<std::wstring> extensions;
};

PageCheck CheckErrorSearch(const ErrorSearchPageInput& in, ErrorSearchValues& v) {
  std::wstring message;
  if (!CheckNumber(in.errMsgResultsSize, kOutputBufferMin, kOutputBufferMax,
                   L"Maximum size of the results window for 'Error Message Search' cannot be less than %d or "
                   L"greater than %d.",
                   v.resultsSize, message))
    return Fail(kErrSearchResultsSize, message);
  if (!CheckNumber(in.errCodeOutputSize, kOutputBufferMin, kOutputBufferMax,
                   L"Maximum size of the status output window for 'Error Code Search' cannot be less than %d or "
                   L"greater than %d.",
                   v.codeOutputSize, message))
    return Fail(kErrSearchCodeOutputSize, message);
  if (!ParseFileExtensionList(in.fileExts, v.extensions, message)) return Fail(kErrSearchFileExts, message);
  return {};
}

}  // namespace

PageCheck CheckErrorSearchPage(const ErrorSearchPageInput& in) {
  ErrorSearchValues v;
  return CheckErrorSearch(in, v);
}

PageCheck StoreErrorSearchPage(ProgramSettings& s, const ErrorSearchPageInput& in) {
  ErrorSearchValues v;
  PageCheck check = CheckErrorSearch(in, v);
  if (!check.ok()) return check;
  Logged(WriteOutputSize(s, OutputSize::kErrMsgResults, static_cast<uint32_t>(v.resultsSize)), 163, L"sz=%lld",
         v.resultsSize);
  Logged(WriteProgramFlag(s, ProgramFlag::kErrMsgWarnOverflow, in.errMsgWarnOverflow), 164, L"v=%lld",
         in.errMsgWarnOverflow);
  Logged(WriteOutputSize(s, OutputSize::kErrCodeOutput, static_cast<uint32_t>(v.codeOutputSize)), 165, L"sz=%lld",
         v.codeOutputSize);
  Logged(WriteProgramFlag(s, ProgramFlag::kErrCodeClearOutput, in.errCodeClearOutput), 166, L"v=%lld",
         in.errCodeClearOutput);
  Logged(WriteErrCodeSrchFileExts(v.extensions), 167, L"sz=%lld", static_cast<int64_t>(v.extensions.size()));
  return check;
}

bool ParseFileExtensionList(std::wstring_view text, std::vector<std::wstring>& extensions, std::wstring& message) {
  extensions.clear();
  const std::wstring_view all = TrimWhiteSpace(text);
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find_first_of(L",;", start);
    if (end == std::wstring_view::npos) end = all.size();
    const std::wstring_view item = TrimWhiteSpace(all.substr(start, end - start));
    start = end + 1;
    if (item.empty()) continue;
    if (item.size() < 2 || item[0] != L'.') {
      message =
          L"File extensions for filtering error code search files must begin with a dot. Separate multiple "
          L"extensions with a comma. Example:\n\n.exe, .dll, .sys";
      return false;
    }
    for (wchar_t c : item)
      if (IsIllegalExtensionChar(c)) {
        message = L"The following file extension contains illegal characters:\n\n" + std::wstring(item) +
                  L"\n\nDon't use any of the following: spaces \\ / ? < > | * : \"";
        return false;
      }
    // No longer than the stored list keeps, so nothing accepted here is
    // lost when it is read back.
    if (item.size() > kErrCodeSrchFileExtMaxChars) {
      message = L"The following file extension is too long:\n\n" + std::wstring(item);
      return false;
    }
    bool repeated = false;
    for (const std::wstring& kept : extensions) repeated = repeated || EqualsNoCase(kept, item);
    if (!repeated) extensions.emplace_back(item);
  }
  return true;
}

std::wstring JoinFileExtensions(const std::vector<std::wstring>& extensions) {
  std::wstring out;
  for (const std::wstring& e : extensions) {
    if (!out.empty()) out += L", ";
    out += e;
  }
  return out;
}

std::vector<std::wstring> FileExtensionPresets() {
  return {L"",
          L".exe, .dll",
          L".exe, .dll, .sys",
          L".exe, .dll, .sys, .drv",
          L".exe, .dll, .scr, .cpl, .ocx",
          L".exe, .dll, .sys, .drv, .scr, .cpl, .ocx",
          JoinFileExtensions(DefaultErrCodeSrchFileExts())};
}

std::vector<uint32_t> RegexGrammarChoices() {
  return {kGrammarECMAScript, kGrammarBasic, kGrammarExtended, kGrammarAwk, kGrammarGrep, kGrammarEgrep};
}

std::wstring RegexGrammarChoiceText(uint32_t grammar) { return RegexGrammarName(grammar) + L" syntax"; }

std::wstring OnlineSearchUrlNote() {
  return WFormat(L"(Query string must contain %ls as a placeholder for the search word.)", kOnlineSearchPlaceholder);
}

// Message Boxes.

std::vector<MessageBoxChoice> LoadMessageBoxChoices() {
  std::vector<MessageBoxChoice> out;
  for (const MessageBoxRow& row : MessageBoxTable()) out.push_back({&row, !IsSuppressed(row), StoredAnswer(row)});
  return out;
}

std::vector<MessageBoxChoice> DefaultMessageBoxChoices() {
  std::vector<MessageBoxChoice> out;
  for (const MessageBoxRow& row : MessageBoxTable()) out.push_back({&row, true, row.defaultAnswer});
  return out;
}

bool StoreMessageBoxChoices(const std::vector<MessageBoxChoice>& choices) {
  bool all = true;
  for (const MessageBoxChoice& c : choices) {
    if (!c.row) continue;
    if (IsStorableAnswer(*c.row, c.answer)) {
      if (!StoreAnswer(*c.row, c.answer)) {
        EventLog::LogSiteFormat(182, L"id=%d, v=%d", c.row->id, c.answer);
        all = false;
      }
    } else if (!RemoveStoredAnswer(*c.row)) {
      EventLog::LogSiteFormat(183, L"id=%d", c.row->id);
      all = false;
    }
    if (!SetSuppressed(*c.row, !c.shown)) {
      EventLog::LogSiteFormat(c.shown ? 184 : 185, L"id=%d", c.row->id);
      all = false;
    }
  }
  NotifySettingChanged(SettingId::kMessageBoxes);
  return all;
}

std::wstring AnswerText(int answer) {
  switch (answer) {
    case kAnswerYes: return L"Yes";
    case kAnswerNo: return L"No";
    case kAnswerOk: return L"OK";
    case kAnswerCancel: return L"Cancel";
    default: return {};
  }
}

std::vector<int> OfferedAnswers(const MessageBoxRow& row) {
  std::vector<int> out;
  for (int a : {kAnswerYes, kAnswerNo, kAnswerOk, kAnswerCancel})
    if (IsStorableAnswer(row, a)) out.push_back(a);
  return out;
}

}  // namespace tarnix
