#include "core/window_settings.h"

#include "core/event_log.h"
#include "core/ordered_readers.h"
#include "core/registry_settings.h"
#include "core/setting_changes.h"
#include "core/setting_names.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

constexpr uint32_t kWinApis = 1, kImportLibs = 2;
constexpr uint32_t kSymbolsInModules = 1, kModulesOnly = 2;

const wchar_t* OptionName(CriteriaOption option) {
  switch (option) {
    case CriteriaOption::kIncludeSubfolders: return L"IncSubfldrs";
    case CriteriaOption::kFileNameRegex: return L"FileNameRegex";
    case CriteriaOption::kFileNameCase: return L"FileNameCaseSens";
    case CriteriaOption::kFileNameWords: return L"FileNameWholeWords";
    case CriteriaOption::kSearchRegex: return L"SearchNameRegex";
    case CriteriaOption::kSearchCase: return L"SearchNameCaseSens";
    case CriteriaOption::kSearchWords: return L"SearchNameWholeWords";
  }
  return nullptr;
}

const wchar_t* ErrMsgOptionName(ErrMsgOption option) {
  switch (option) {
    case ErrMsgOption::kRegex: return L"EMSSrchWrdRegex";
    case ErrMsgOption::kCaseSensitive: return L"EMSSrchWrdCaseSens";
    case ErrMsgOption::kWholeWords: return L"EMSSrchWrdWholeWords";
    case ErrMsgOption::kSymbolicNames: return L"EMSSymbolicNames";
  }
  return nullptr;
}

constexpr wchar_t kEmsLang[] = L"EMSLang";
constexpr wchar_t kRegexCmprMatchOf[] = L"RegexCmprMatchOf";
constexpr uint32_t kMatchOfAny = 1, kMatchOfLast = 3;

const wchar_t* PresentAsName(uint32_t searchFor) {
  return searchFor == kImportLibs ? L"PresentResAs_ImportLibs" : L"PresentResAs_WinApis";
}

const wchar_t* ColumnsName(ColumnsSetting which) {
  switch (which) {
    case ColumnsSetting::kSymbolResults: return L"TarnixSrchResultsCols";
    case ColumnsSetting::kErrCodeResults: return L"ErrCodeSrchResultsCols";
  }
  return nullptr;
}

struct FilterIndexValue {
  const wchar_t* name;
  uint32_t def;
};

FilterIndexValue FilterIndexOf(FilterIndexSetting which) {
  switch (which) {
    case FilterIndexSetting::kSaveSymbolResults: return {L"SvTarnixSrchResFileIdx", 1};
    case FilterIndexSetting::kErrCodeAddFiles:
      return {setting::kErrCodeSrchAddSrchFileIdx, setting::kErrCodeSrchAddSrchFileIdxDefault};
    case FilterIndexSetting::kErrRangeModule: return {L"OpenModErrMsgRangeFltrIdx", 1};
  }
  return {nullptr, 1};
}

// A value the setter cannot take (its fall-back stored where there is one).
bool Refused() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

}  // namespace

bool ReadCriteriaOption(CriteriaOption option) {
  const wchar_t* name = OptionName(option);
  return name && RegistrySettings().GetDword(name, 0) != 0;
}

bool WriteCriteriaOption(CriteriaOption option, bool on) {
  const wchar_t* name = OptionName(option);
  if (!name) return Refused();
  return Announced(SettingId::kCriteriaOptions, RegistrySettings().SetDword(name, on ? 1 : 0));
}

uint32_t ReadPresentAs(uint32_t searchFor) {
  if (searchFor == kImportLibs) return kModulesOnly;
  return RegistrySettings().GetDword(PresentAsName(kWinApis), kSymbolsInModules) == kModulesOnly
             ? kModulesOnly
             : kSymbolsInModules;
}

