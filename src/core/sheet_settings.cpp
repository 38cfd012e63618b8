#include "core/sheet_settings.h"

#include "core/registry_settings.h"
#include "core/setting_changes.h"
#include "core/setting_names.h"
#include "platform/char_class.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

struct FlagValue {
  const wchar_t* name;
  bool ProgramSettings::*member;
  SettingId id;
};

FlagValue FlagOf(ProgramFlag flag) {
  using namespace setting;
  using P = ProgramSettings;
  switch (flag) {
    case ProgramFlag::kEmptySearchMatchesAll:
      return {kEmptySrchStrAsMatchAll, &P::emptySearchMatchesAll, SettingId::kEmptyMatchesAll};
    case ProgramFlag::kClearStatusOutput:
      return {kTarnixSrchClearOutputBuffBeforeSrch, &P::clearOutputBeforeSearch, SettingId::kClearStatusOutput};
    case ProgramFlag::kUndecorateNames:
      return {kUndecorCppNames, &P::undecorateCppNames, SettingId::kUndecorateNames};
    case ProgramFlag::kErrorBeepWithoutBox:
      return {kErrBeepAfterSearchNoMsgBox, &P::errorBeepWithoutBox, SettingId::kErrorBeep};
    case ProgramFlag::kReportOnlineLinks:
      return {kUseOnlnSrchLnksOnWinApiResExp, &P::reportOnlineLinks, SettingId::kReportOnlineLinks};
    case ProgramFlag::kReportStatusOutput:
      return {kAddStatOtpToWinApiResExp, &P::reportStatusOutput, SettingId::kReportStatusOutput};
    case ProgramFlag::kAutoScrollResults:
      return {kAutoScrollSrchResLst, &P::autoScrollResults, SettingId::kAutoScrollResults};
    case ProgramFlag::kErrMsgWarnOverflow:
      return {kErrMsgSrchWarnResultsOverflow, &P::errMsgWarnOverflow, SettingId::kErrMsgWarnOverflow};
    case ProgramFlag::kErrCodeClearOutput:
      return {kErrCodeSrchClearOutputBuffBeforeSrch, &P::errCodeClearOutputBeforeSearch,
              SettingId::kErrCodeClearOutput};
  }
  return {nullptr, nullptr, SettingId::kEmptyMatchesAll};
}

struct SizeValue {
  const wchar_t* name;
  uint32_t ProgramSettings::*member;
  SettingId id;
};

SizeValue SizeOf(OutputSize which) {
  using namespace setting;
  using P = ProgramSettings;
  switch (which) {
    case OutputSize::kStatusOutput:
      return {kTarnixSrchOutputBuffMaxChLn, &P::tarnixOutputMaxChars, SettingId::kStatusOutputSize};
    case OutputSize::kErrMsgResults:
      return {kErrMsgSrchResultsBuffMaxChLn, &P::errMsgResultsMaxChars, SettingId::kErrMsgResultsSize};
    case OutputSize::kErrCodeOutput:
      return {kErrCodeSrchOutputBuffMaxChLn, &P::errCodeOutputMaxChars, SettingId::kErrCodeOutputSize};
  }
  return {nullptr, nullptr, SettingId::kStatusOutputSize};
}

bool Refused() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

}  // namespace

bool ReadProgramFlag(const ProgramSettings& snapshot, ProgramFlag flag) {
  const FlagValue v = FlagOf(flag);
  return v.member && snapshot.*v.member;
}

bool WriteProgramFlag(ProgramSettings& snapshot, ProgramFlag flag, bool on) {
  const FlagValue v = FlagOf(flag);
  if (!v.name) return Refused();
  snapshot.*v.member = on;
  return Announced(v.id, RegistrySettings().SetDword(v.name, on ? 1 : 0));
}

uint32_t ReadOutputSize(const ProgramSettings& snapshot, OutputSize which) {
  const SizeValue v = SizeOf(which);
  return v.member ? snapshot.*v.member : kOutputBufferDefault;
}

bool WriteOutputSize(ProgramSettings& snapshot, OutputSize which, uint32_t chars) {
  const SizeValue v = SizeOf(which);
  if (!v.name) return Refused();
  const uint32_t kept = ClampOutputBufferSize(chars);
  snapshot.*v.member = kept;
  const bool stored = Announced(v.id, RegistrySettings().SetDword(v.name, kept));
  return kept == chars ? stored : Refused();
}

bool WriteRegexGrammar(ProgramSettings& snapshot, uint32_t grammar) {
  const uint32_t kept = NormalizeRegexGrammar(grammar);
  snapshot.regexGrammar = kept;
  const bool stored = Announced(SettingId::kRegexGrammar, RegistrySettings().SetDword(setting::kReGrammar, kept));
  return kept == grammar ? stored : Refused();
}

bool WriteUndecorationFlags(ProgramSettings& snapshot, uint32_t flags) {
  snapshot.undecorationFlags = flags;
  return Announced(SettingId::kUndecorationFlags, RegistrySettings().SetDword(setting::kUndecorCppNamesFlags, flags));
}

bool WriteOnlineSearchUrl(ProgramSettings& snapshot, std::wstring_view url) {
  const std::wstring trimmed(TrimWhiteSpace(url));
  if (!IsValidOnlineSearchUrl(trimmed)) return Refused();
  snapshot.onlineSearchUrl = trimmed;
  return Announced(SettingId::kOnlineSearchUrl, RegistrySettings().SetText(setting::kOnlineSearchURL, trimmed));
}

bool WriteMruNumEntries(uint32_t entries) {
  const bool valid = entries >= kMruEntriesMin && entries <= kMruEntriesMax;
  const uint32_t kept = valid ? entries : kMruEntriesDefault;
  const bool stored = Announced(SettingId::kMruNumEntries, RegistrySettings().SetDword(setting::kMRUNumEntries, kept));
  return valid ? stored : Refused();
}

bool WriteErrCodeSrchFileExts(const std::vector<std::wstring>& extensions) {
  const std::vector<std::wstring> kept = FilterErrCodeSrchFileExts(extensions);
  const bool stored =
      Announced(SettingId::kErrCodeFileExts, RegistrySettings().SetStringList(setting::kErrCodeSrchFileExts, kept));
  return kept.size() == extensions.size() ? stored : Refused();
}

bool WriteWindowsRootSetting(std::wstring_view folder) {
  const std::wstring trimmed(TrimWhiteSpace(folder));
  return Announced(SettingId::kWindowsRoot, RegistrySettings().SetText(setting::kWindowsRoot, trimmed));
}

}  // namespace tarnix
