#pragma once
// The Error Code Search window's commands by id. Menus, context menus and
// keys are made from these ids (see CErrCodeSearchDlg::BuildCommands).
namespace tarnix::gui {

enum ErrCodeCommand : int {
  // File
  kEcsSaveResults = 1,
  kEcsSaveStatusOutput,
  kEcsClose,
  // Edit
  kEcsCopyStatusOutput,
  kEcsClearStatusOutput,
  kEcsCopyPaths,
  kEcsPastePaths,
  kEcsSelectAllPaths,
  kEcsAddFolder,
  kEcsAddFiles,
  kEcsRemovePaths,
  kEcsSubfolders,
  kEcsMoveUp,
  kEcsMoveDown,
  kEcsSettings,
  // View
  kEcsShowStatusOutput,
  // Results
  kEcsCopyResults,
  kEcsClearResults,
  kEcsSelectAllResults,
  kEcsDefaultColumns,
  kEcsCopyMessage,
  kEcsCopyModulePath,
  kEcsAddAsSearchPath,
  kEcsShowInFileManager,
  kEcsProperties,
  // Presets
  kEcsSavePreset,
  kEcsSavePresetCopy,
  kEcsNewPreset,
  kEcsRemovePreset,
  kEcsImportPresets,
  kEcsExportPresets,
};

}  // namespace tarnix::gui
