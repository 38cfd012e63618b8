#include "core/program_settings.h"

#include <algorithm>

#include "core/registry_settings.h"
#include "core/setting_changes.h"
#include "core/setting_names.h"
#include "core/web_address.h"
#include "core/wformat.h"
#include "platform/last_error.h"

namespace tarnix {

const wchar_t kDefaultOnlineSearchUrl[] = L"https://www.google.com/search?q=%S%";

bool IsValidOnlineSearchUrl(std::wstring_view url) {
  if (!IsWebAddress(url)) return false;
  for (wchar_t c : url)
    if (c <= L' ' || c == 0x7F || (c >= 0x80 && c <= 0x9F)) return false;
  return url.find(kOnlineSearchPlaceholder) != std::wstring_view::npos;
}

std::wstring EffectiveOnlineSearchUrl(std::wstring_view url) {
  return IsValidOnlineSearchUrl(url) ? std::wstring(url) : std::wstring(kDefaultOnlineSearchUrl);
}

uint32_t NormalizeRegexGrammar(uint32_t stored) {
  const uint32_t grammar = stored & 0x3F;
  return grammar ? grammar & (~grammar + 1) : 1;
}

uint32_t ClampOutputBufferSize(uint32_t chars) {
  return std::clamp(chars, kOutputBufferMin, kOutputBufferMax);
}

ProgramSettings ProgramSettings::Load(const RegistrySettings& store, const Diagnostics& badUrl) {
  using namespace setting;
  ProgramSettings s;
  auto flag = [&](const wchar_t* name, bool def) { return store.GetDword(name, def ? 1 : 0) != 0; };
  s.tarnixOutputMaxChars =
      ClampOutputBufferSize(store.GetDword(kTarnixSrchOutputBuffMaxChLn, kOutputBufferDefault));
  s.errMsgResultsMaxChars =
      ClampOutputBufferSize(store.GetDword(kErrMsgSrchResultsBuffMaxChLn, kOutputBufferDefault));
  s.errCodeOutputMaxChars =
      ClampOutputBufferSize(store.GetDword(kErrCodeSrchOutputBuffMaxChLn, kOutputBufferDefault));
  std::wstring url = store.GetText(kOnlineSearchURL, kDefaultOnlineSearchUrl);
  if (url.find(kOnlineSearchPlaceholder) == std::wstring::npos) {
    if (badUrl)
      badUrl(WFormat(L"Search string is formatted incorrectly, %ls placeholder is missing, will use "
                     L"default: %ls",
                     kOnlineSearchPlaceholder, kDefaultOnlineSearchUrl));
    url = kDefaultOnlineSearchUrl;
  } else if (!IsValidOnlineSearchUrl(url)) {
    // Only web addresses go into the report's links and the browser.
    if (badUrl)
      badUrl(WFormat(L"Online search URL is not an http or https address, will use default: %ls",
                     kDefaultOnlineSearchUrl));
    url = kDefaultOnlineSearchUrl;
  }
  s.onlineSearchUrl = url;
  s.clearOutputBeforeSearch = flag(kTarnixSrchClearOutputBuffBeforeSrch, true);
  s.regexGrammar = NormalizeRegexGrammar(store.GetDword(kReGrammar, 1));
  s.emptySearchMatchesAll = flag(kEmptySrchStrAsMatchAll, true);
  s.undecorateCppNames = flag(kUndecorCppNames, true);
  s.undecorationFlags = store.GetDword(kUndecorCppNamesFlags, 2);
  s.autoScrollResults = flag(kAutoScrollSrchResLst, false);
  s.errorBeepWithoutBox = flag(kErrBeepAfterSearchNoMsgBox, true);
  s.reportOnlineLinks = flag(kUseOnlnSrchLnksOnWinApiResExp, true);
  s.reportStatusOutput = flag(kAddStatOtpToWinApiResExp, true);
  s.errMsgWarnOverflow = flag(kErrMsgSrchWarnResultsOverflow, true);
  s.errCodeClearOutputBeforeSearch = flag(kErrCodeSrchClearOutputBuffBeforeSrch, true);
  s.showControls = store.GetDword(kShowCtrls, 0);
  s.searchFor = store.GetDword(kSrchFor, 1);
  if (s.searchFor != 1 && s.searchFor != 2) s.searchFor = 1;
  s.lookIn = store.GetDword(kSrchLookIn, 0);
  s.peTypes = store.GetDword(kSrchPEType, 0);
  s.peSubsystems = store.GetQword(kSrchPESubsys, 0);
  s.peCharsMask = store.GetQword(kSrchPECharsM, 0);
  s.peCharsValues = store.GetQword(kSrchPECharsV, 0);
  s.peDirsMask = store.GetQword(kSrchPEDirsM, 0);
  s.peDirsValues = store.GetQword(kSrchPEDirsV, 0);
  s.peTimeFrom = store.GetQword(kSrchPETsFrom, 0);
  s.peTimeTo = store.GetQword(kSrchPETsTo, 0);
  s.resultsMaxMiB = store.GetDword(kSrchResMaxMB, 0);
  s.searchReaders = store.GetDword(kSrchReadThreads, 0);
  s.cacheSymbols = flag(kSrchCacheSymbols, true);
  s.cacheLimitMiB = EffectiveCacheLimitMiB(store.GetDword(kSrchCacheLimitMiB, kCacheLimitDefaultMiB));
  return s;
}

uint32_t EffectiveCacheLimitMiB(uint32_t mib) {
  return mib >= kCacheLimitMinMiB && mib <= kCacheLimitMaxMiB ? mib : kCacheLimitDefaultMiB;
}

uint32_t ReadMruNumEntries(const RegistrySettings& store) {
  uint32_t n = store.GetDword(setting::kMRUNumEntries, kMruEntriesDefault);
  return n >= kMruEntriesMin && n <= kMruEntriesMax ? n : kMruEntriesDefault;
}

int32_t ReadHelpZoom(const RegistrySettings& store) {
  int32_t z = static_cast<int32_t>(store.GetDword(setting::kHelpZoom, static_cast<uint32_t>(-1)));
  return z == -1 ? 100 : std::clamp(z, kHelpZoomMin, kHelpZoomMax);
}

bool WriteHelpZoom(const RegistrySettings& store, int32_t percent) {
  return Announced(SettingId::kHelpZoom,
                   store.SetDword(setting::kHelpZoom, static_cast<uint32_t>(percent == 100 ? -1 : percent)));
}

}  // namespace tarnix
