#include "results/report_inputs.h"

#include "core/program_settings.h"
#include "symbolsearch/regex_grammar.h"

namespace tarnix {

ReportCriteria ReportCriteriaFromSearch(const SearchParams& params) {
  ReportCriteria c;
  c.folder = params.folder;
  c.subfolders = params.includeSubfolders;
  c.fileName = params.fileName.text;
  c.fileNameRegex = params.fileName.regex;
  c.fileNameCase = params.fileName.caseSensitive;
  c.fileNameWords = params.fileName.wholeWords;
  c.searchFor = params.searchFor;
  c.searchText = params.search.text;
  c.searchRegex = params.search.regex;
  c.searchCase = params.search.caseSensitive;
  c.searchWords = params.search.wholeWords;
  c.grammarName = RegexGrammarName(params.regexGrammar & kGrammarBits);
  c.lookIn = params.lookIn;
  c.presentAs = params.presentAs;
  c.types = params.imageTypes;
  c.subsystems = params.subsystems;
  c.charsMask = params.characteristicsMask;
  c.charsValues = params.characteristicsValues;
  c.dirsMask = params.directoriesMask;
  c.dirsValues = params.directoriesValues;
  c.fromFileTime = params.timeStampFrom;
  c.toFileTime = params.timeStampTo;
  return c;
}

ReportOptions ReportOptionsFromSettings(const ProgramSettings& settings, std::wstring statusText) {
  ReportOptions o;
  o.links = settings.reportOnlineLinks;
  o.statusSection = settings.reportStatusOutput;
  o.urlTemplate = settings.onlineSearchUrl;
  o.statusText = std::move(statusText);
  return o;
}

}  // namespace tarnix
