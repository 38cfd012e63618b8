#pragma once
// The main window's search criteria: "Search Location" (folder, file name
// pattern, subfolders), "Search For" (the mode link, the search pattern,
// "Loo&k In:", "&Present Results As:") and "PE Header Filters". It keeps the
// filters of the next search (from the settings, or from the command line
// for this run), stores what the user changes, and hands the criteria to
// the window as the engine's input record.
#include <QWidget>
#include <cstdint>
#include <string>

#include "gui/app/window_registry.h"
#include "symbolsearch/command_line.h"
#include "symbolsearch/search_criteria.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QToolButton;

namespace tarnix::gui {

class CComboBoxAuto;
class CommandSet;
class LinkLabel;
class PatternBox;

class CriteriaPanel : public QWidget {
  Q_OBJECT
 public:
  CriteriaPanel(QWidget* parent, const CommandSet& commands);

  // The criteria from the settings, then from the command line when it
  // named a folder; answers true when the command line asks for a search.
  bool Load(const CommandLineState* commandLine);
  // Stops the live checks of the patterns (the window is closing).
  void Detach();

  SearchCriteriaInput Gather() const;
  // The criteria as switch values, for a new instance.
  CommandLineValues SwitchValues() const;
  QWidget* ControlOf(CriteriaControl control) const;
  // The three boxes' texts become their newest history entries.
  void AddToHistories();
  std::wstring folder() const;

  uint32_t searchFor() const { return searchFor_; }
  void SetSearchFor(uint32_t mode, bool store);
  bool peFiltersShown() const;
  QWidget* peFilters() const;
  void ShowPeFilters(bool show, bool store);

  // The commands of the criteria.
  void EditFilter(int use);
  void EditTimeStamp(bool from);
  void ClearPeFilters();
  void BinaryFilePresets();
  void PickFiles();
  void PickFolder();
  // What the regex composer and tester open with: the expression and case
  // flag of the pattern whose "..." menu asked (else the one holding the
  // focus, else the search string) when it is in regex mode, the grammar
  // setting, and the composer's answer written back into that pattern.
  WindowRequest RegexRequest(QWidget* owner) const;
  // Dropped or picked files and folders (Shift appends the names).
  void ApplyPickedPaths(const QStringList& paths, bool append);

 signals:
  // Enter in a criteria box: the default button's press.
  void searchRequested();
  void helpRequested(const QString& anchor);
  void searchForChanged();

 private:
  QWidget* BuildSearchLocation();
  QWidget* BuildSearchFor();
  QWidget* BuildPeFilters();
  void ApplyCommandLine(const CommandLineState& cmd);
  void FillPresentAs();
  void RefreshFilterLinks();
  void ShowFolderMenu();
  void ShowFileMenu();
  void ShowSearchMenu();
  void ShowSearchForMenu();
  PatternBox* RegexTarget() const;

  const CommandSet& commands_;
  CComboBoxAuto* folder_ = nullptr;
  QToolButton* folderMenuButton_ = nullptr;
  QCheckBox* subfolders_ = nullptr;
  PatternBox* fileName_ = nullptr;
  LinkLabel* searchForLink_ = nullptr;
  PatternBox* search_ = nullptr;
  PatternBox* menuTarget_ = nullptr;  // while a pattern's "..." menu is open
  LinkLabel* lookInLink_ = nullptr;
  QComboBox* presentAs_ = nullptr;
  QGroupBox* peGroup_ = nullptr;
  LinkLabel* typeLink_ = nullptr;
  LinkLabel* subsystemsLink_ = nullptr;
  LinkLabel* characteristicsLink_ = nullptr;
  LinkLabel* directoriesLink_ = nullptr;
  LinkLabel* fromLink_ = nullptr;
  LinkLabel* toLink_ = nullptr;

  // The filters of the next search.
  uint32_t lookIn_ = 0, peTypes_ = 0;
  uint64_t peSubsystems_ = 0, peCharsMask_ = 0, peCharsValues_ = 0, peDirsMask_ = 0,
           peDirsValues_ = 0, peFrom_ = 0, peTo_ = 0;
  uint32_t searchFor_ = 1;  // the mode shown (1 WinAPIs, 2 Import Libs)
};

}  // namespace tarnix::gui
