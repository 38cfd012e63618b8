#pragma once
// The settings sheet's pages without their widgets: what each page's
// controls hold, their defaults, the checks a confirmed page makes (in the
// page's order, the first invalid field with its message) and the writes
// through the settings setters. The General and Error Search pages keep
// their number fields as typed, so a check sees exactly what the user sees.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/program_settings.h"

namespace tarnix {

struct MessageBoxRow;

// The first field of a page that is not valid and its message; field -1
// when every field is.
struct PageCheck {
  int field = -1;
  std::wstring message;
  bool ok() const { return field < 0; }
};

// General.
enum GeneralField : int {
  kGeneralHelpZoom,
  kGeneralMruEntries,
  kGeneralOnlineSearchUrl,
  kGeneralGrammar,
  kGeneralStatusOutputSize,
};

struct GeneralPageInput {
  std::wstring helpZoom;
  std::wstring mruEntries;
  std::wstring onlineSearchUrl;
  bool emptyMatchesAll = true;
  uint32_t grammar = 1;
  std::wstring statusOutputSize;
  bool clearStatusOutput = true;
  bool undecorateNames = true;
  uint32_t undecorationFlags = 2;
  bool errorBeepWithoutBox = true;
  bool reportOnlineLinks = true;
  bool reportStatusOutput = true;
  bool autoScrollResults = false;
  bool cacheSymbols = true;
};

GeneralPageInput GeneralPageDefaults();
// The values in effect: the snapshot's, and the help zoom and history
// length as the store holds them.
GeneralPageInput GeneralPageOf(const ProgramSettings& snapshot);
PageCheck CheckGeneralPage(const GeneralPageInput& in);
// Checks the page and, when it is valid, writes every value through its
// setter (a failed write is logged and the rest still written).
PageCheck StoreGeneralPage(ProgramSettings& snapshot, const GeneralPageInput& in);

// Error Search.
enum ErrorSearchField : int {
  kErrSearchResultsSize,
  kErrSearchCodeOutputSize,
  kErrSearchFileExts,
};

struct ErrorSearchPageInput {
  std::wstring errMsgResultsSize;
  bool errMsgWarnOverflow = true;
  std::wstring errCodeOutputSize;
  bool errCodeClearOutput = true;
  std::wstring fileExts;  // as typed: ".exe, .dll"
};

ErrorSearchPageInput ErrorSearchPageDefaults();
ErrorSearchPageInput ErrorSearchPageOf(const ProgramSettings& snapshot);
PageCheck CheckErrorSearchPage(const ErrorSearchPageInput& in);
PageCheck StoreErrorSearchPage(ProgramSettings& snapshot, const ErrorSearchPageInput& in);

// A number field: decimal digits with an optional sign, white space
// around them ignored.
bool ParsePageNumber(std::wstring_view text, int64_t& value);

// The extension field: the text split at "," and ";", each item trimmed,
// empty items and repeats (ignoring case) dropped; every item begins with
// "." and has two characters or more, holds none of  " * / : < > ? \ | and
// no white space, and has at most the 129 characters the stored list keeps.
// False with the message for the first item that does not.
bool ParseFileExtensionList(std::wstring_view text, std::vector<std::wstring>& extensions,
                            std::wstring& message);
// The list as the field shows it: ".exe, .dll".
std::wstring JoinFileExtensions(const std::vector<std::wstring>& extensions);
// The field's ready lists: empty, four shorter ones and the full default.
std::vector<std::wstring> FileExtensionPresets();

// The grammar box's values in its order (1, 2, 4, 8, 16, 32) and the text
// of each ("ECMAScript syntax", ...).
std::vector<uint32_t> RegexGrammarChoices();
std::wstring RegexGrammarChoiceText(uint32_t grammar);

// The note under the URL field, with the placeholder.
std::wstring OnlineSearchUrlNote();
// The word the "Try" link searches for.
inline constexpr wchar_t kTryOnlineSearchWord[] = L"Test search";

// Message Boxes: one row of the list.
struct MessageBoxChoice {
  const MessageBoxRow* row = nullptr;
  bool shown = true;  // checked: the box is shown
  int answer = 0;     // the "User selection"
};

// The rows as stored: shown unless suppressed, the stored answer.
std::vector<MessageBoxChoice> LoadMessageBoxChoices();
// Every row shown with its default answer.
std::vector<MessageBoxChoice> DefaultMessageBoxChoices();
// Stores every row's answer (removed when it is not one the row may keep)
// and its suppression flag, then announces the change. False when some
// write failed (each is logged).
bool StoreMessageBoxChoices(const std::vector<MessageBoxChoice>& choices);
// "Yes", "No", "OK", "Cancel"; empty for another value.
std::wstring AnswerText(int answer);
// The answers the row's "User Selection" offers, in menu order.
std::vector<int> OfferedAnswers(const MessageBoxRow& row);

}  // namespace tarnix
