#pragma once
// The settings the windows change, each written through one function that
// writes the store and, for the values the settings snapshot holds, the
// snapshot too, then announces the change (setting_changes.h); the windows
// call these, never the store with a value name (the settings sheet's own
// values are in sheet_settings.h). A value a setter cannot store as given
// (a mode that does not exist, a bit that is not one of the window's) is
// stored as the fall-back the readers would give it, and the setter
// answers false with ERROR_INVALID_PARAMETER.
#include <cstdint>
#include <vector>

#include "core/program_settings.h"

namespace tarnix {

namespace setting {
// History names of the boxes with a most-recently-used list (stored as
// "MRU_" and the name): the main window's three boxes, the Error Code
// Search window's code, the Error Message Search window's word, the
// tester's expression and the undecorator's name.
inline constexpr wchar_t kHistFolder[] = L"FldrPath";
inline constexpr wchar_t kHistFileName[] = L"FileName";
inline constexpr wchar_t kHistSearchName[] = L"SearchName";
inline constexpr wchar_t kHistErrCode[] = L"ECS";
inline constexpr wchar_t kHistErrMsgWord[] = L"EMS";
inline constexpr wchar_t kHistTryRegex[] = L"TRx";
inline constexpr wchar_t kHistUndecName[] = L"UndecNm";
}  // namespace setting

// The main window's criteria check boxes (default off).
enum class CriteriaOption : uint32_t {
  kIncludeSubfolders,
  kFileNameRegex,
  kFileNameCase,
  kFileNameWords,
  kSearchRegex,
  kSearchCase,
  kSearchWords,
};
bool ReadCriteriaOption(CriteriaOption option);
bool WriteCriteriaOption(CriteriaOption option, bool on);

// "&Present Results As:" of a search-for mode (1 WinAPIs, 2 Import Libs):
// 1 "WinAPIs in modules" or 2 "Modules only"; Import Libs always 2.
uint32_t ReadPresentAs(uint32_t searchFor);
bool WritePresentAs(uint32_t searchFor, uint32_t presentAs);

// Values the snapshot holds.
bool WriteSearchFor(ProgramSettings& snapshot, uint32_t mode);  // 1 or 2
// Shows or hides kShowStatusOutput or kShowPeFilters.
bool WriteShowControl(ProgramSettings& snapshot, uint32_t bit, bool shown);
bool WriteLookIn(ProgramSettings& snapshot, uint32_t mask);
bool WritePeTypes(ProgramSettings& snapshot, uint32_t mask);
bool WritePeSubsystems(ProgramSettings& snapshot, uint64_t mask);
bool WritePeCharacteristics(ProgramSettings& snapshot, uint64_t mask, uint64_t values);
bool WritePeDirectories(ProgramSettings& snapshot, uint64_t mask, uint64_t values);
// A time-stamp bound as a FILETIME (0: no bound).
bool WritePeTimeStamp(ProgramSettings& snapshot, bool from, uint64_t fileTime);
// Every PE header filter back to "no filter" (Look In stays).
bool ClearPeFilters(ProgramSettings& snapshot);

// "SrchResMaxMB": the memory limit of the results list in MiB (0: the
// default, a quarter of the machine's memory).
bool WriteResultsMemoryLimit(ProgramSettings& snapshot, uint32_t mib);

// "SrchReadThreads": the threads that read images in a search (0: the
// default, the number of processors up to 8; at most 64).
bool WriteSearchReaders(ProgramSettings& snapshot, uint32_t readers);

// "SrchCacheSymbols": whether searches keep the symbol tables they read in
// the per-user symbol cache and take them from it.
bool WriteCacheSymbols(ProgramSettings& snapshot, bool on);
// "SrchCacheLimitMiB": the symbol cache's size limit, 1..65536 MiB (a value
// outside is stored as the default, 256, and refused).
bool WriteCacheLimit(ProgramSettings& snapshot, uint32_t mib);

// The stored column layouts of the results lists (binary, as the column
// layout codec writes them).
enum class ColumnsSetting : uint32_t { kSymbolResults, kErrCodeResults };
bool ReadColumns(ColumnsSetting which, std::vector<uint8_t>& bytes);
bool WriteColumns(ColumnsSetting which, const std::vector<uint8_t>& bytes);

// The filter a file dialog chose last (1-based): the main window's save,
// the Error Code Search window's "Add Search F&ile(s)..." and the error
// ranges window's module picker.
enum class FilterIndexSetting : uint32_t { kSaveSymbolResults, kErrCodeAddFiles, kErrRangeModule };
uint32_t ReadFilterIndex(FilterIndexSetting which);
bool WriteFilterIndex(FilterIndexSetting which, uint32_t index);

// "ExportEvtLogMaxEntryCount" (0: every record).
uint32_t ReadEventLogExportMax();

// The Error Message Search window's check boxes and its "Symbolic Names"
// item (default off).
enum class ErrMsgOption : uint32_t { kRegex, kCaseSensitive, kWholeWords, kSymbolicNames };
bool ReadErrMsgOption(ErrMsgOption option);
bool WriteErrMsgOption(ErrMsgOption option, bool on);

// "EMSLang": the language identifier of the message search; kNoErrMsgLanguage
// (0xFFFFFFFE) when none was chosen.
inline constexpr uint32_t kNoErrMsgLanguage = 0xFFFFFFFE;
uint32_t ReadErrMsgLanguage();
bool WriteErrMsgLanguage(uint32_t language);

// "RegexCmprMatchOf": the composer's "For matching of:" mode, 1..3 (1
// when another value is stored).
uint32_t ReadComposerMatchOf();
bool WriteComposerMatchOf(uint32_t mode);

}  // namespace tarnix