bool WritePresentAs(uint32_t searchFor, uint32_t presentAs) {
  const bool valid = (searchFor == kWinApis || searchFor == kImportLibs) &&
                     (presentAs == kSymbolsInModules || presentAs == kModulesOnly);
  if (!valid) {
    const uint32_t mode = searchFor == kImportLibs ? kImportLibs : kWinApis;
    Announced(SettingId::kPresentAs,
             RegistrySettings().SetDword(PresentAsName(mode), mode == kImportLibs ? kModulesOnly : kSymbolsInModules));
    return Refused();
  }
  return Announced(SettingId::kPresentAs, RegistrySettings().SetDword(PresentAsName(searchFor), presentAs));
}

bool WriteSearchFor(ProgramSettings& snapshot, uint32_t mode) {
  const bool valid = mode == kWinApis || mode == kImportLibs;
  snapshot.searchFor = valid ? mode : kWinApis;
  const bool stored = Announced(SettingId::kSearchFor, RegistrySettings().SetDword(setting::kSrchFor, snapshot.searchFor));
  return valid ? stored : Refused();
}

bool WriteShowControl(ProgramSettings& snapshot, uint32_t bit, bool shown) {
  if (bit != kShowStatusOutput && bit != kShowPeFilters) return Refused();
  snapshot.showControls = shown ? snapshot.showControls | bit : snapshot.showControls & ~bit;
  return Announced(SettingId::kShowControls, RegistrySettings().SetDword(setting::kShowCtrls, snapshot.showControls));
}

bool WriteLookIn(ProgramSettings& snapshot, uint32_t mask) {
  snapshot.lookIn = mask;
  return Announced(SettingId::kLookIn, RegistrySettings().SetDword(setting::kSrchLookIn, mask));
}

bool WritePeTypes(ProgramSettings& snapshot, uint32_t mask) {
  snapshot.peTypes = mask;
  return Announced(SettingId::kPeFilters, RegistrySettings().SetDword(setting::kSrchPEType, mask));
}

bool WritePeSubsystems(ProgramSettings& snapshot, uint64_t mask) {
  snapshot.peSubsystems = mask;
  return Announced(SettingId::kPeFilters, RegistrySettings().SetQword(setting::kSrchPESubsys, mask));
}

bool WritePeCharacteristics(ProgramSettings& snapshot, uint64_t mask, uint64_t values) {
  snapshot.peCharsMask = mask;
  snapshot.peCharsValues = values;
  RegistrySettings store;
  const bool m = store.SetQword(setting::kSrchPECharsM, mask);
  return Announced(SettingId::kPeFilters, store.SetQword(setting::kSrchPECharsV, values) && m);
}

bool WritePeDirectories(ProgramSettings& snapshot, uint64_t mask, uint64_t values) {
  snapshot.peDirsMask = mask;
  snapshot.peDirsValues = values;
  RegistrySettings store;
  const bool m = store.SetQword(setting::kSrchPEDirsM, mask);
  return Announced(SettingId::kPeFilters, store.SetQword(setting::kSrchPEDirsV, values) && m);
}

bool WritePeTimeStamp(ProgramSettings& snapshot, bool from, uint64_t fileTime) {
  (from ? snapshot.peTimeFrom : snapshot.peTimeTo) = fileTime;
  return Announced(SettingId::kPeFilters,
                  RegistrySettings().SetQword(from ? setting::kSrchPETsFrom : setting::kSrchPETsTo, fileTime));
}

bool WriteResultsMemoryLimit(ProgramSettings& snapshot, uint32_t mib) {
  snapshot.resultsMaxMiB = mib;
  return Announced(SettingId::kResultsMemoryLimit, RegistrySettings().SetDword(setting::kSrchResMaxMB, mib));
}

bool WriteSearchReaders(ProgramSettings& snapshot, uint32_t readers) {
  const bool valid = readers <= kMaxReaders;
  snapshot.searchReaders = valid ? readers : kMaxReaders;
  const bool stored =
      Announced(SettingId::kSearchReaders, RegistrySettings().SetDword(setting::kSrchReadThreads, snapshot.searchReaders));
  return valid ? stored : Refused();
}

bool WriteCacheSymbols(ProgramSettings& snapshot, bool on) {
  snapshot.cacheSymbols = on;
  return Announced(SettingId::kCacheSymbols, RegistrySettings().SetDword(setting::kSrchCacheSymbols, on ? 1 : 0));
}

