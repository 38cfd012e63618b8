#pragma once
// The setters of the values the settings sheet changes: each writes the
// store and the settings snapshot, then announces the change (SettingId)
// so that open windows take the value for their next operation. The sheet
// validates what the user typed and shows its messages; a setter still
// refuses what the program would not read back as given: it stores the
// value the readers would use instead (a size clamped into its limits, a
// grammar cut to one of the six) and answers false with
// ERROR_INVALID_PARAMETER. A text the readers would replace (an online
// search URL without "%S%") is refused without being stored, so the value
// the user had stays.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/program_settings.h"

namespace tarnix {

// The check boxes of the sheet's pages.
enum class ProgramFlag : uint32_t {
  kEmptySearchMatchesAll,      // "EmptySrchStrAsMatchAll"
  kClearStatusOutput,          // "TarnixSrchClearOutputBuffBeforeSrch"
  kUndecorateNames,            // "UndecorCppNames"
  kErrorBeepWithoutBox,        // "ErrBeepAfterSearchNoMsgBox"
  kReportOnlineLinks,          // "UseOnlnSrchLnksOnWinApiResExp"
  kReportStatusOutput,         // "AddStatOtpToWinApiResExp"
  kAutoScrollResults,          // "AutoScrollSrchResLst"
  kErrMsgWarnOverflow,         // "ErrMsgSrchWarnResultsOverflow"
  kErrCodeClearOutput,         // "ErrCodeSrchClearOutputBuffBeforeSrch"
};
bool WriteProgramFlag(ProgramSettings& snapshot, ProgramFlag flag, bool on);
bool ReadProgramFlag(const ProgramSettings& snapshot, ProgramFlag flag);

// The three text boxes' capacities, in characters (1000..16777216).
enum class OutputSize : uint32_t {
  kStatusOutput,     // "TarnixSrchOutputBuffMaxChLn"
  kErrMsgResults,    // "ErrMsgSrchResultsBuffMaxChLn"
  kErrCodeOutput,    // "ErrCodeSrchOutputBuffMaxChLn"
};
bool WriteOutputSize(ProgramSettings& snapshot, OutputSize which, uint32_t chars);
uint32_t ReadOutputSize(const ProgramSettings& snapshot, OutputSize which);

// "reGrammar": 1, 2, 4, 8, 16 or 32.
bool WriteRegexGrammar(ProgramSettings& snapshot, uint32_t grammar);
// "UndecorCppNamesFlags": the undecorator's flags for results.
bool WriteUndecorationFlags(ProgramSettings& snapshot, uint32_t flags);
// "OnlineSearchURL": an http or https address holding "%S%", trimmed.
bool WriteOnlineSearchUrl(ProgramSettings& snapshot, std::wstring_view url);
// "MRU_NumEntries": 1..64 (the history boxes read it at every addition).
bool WriteMruNumEntries(uint32_t entries);
// "HelpZoom" is written by WriteHelpZoom (program_settings.h).
// "ErrCodeSrchFileExts": the extensions in the order given; entries the
// readers would drop (no leading ".", too short or long, repeated) are
// left out.
bool WriteErrCodeSrchFileExts(const std::vector<std::wstring>& extensions);
// "WindowsRoot": the Windows folder this program takes System32 and
// Program Files from; empty: found on this machine.
bool WriteWindowsRootSetting(std::wstring_view folder);

}  // namespace tarnix
