#pragma once
// The main window's commands by id. Menus, context menus and keys are made
// from these ids (see CTarnixDlg::BuildCommands).
namespace tarnix::gui {

enum MainCommand : int {
  // File
  kCmdNewInstance = 1,
  kCmdPickFiles,
  kCmdPickFolder,
  kCmdSaveResults,
  kCmdSaveStatusOutput,
  kCmdExit,
  // Edit
  kCmdCopyStatusOutput,
  kCmdClearStatusOutput,
  kCmdSearchForWinApis,
  kCmdSearchForImportLibs,
  kCmdLookInFilter,
  kCmdTypeFilter,
  kCmdSubsystemsFilter,
  kCmdCharacteristicsFilter,
  kCmdDirectoriesFilter,
  kCmdTimeFromFilter,
  kCmdTimeToFilter,
  kCmdClearPeFilters,
  kCmdSettings,
  // View
  kCmdShowPeFilters,
  kCmdShowStatusOutput,
  kCmdResultInfo,
  kCmdErrorCodeSearch,
  kCmdErrorMessageSearch,
  kCmdUndecorate,
  kCmdBinaryFilePresets,
  kCmdRegexComposer,
  kCmdTryRegex,
  // Results
  kCmdPreview,
  kCmdCopyResults,
  kCmdClearResults,
  kCmdSelectAllResults,
  kCmdRescan,
  kCmdDefaultColumns,
  // Window
  kCmdCascade,
  kCmdRestoreToPrimary,
  kCmdRestoreToMouse,
  kCmdCloseToolWindows,
  // Help
  kCmdSearchStringsHelp,
  kCmdDeleteTempFiles,
  kCmdDeleteTempFilesAndSettings,
  kCmdOpenEventLog,
  kCmdExportEventLog,
  kCmdSubmitBugReport,
  kCmdSuggestImprovement,
  kCmdCheckForUpdates,
  kCmdAbout,
};

}  // namespace tarnix::gui