bool WriteCacheLimit(ProgramSettings& snapshot, uint32_t mib) {
  snapshot.cacheLimitMiB = EffectiveCacheLimitMiB(mib);
  const bool stored =
      Announced(SettingId::kCacheLimit, RegistrySettings().SetDword(setting::kSrchCacheLimitMiB, snapshot.cacheLimitMiB));
  return snapshot.cacheLimitMiB == mib ? stored : Refused();
}

bool ClearPeFilters(ProgramSettings& snapshot) {
  bool ok = WritePeTypes(snapshot, 0);
  ok = WritePeSubsystems(snapshot, 0) && ok;
  ok = WritePeCharacteristics(snapshot, 0, 0) && ok;
  ok = WritePeDirectories(snapshot, 0, 0) && ok;
  ok = WritePeTimeStamp(snapshot, true, 0) && ok;
  return WritePeTimeStamp(snapshot, false, 0) && ok;
}

bool ReadColumns(ColumnsSetting which, std::vector<uint8_t>& bytes) {
  const wchar_t* name = ColumnsName(which);
  return name && RegistrySettings().GetBinary(name, bytes);
}

bool WriteColumns(ColumnsSetting which, const std::vector<uint8_t>& bytes) {
  const wchar_t* name = ColumnsName(which);
  if (!name) return Refused();
  if (Announced(SettingId::kColumns, RegistrySettings().SetBinary(name, bytes.data(), bytes.size()))) return true;
  EventLog::LogFormat(L"Saving the results columns \"%ls\" failed (%u)", name, GetLastError());
  return false;
}

uint32_t ReadFilterIndex(FilterIndexSetting which) {
  const FilterIndexValue v = FilterIndexOf(which);
  if (!v.name) return 1;
  const uint32_t index = RegistrySettings().GetDword(v.name, v.def);
  return index >= 1 && index <= 64 ? index : v.def;
}

bool WriteFilterIndex(FilterIndexSetting which, uint32_t index) {
  const FilterIndexValue v = FilterIndexOf(which);
  if (!v.name) return Refused();
  if (index < 1 || index > 64) {
    Announced(SettingId::kFilterIndex, RegistrySettings().SetDword(v.name, v.def));
    return Refused();
  }
  return Announced(SettingId::kFilterIndex, RegistrySettings().SetDword(v.name, index));
}

uint32_t ReadEventLogExportMax() {
  return RegistrySettings().GetDword(setting::kExportEvtLogMaxEntryCount,
                                     setting::kExportEvtLogMaxEntryCountDefault);
}

bool ReadErrMsgOption(ErrMsgOption option) {
  const wchar_t* name = ErrMsgOptionName(option);
  return name && RegistrySettings().GetDword(name, 0) != 0;
}

bool WriteErrMsgOption(ErrMsgOption option, bool on) {
  const wchar_t* name = ErrMsgOptionName(option);
  if (!name) return Refused();
  return Announced(SettingId::kErrMsgOptions, RegistrySettings().SetDword(name, on ? 1 : 0));
}

uint32_t ReadErrMsgLanguage() { return RegistrySettings().GetDword(kEmsLang, kNoErrMsgLanguage); }

bool WriteErrMsgLanguage(uint32_t language) {
  return Announced(SettingId::kErrMsgLanguage, RegistrySettings().SetDword(kEmsLang, language));
}

uint32_t ReadComposerMatchOf() {
  const uint32_t mode = RegistrySettings().GetDword(kRegexCmprMatchOf, kMatchOfAny);
  return mode >= kMatchOfAny && mode <= kMatchOfLast ? mode : kMatchOfAny;
}

bool WriteComposerMatchOf(uint32_t mode) {
  const bool valid = mode >= kMatchOfAny && mode <= kMatchOfLast;
  const bool stored =
      Announced(SettingId::kComposerMatchOf, RegistrySettings().SetDword(kRegexCmprMatchOf, valid ? mode : kMatchOfAny));
  return valid ? stored : Refused();
}

}  // namespace tarnix
