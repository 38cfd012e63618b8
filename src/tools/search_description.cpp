#include "tools/search_description.h"

#include "core/wformat.h"
#include "pe/look_in.h"
#include "symbolsearch/filter_description.h"
#include "symbolsearch/regex_grammar.h"

namespace tarnix {
namespace {

const wchar_t* YesNo(bool b) { return b ? L"Yes" : L"No"; }

std::wstring WholeWords(const SearchStringSpec& s) {
  return s.regex ? std::wstring() : WFormat(L", WholeWords=%ls", YesNo(s.wholeWords));
}

// The status line joins its lists without blanks around the bars.
std::wstring Tight(std::wstring text) {
  for (size_t at = 0; (at = text.find(L" | ", at)) != std::wstring::npos;) text.replace(at, 3, L"|");
  return text;
}

}  // namespace

std::wstring SearchCriteriaDescription(const SearchParams& p) {
  const bool anyRegex = p.fileName.regex || p.search.regex;
  return WFormat(
      L"SearchFolder=\"%ls\" (%ls), SearchFiles:{\"%ls\", Regex=%ls, CaseSensitive=%ls%ls}, "
      L"SearchFor=\"%ls\", SearchString:{\"%ls\", Regex=%ls, CaseSensitive=%ls%ls}, "
      L"LookIn=\"%ls\", PE Filter:{Type=\"%ls\", Subsystems=\"%ls\", Characteristics=\"%ls\", "
      L"Directories=\"%ls\", TimeFrom=\"%ls\", TimeTo=\"%ls\"}, PresentAs=\"%ls\"%ls",
      p.folder.c_str(), p.includeSubfolders ? L"With subfolders" : L"No subfolders",
      p.fileName.text.c_str(), YesNo(p.fileName.regex), YesNo(p.fileName.caseSensitive),
      WholeWords(p.fileName).c_str(), p.searchFor == kSearchForImportLibs ? L"ImportLibs" : L"WinAPIs",
      p.search.text.c_str(), YesNo(p.search.regex), YesNo(p.search.caseSensitive),
      WholeWords(p.search).c_str(), p.lookIn ? Tight(DescribeLookIn(p.lookIn)).c_str() : L"All",
      Tight(DescribeImageTypes(p.imageTypes)).c_str(), Tight(DescribeSubsystems(p.subsystems)).c_str(),
      Tight(DescribeCharacteristics(p.characteristicsMask, p.characteristicsValues)).c_str(),
      Tight(DescribeDirectories(p.directoriesMask, p.directoriesValues)).c_str(),
      DescribeTimeBound(p.timeStampFrom).c_str(), DescribeTimeBound(p.timeStampTo).c_str(),
      p.presentAs == kPresentModulesOnly ? L"Modules" : L"APIs-in-Modules",
      anyRegex ? WFormat(L", RegexGrammar=\"%ls\"", RegexGrammarName(p.regexGrammar).c_str()).c_str()
               : L"");
}

}  // namespace tarnix
