#pragma once
// Names and defaults of the values the core services own or read in the
// "Settings" section, and the placement names of the resizable windows.
#include <cstdint>
#include <string>
#include <vector>

namespace tarnix {

class RegistrySettings;

namespace setting {

// Section "Settings\\DontShowMsgs": answers of suppressed message boxes.
inline constexpr wchar_t kSectionSettings[] = L"Settings";
inline constexpr wchar_t kSectionDontShowMsgs[] = L"Settings\\DontShowMsgs";

// Maximum number of records in an event-log export (0 = all); read only.
inline constexpr wchar_t kExportEvtLogMaxEntryCount[] = L"ExportEvtLogMaxEntryCount";
inline constexpr uint32_t kExportEvtLogMaxEntryCountDefault = 1000;

// Extension filter of the error code search (string list).
inline constexpr wchar_t kErrCodeSrchFileExts[] = L"ErrCodeSrchFileExts";
// The stored error code search presets (binary).
inline constexpr wchar_t kErrCodeSrchPresets[] = L"ErrCodeSrchPresets";
// Filter index last used in the error code search's file dialog.
inline constexpr wchar_t kErrCodeSrchAddSrchFileIdx[] = L"ErrCodeSrchAddSrchFileIdx";
inline constexpr uint32_t kErrCodeSrchAddSrchFileIdxDefault = 1;
inline constexpr wchar_t kErrCodeSrchOutputBuffMaxChLn[] = L"ErrCodeSrchOutputBuffMaxChLn";
inline constexpr uint32_t kErrCodeSrchOutputBuffMaxChLnDefault = 100000;
inline constexpr wchar_t kErrCodeSrchClearOutputBuffBeforeSrch[] = L"ErrCodeSrchClearOutputBuffBeforeSrch";
inline constexpr uint32_t kErrCodeSrchClearOutputBuffBeforeSrchDefault = 1;

// How many threads read images in a search (symbol and error code
// searches); 0: the number of processors, at most 8. Above 64 reads as 64.
inline constexpr wchar_t kSrchReadThreads[] = L"SrchReadThreads";

// Whether searches keep the symbol tables of the images they read in the
// per-user symbol cache (0 or 1; default 1).
inline constexpr wchar_t kSrchCacheSymbols[] = L"SrchCacheSymbols";
// The symbol cache's size limit in MiB (1..65536; anything else reads as
// the default, 256: the kCacheLimit... constants of program_settings.h).
inline constexpr wchar_t kSrchCacheLimitMiB[] = L"SrchCacheLimitMiB";

// The Windows folder to take System32 and Program Files from (text; empty:
// found on this machine).
inline constexpr wchar_t kWindowsRoot[] = L"WindowsRoot";

// Placement names of the resizable windows (five values each: name + "_Mx",
// "_l", "_t", "_r", "_b").
inline constexpr wchar_t kMainWnd[] = L"MainWnd";
inline constexpr wchar_t kECSWnd[] = L"ECSWnd";
inline constexpr wchar_t kBFPWnd[] = L"BFPWnd";
inline constexpr wchar_t kEMSWnd[] = L"EMSWnd";
inline constexpr wchar_t kERWnd[] = L"ERWnd";
inline constexpr wchar_t kIIDWnd[] = L"IIDWnd";
inline constexpr wchar_t kMIWnd[] = L"MIWnd";
inline constexpr wchar_t kRgCmpWnd[] = L"RgCmpWnd";
inline constexpr wchar_t kTRxWnd[] = L"TRxWnd";
inline constexpr wchar_t kUCNWnd[] = L"UCNWnd";
inline constexpr wchar_t kMSLookInWnd[] = L"MSLookInWnd";
inline constexpr wchar_t kMSTypeWnd[] = L"MSTypeWnd";
inline constexpr wchar_t kMSSubsysWnd[] = L"MSSubsysWnd";
inline constexpr wchar_t kMSCharWnd[] = L"MSCharWnd";
inline constexpr wchar_t kMSDirWnd[] = L"MSDirWnd";
inline constexpr wchar_t kMSUndecWnd[] = L"MSUndecWnd";

}  // namespace setting

// The built-in extension list of the error code search.
std::vector<std::wstring> DefaultErrCodeSrchFileExts();

// The longest extension the list keeps, in characters.
inline constexpr size_t kErrCodeSrchFileExtMaxChars = 129;

// Keeps the entries that begin with "." and have 2 to 129 characters, each
// once (the first of those equal ignoring case).
std::vector<std::wstring> FilterErrCodeSrchFileExts(const std::vector<std::wstring>& list);

// "WindowsRoot" as a UTF-8 path; empty when not set.
std::string ReadWindowsRootSetting(const RegistrySettings& settings);

// "ErrCodeSrchFileExts" as stored, filtered; the default when missing.
std::vector<std::wstring> ReadErrCodeSrchFileExts(const RegistrySettings& settings);

}  // namespace tarnix
