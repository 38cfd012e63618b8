#pragma once
// The criteria of one symbol search. Built on the UI thread by
// ValidateAndBuildSearch, completed by PrepareSearchStart when the search
// starts, then copied whole into each worker (the strings deep-copied; the
// stop flag, the window and the statistics stay shared).
#include <cstdint>
#include <string>

#include "core/stop_flag.h"
#include "platform/message_target.h"
#include "platform/time_utils.h"
#include "symbolsearch/regex_grammar.h"
#include "symbolsearch/search_string.h"

namespace tarnix {

// The window's counters of a running search (files searched, errors,
// warnings, the size-scan outcome), shared with the workers under its lock.
struct SearchStatistics;

struct SearchParams {
  StopFlag* stopFlag = nullptr;
  MessageTarget* window = nullptr;
  SearchStatistics* statistics = nullptr;

  // Settings copied when the search starts.
  bool emptyMatchesAll = false;     // "EmptySrchStrAsMatchAll"
  bool undecorate = false;          // "UndecorCppNames"
  uint32_t undecorationFlags = 0;   // "UndecorCppNamesFlags"
  uint32_t readers = 1;             // threads reading images ("SrchReadThreads")
  bool sizeScan = true;             // add up the sizes for progress in bytes
  std::string cachePath;            // the symbol cache's file; empty: no cache
  uint64_t cacheLimitBytes = 0;

  std::wstring folder;  // environment variables expanded, ending with a separator
  bool includeSubfolders = false;
  SearchStringSpec fileName;  // 'File Name' and its options; matchesAll derived at start

  uint32_t searchFor = 0;  // SearchFor: 1 symbols, 2 imported libraries ("SrchFor")
  uint32_t lookIn = 0;     // LookInBits ("SrchLookIn")
  SearchStringSpec search;  // 'Search For' and its options

  // PE header filters; 0 = any / not examined.
  uint32_t imageTypes = 0;             // ImageType bits ("SrchPEType")
  uint64_t subsystems = 0;             // "SrchPESubsys"
  uint64_t characteristicsMask = 0;    // "SrchPECharsM"
  uint64_t characteristicsValues = 0;  // "SrchPECharsV"
  uint64_t directoriesMask = 0;        // "SrchPEDirsM"
  uint64_t directoriesValues = 0;      // "SrchPEDirsV"
  uint64_t timeStampFrom = 0;          // FILETIME; "SrchPETsFrom"
  uint64_t timeStampTo = 0;            // FILETIME; "SrchPETsTo"
  uint32_t fromSeconds = 0;            // the same as seconds since 1970
  uint32_t toSeconds = 0;

  uint32_t presentAs = 0;  // PresentAs: 1 symbols in modules, 2 modules only
  uint32_t regexGrammar = kDefaultRegexSyntax;  // "reGrammar" once copied

  // Progress throttling of the worker.
  uint32_t lastPostTick = TickCount();
  uint64_t lastPostedProgress = UINT64_MAX;
  int32_t fileNameCountdown = 0;
};

// The settings a search copies when it starts.
struct SearchStartSettings {
  bool emptyMatchesAll = true;     // "EmptySrchStrAsMatchAll", default 1
  bool undecorate = true;          // "UndecorCppNames", default 1
  uint32_t undecorationFlags = 2;  // "UndecorCppNamesFlags", default UNDNAME_NO_MS_KEYWORDS
  uint32_t readers = 0;            // "SrchReadThreads": threads reading images; 0: the default
  // Whether the size scan adds up the sizes of the files for progress in
  // bytes; without it, it ends at once as not completed. A program that
  // shows no progress has no use for it.
  bool sizeScan = true;
  // The symbol cache ("SrchCacheSymbols", "SrchCacheLimitMiB"): off unless
  // the caller asks for it; `cachePath` empty means SymbolCachePath().
  bool cacheSymbols = false;
  uint32_t cacheLimitMiB = 256;   // the setting's default
  std::string cachePath{};
};

// Completes validated criteria for a start: cuts the characteristics and
// directory values to their masks, copies the settings and derives whether
// each search string matches everything.
void PrepareSearchStart(SearchParams& params, const SearchStartSettings& settings);

}  // namespace tarnix
