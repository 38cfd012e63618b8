#pragma once
// The program-wide settings: read once when the program starts, with their
// defaults, clamps and fall-backs, and changed afterwards only by the
// settings pages. Every window reads this snapshot rather than the store.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarnix {

class RegistrySettings;

// The search engine query used when "OnlineSearchURL" holds no "%S%".
extern const wchar_t kDefaultOnlineSearchUrl[];
// The placeholder that stands for the search text in that query.
inline constexpr wchar_t kOnlineSearchPlaceholder[] = L"%S%";

// True when `url` can be the online-search template: an "http://" or
// "https://" address (scheme in any case) with something after the scheme,
// no white space or control characters, and the placeholder "%S%". The
// one rule for the stored setting, the settings page and the report.
bool IsValidOnlineSearchUrl(std::wstring_view url);
// `url` when it is valid, else the default template.
std::wstring EffectiveOnlineSearchUrl(std::wstring_view url);

// The stored "reGrammar" as one of the six grammar values (1, 2, 4, 8, 16,
// 32): the lowest grammar bit of its low six bits, 1 (ECMAScript) when it
// has none. Other bits are dropped.
uint32_t NormalizeRegexGrammar(uint32_t stored);

// The limits of the three output sizes, in characters.
inline constexpr uint32_t kOutputBufferMin = 1000;
inline constexpr uint32_t kOutputBufferMax = 0x1000000;
inline constexpr uint32_t kOutputBufferDefault = 100000;

// The limits of "MRU_NumEntries" and "HelpZoom".
inline constexpr uint32_t kMruEntriesMin = 1, kMruEntriesMax = 64, kMruEntriesDefault = 24;
inline constexpr int32_t kHelpZoomMin = 20, kHelpZoomMax = 800;

// The limits of "SrchCacheLimitMiB", the symbol cache's size in MiB.
inline constexpr uint32_t kCacheLimitMinMiB = 1, kCacheLimitMaxMiB = 65536, kCacheLimitDefaultMiB = 256;

// "ShowCtrls" bits.
inline constexpr uint32_t kShowStatusOutput = 0x1;
inline constexpr uint32_t kShowPeFilters = 0x2;

namespace setting {
inline constexpr wchar_t kTarnixSrchOutputBuffMaxChLn[] = L"TarnixSrchOutputBuffMaxChLn";
inline constexpr wchar_t kTarnixSrchClearOutputBuffBeforeSrch[] = L"TarnixSrchClearOutputBuffBeforeSrch";
inline constexpr wchar_t kReGrammar[] = L"reGrammar";
inline constexpr wchar_t kEmptySrchStrAsMatchAll[] = L"EmptySrchStrAsMatchAll";
inline constexpr wchar_t kUndecorCppNames[] = L"UndecorCppNames";
inline constexpr wchar_t kUndecorCppNamesFlags[] = L"UndecorCppNamesFlags";
inline constexpr wchar_t kAutoScrollSrchResLst[] = L"AutoScrollSrchResLst";
inline constexpr wchar_t kErrBeepAfterSearchNoMsgBox[] = L"ErrBeepAfterSearchNoMsgBox";
inline constexpr wchar_t kUseOnlnSrchLnksOnWinApiResExp[] = L"UseOnlnSrchLnksOnWinApiResExp";
inline constexpr wchar_t kAddStatOtpToWinApiResExp[] = L"AddStatOtpToWinApiResExp";
inline constexpr wchar_t kErrMsgSrchResultsBuffMaxChLn[] = L"ErrMsgSrchResultsBuffMaxChLn";
inline constexpr wchar_t kErrMsgSrchWarnResultsOverflow[] = L"ErrMsgSrchWarnResultsOverflow";
inline constexpr wchar_t kOnlineSearchURL[] = L"OnlineSearchURL";
inline constexpr wchar_t kShowCtrls[] = L"ShowCtrls";
inline constexpr wchar_t kSrchFor[] = L"SrchFor";
inline constexpr wchar_t kSrchLookIn[] = L"SrchLookIn";
inline constexpr wchar_t kSrchPEType[] = L"SrchPEType";
inline constexpr wchar_t kSrchPESubsys[] = L"SrchPESubsys";
inline constexpr wchar_t kSrchPECharsM[] = L"SrchPECharsM";
inline constexpr wchar_t kSrchPECharsV[] = L"SrchPECharsV";
inline constexpr wchar_t kSrchPEDirsM[] = L"SrchPEDirsM";
inline constexpr wchar_t kSrchPEDirsV[] = L"SrchPEDirsV";
inline constexpr wchar_t kSrchPETsFrom[] = L"SrchPETsFrom";
inline constexpr wchar_t kSrchPETsTo[] = L"SrchPETsTo";
inline constexpr wchar_t kHelpZoom[] = L"HelpZoom";
inline constexpr wchar_t kMRUNumEntries[] = L"MRU_NumEntries";
// The most memory the results list of a symbol search may take, in MiB;
// 0: a quarter of the machine's memory.
inline constexpr wchar_t kSrchResMaxMB[] = L"SrchResMaxMB";
}  // namespace setting

