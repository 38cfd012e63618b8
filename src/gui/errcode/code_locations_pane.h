#pragma once
// The "Search In" part of the Error Code Search window: the preset box,
// the search locations of the chosen preset, and the commands that change
// them (the Edit menu's search path commands and the Presets menu), made
// in the window's CommandSet under the window's ids. The rules are the
// engine's (ErrorCodePresetList, location_edits.h); the pane binds the
// widgets to them.
#include <QGroupBox>
#include <functional>
#include <string>
#include <vector>

#include "core/setting_changes.h"
#include "errcode/location_edits.h"
#include "errcode/preset_list.h"

class QComboBox;
class QTreeWidget;

namespace tarnix::gui {

class CommandSet;

class CodeLocationsPane final : public QGroupBox {
  Q_OBJECT
 public:
  CodeLocationsPane(QWidget* parent, CommandSet& commands);

  const ErrorCodePresetList& presets() const { return presets_; }
  // The error of reading the stored presets, 0 when they were read.
  uint32_t loadError() const { return loadError_; }
  QComboBox* presetBox() const { return preset_; }
  QTreeWidget* view() const { return locations_; }
  // The locations of the chosen preset; null when none is chosen.
  const std::vector<SearchLocation>* CurrentLocations() const;
  // Selects location `i` and scrolls to it (the one a search warns about).
  void ShowLocation(size_t i);
  // Adds files as locations of the chosen preset (a built-in one becomes an
  // unsaved copy); false with the last error.
  bool AddFiles(const std::vector<std::wstring>& paths);
  bool canEdit() const { return presets_.CanEdit(); }
  // The subfolders command's mark when the selected folders differ.
  void UpdateMarks();

 signals:
  // The chosen preset or the selection changed.
  void changed();

 private:
  void AddCommands(CommandSet& c);
  void Fill();
  void FillLocations(const LocationRows& select = {});
  LocationRows Selected() const;
  // Applies `edit` to the locations of the chosen preset (a built-in one
  // becomes an unsaved copy first); false with the last error.
  bool Edit(const std::function<bool(std::vector<SearchLocation>&)>& edit,
            const std::function<LocationRows(const std::vector<SearchLocation>&)>& select = nullptr);
  void AddFolder();
  void AddFileDialog();
  void Remove();
  void Copy();
  void Paste();
  void Move(bool up);
  void SavePreset(bool copy);
  void NewPreset();
  void RemovePreset();
  void ExportPresets();
  void ImportPresets();

  CommandSet& commands_;
  ErrorCodePresetList presets_;
  uint32_t loadError_ = 0;
  QComboBox* preset_ = nullptr;
  QTreeWidget* locations_ = nullptr;
  SettingWatch rootWatch_;
};

}  // namespace tarnix::gui
