#include "symbolsearch/search_criteria.h"

#include <sys/stat.h>

#include <cerrno>

#include "core/error_text.h"
#include "core/wformat.h"
#include "pe/look_in.h"
#include "platform/environment.h"
#include "platform/errno_map.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

CriteriaOutcome Refuse(CriteriaControl control, std::wstring message) {
  CriteriaOutcome r;
  r.control = control;
  r.message = std::move(message);
  return r;
}

// Appends the separator the folder already uses ("/" or "\"), else this
// platform's.
std::wstring WithTrailingSeparator(std::wstring folder) {
  const wchar_t last = folder.back();
  if (last == L'/' || last == L'\\') return folder;
  const size_t at = folder.find_last_of(L"/\\");
  folder += at == std::wstring::npos ? L'/' : folder[at];
  return folder;
}

// 0 when `folder` is an existing folder, else the Win32 code of the failure.
uint32_t CheckFolder(const std::wstring& folder) {
  struct stat st;
  if (stat(ToUtf8(folder).c_str(), &st) != 0) return Win32FromErrno(errno);
  return S_ISDIR(st.st_mode) ? 0 : ERROR_DIRECTORY;
}

std::wstring RegexRefusal(const wchar_t* which, const std::wstring& text, uint32_t grammar,
                          const RegexCompileError& error) {
  return WFormat(L"Failed to evaluate the regular expression for the '%ls' search string:\n\n"
                 L"%ls\n\nSyntax: %ls\n\nComponent: %d\nERROR: %ls",
                 which, text.c_str(), RegexGrammarName(grammar).c_str(), error.component + 1,
                 error.text.c_str());
}

}  // namespace

bool FileTimeToTimeStampSeconds(uint64_t fileTime, uint32_t& seconds) {
  seconds = 0;
  if (fileTime == 0) return true;
  // Computed unsigned: a time before 1970 wraps to a huge value.
  const uint64_t s = (fileTime - kFileTimeOfUnixEpoch) / kFileTimePerSecond;
  if (s > 0xFFFFFFFFull) return false;
  seconds = static_cast<uint32_t>(s);
  return true;
}

CriteriaOutcome ValidateAndBuildSearch(const SearchCriteriaInput& in, bool interactive,
                                       const CriteriaQuestion& ask, SearchParams& out) {
  out = SearchParams();
  out.regexGrammar = in.regexGrammar;

  std::wstring folder = TrimSearchText(in.folder);
  if (folder.empty()) return Refuse(CriteriaControl::kFolder, L"Provide a folder path to search");
  folder = ExpandEnvironmentStrings(WithTrailingSeparator(std::move(folder)));
  if (const uint32_t code = CheckFolder(folder)) {
    return Refuse(CriteriaControl::kFolder,
                  WFormat(L"Failed to find the following search folder:\n\n%ls\n\n%ls",
                          folder.c_str(), ErrorText(code).c_str()));
  }
  out.folder = std::move(folder);
  out.includeSubfolders = in.includeSubfolders;

  out.fileName = in.fileName;
  out.fileName.text = TrimSearchText(in.fileName.text);
  out.fileName.matchesAll = false;
  if (out.fileName.text.find(L':') != std::wstring::npos) {
    return Refuse(CriteriaControl::kFileName,
                  WFormat(L"'File Name' field must contain file name only.\n\n"
                          L"The following is not accepted:\n\n%ls",
                          out.fileName.text.c_str()));
  }
  RegexCompileError error;
  if (out.fileName.regex && !ValidateSearchString(out.fileName.text, out.regexGrammar,
                                                  out.fileName.caseSensitive, error)) {
    return Refuse(CriteriaControl::kFileName,
                  RegexRefusal(L"File Name", out.fileName.text, out.regexGrammar, error));
  }

  if (in.searchFor != kSearchForSymbols && in.searchFor != kSearchForImportLibs)
    return Refuse(CriteriaControl::kSearchFor, L"Select what to search for");
  out.searchFor = in.searchFor;

  out.search = in.search;
  out.search.text = TrimSearchText(in.search.text);
  out.search.matchesAll = false;
  if (out.search.regex && !ValidateSearchString(out.search.text, out.regexGrammar,
                                                out.search.caseSensitive, error)) {
    return Refuse(CriteriaControl::kSearchText,
                  RegexRefusal(L"Search For", out.search.text, out.regexGrammar, error));
  }

  out.lookIn = in.lookIn;

  if (in.presentAs != kPresentSymbolsInModules && in.presentAs != kPresentModulesOnly)
    return Refuse(CriteriaControl::kPresentAs, L"Select how to present results");
  if (in.searchFor == kSearchForImportLibs && in.presentAs != kPresentModulesOnly)
    return Refuse(CriteriaControl::kPresentAs,
                  L"Incorrect selection in 'Present Results As' control");
  out.presentAs = in.presentAs;

  CriteriaOutcome go;
  go.start = true;
  if (!in.peFiltersShown) return go;

  out.imageTypes = in.imageTypes;
  out.subsystems = in.subsystems;
  out.characteristicsMask = in.characteristicsMask;
  out.characteristicsValues = in.characteristicsValues;
  out.directoriesMask = in.directoriesMask;
  out.directoriesValues = in.directoriesValues;
  out.timeStampFrom = in.timeStampFrom;
  out.timeStampTo = in.timeStampTo;
  if (!FileTimeToTimeStampSeconds(in.timeStampFrom, out.fromSeconds))
    return Refuse(CriteriaControl::kTimeStampFrom,
                  L"PE Header Filter TimeStamp 'FROM' date is invalid");
  if (!FileTimeToTimeStampSeconds(in.timeStampTo, out.toSeconds))
    return Refuse(CriteriaControl::kTimeStampTo,
                  L"PE Header Filter TimeStamp 'TO' date is invalid");

  if (in.timeStampFrom && in.timeStampTo && in.timeStampTo < in.timeStampFrom && interactive) {
    const QuestionAnswer answer =
        ask ? ask(L"PE Header Filter TimeStamp 'FROM' date follows 'TO' date.\n\n"
                  L"Do you want to continue?",
                  kFromFollowsToBoxType, CriteriaControl::kTimeStampTo)
            : QuestionAnswer::kNo;
    if (answer != QuestionAnswer::kYes) {
      CriteriaOutcome declined;
      declined.control = CriteriaControl::kTimeStampTo;
      return declined;
    }
  }
  return go;
}

}  // namespace tarnix