struct ProgramSettings {
  uint32_t tarnixOutputMaxChars = kOutputBufferDefault;  // clamped
  bool clearOutputBeforeSearch = true;
  uint32_t regexGrammar = 1;  // one of the six grammar values
  bool emptySearchMatchesAll = true;
  bool undecorateCppNames = true;
  uint32_t undecorationFlags = 2;
  bool autoScrollResults = false;
  bool errorBeepWithoutBox = true;
  bool reportOnlineLinks = true;
  bool reportStatusOutput = true;
  uint32_t errMsgResultsMaxChars = kOutputBufferDefault;  // clamped
  bool errMsgWarnOverflow = true;
  uint32_t errCodeOutputMaxChars = kOutputBufferDefault;  // clamped
  bool errCodeClearOutputBeforeSearch = true;
  std::wstring onlineSearchUrl = kDefaultOnlineSearchUrl;  // always valid (above)
  uint32_t showControls = 0;  // kShowStatusOutput | kShowPeFilters
  uint32_t searchFor = 1;     // 1 WinAPIs, 2 Import Libs; anything else reads as 1
  uint32_t lookIn = 0;
  uint32_t peTypes = 0;
  uint64_t peSubsystems = 0, peCharsMask = 0, peCharsValues = 0, peDirsMask = 0, peDirsValues = 0;
  uint64_t peTimeFrom = 0, peTimeTo = 0;  // FILETIMEs, 0 = not set
  uint32_t resultsMaxMiB = 0;  // "SrchResMaxMB"; 0: the default share of memory
  uint32_t searchReaders = 0;  // "SrchReadThreads"; 0: the default
  bool cacheSymbols = true;    // "SrchCacheSymbols": searches use the symbol cache
  uint32_t cacheLimitMiB = kCacheLimitDefaultMiB;  // "SrchCacheLimitMiB"; always within its limits

  // Told when the stored online-search URL cannot be used (the caller logs
  // it and beeps); gets the log text.
  using Diagnostics = std::function<void(const std::wstring& text)>;

  // Reads every value with its default from `store`: the three output
  // sizes clamped into 1000..0x1000000, a URL that is not valid replaced by
  // the default for this run (the stored value is kept), "reGrammar"
  // normalised, "SrchFor" forced to 1 unless it is 1 or 2, a cache limit
  // outside its limits read as the default. The window and
  // tarnix-cli both take their settings from here.
  static ProgramSettings Load(const RegistrySettings& store, const Diagnostics& badUrl = nullptr);
};

// A size setting clamped into the output limits.
uint32_t ClampOutputBufferSize(uint32_t chars);

// A "SrchCacheLimitMiB" value as the program uses it: 1..65536, else 256.
uint32_t EffectiveCacheLimitMiB(uint32_t mib);

// "MRU_NumEntries" as the history boxes read it: 1..64, else 24.
uint32_t ReadMruNumEntries(const RegistrySettings& store);

// "HelpZoom" in percent: -1 (or nothing stored) reads as 100, anything else
// is clamped into 20..800.
int32_t ReadHelpZoom(const RegistrySettings& store);
// Stores a zoom (100 as -1) and announces it.
bool WriteHelpZoom(const RegistrySettings& store, int32_t percent);

}  // namespace tarnix
