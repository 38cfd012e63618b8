#pragma once
// The Error Code Search window: an error code (a number or a name), the
// search locations of a preset, the search of every module there for the
// code's message (start, pause, resume, stop, progress, status output),
// the results with each module's version and description, and the presets
// (built-in, the user's own, export and import). Modeless; one per
// process, closing with the main window. The rules live in the engine
// (src/errcode, src/errnames); the window binds its widgets to them.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "errcode/code_result_rows.h"
#include "errcode/error_code_search.h"
#include "errcode/location_edits.h"
#include "errcode/module_details_pass.h"
#include "errcode/preset_list.h"
#include "gui/app/search_run.h"

class QComboBox;
class QLineEdit;
class QSplitter;
class QTableView;
class QTreeWidget;

namespace tarnix::gui {

class CComboBoxAuto;
class COutputTextBox;
class CodeResultsModel;
class CommandSet;
class SearchRunBar;

class CErrCodeSearchDlg : public QMainWindow {
  Q_OBJECT
 public:
  // Opens the window (or brings the open one forward) over `owner`'s
  // window, which it closes with.
  static CErrCodeSearchDlg* Show(QWidget* owner);
  // The open window; null when there is none.
  static CErrCodeSearchDlg* Instance();

  explicit CErrCodeSearchDlg(QWidget* owner = nullptr);
  ~CErrCodeSearchDlg() override;

  // What tests, timings and the screenshot tool look at.
  bool searchRunning() const { return run_.active(); }
  bool detailsRunning() const { return details_ && details_->Running(); }
  const CodeResultsModel& results() const { return *model_; }
  const ErrorCodePresetList& presets() const { return presets_; }
  COutputTextBox* statusOutput() const { return output_; }
  QTableView* resultsView() const { return view_; }
  QTreeWidget* locationsView() const { return locations_; }
  const CommandSet& commands() const { return *commands_; }

  // Starts a search as "&SEARCH" does.
  bool StartSearch();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using CodeRun = SearchRun::EngineWorkers<ErrorCodeSearch>;

  void BuildControls();
  void BuildCommands();
  void BuildMenus();
  void UpdateCommands();
  void ShowStatusOutput(bool show);

  // --- the search (err_code_search_dlg.cpp) ---
  void OnSearchButton();
  void PauseOrResume();
  void StopSearch();
  void OnMessage(PostedMessage& m);
  void FinishSearch(bool completed);
  void StartDetails();
  void OnDetailsMessage(PostedMessage& m);
  void EndDetails();
  void UpdateCodeNames();

  // --- presets and locations (err_code_search_edits.cpp) ---
  void FillPresets();
  void FillLocations(const LocationRows& select = {});
  LocationRows SelectedLocations() const;
  const std::vector<SearchLocation>* CurrentLocations() const;
  // Applies `edit` to the locations of the chosen preset (a built-in one
  // becomes an unsaved copy first); false with the last error.
  bool EditLocations(const std::function<bool(std::vector<SearchLocation>&)>& edit,
                     const std::function<LocationRows(const std::vector<SearchLocation>&)>& select = nullptr);
  void AddFolder();
  void AddFiles();
  void RemovePaths();
  void CopyPaths();
  void PastePaths();
  void MovePaths(bool up);
  void SavePreset(bool copy);
  void NewPreset();
  void RemovePreset();
  void ExportPresets();
  void ImportPresets();

  // --- results (err_code_search_edits.cpp) ---
  std::vector<size_t> SelectedRows() const;
  void CopyResults(CodeResultCopy what);
  void SaveResults();
  void AddAsSearchPath();
  void ShowModule(bool properties);
  void RestoreColumns(bool stored);
  void SaveColumns();

  CommandSet* commands_ = nullptr;
  CComboBoxAuto* code_ = nullptr;
  QLineEdit* names_ = nullptr;
  QComboBox* preset_ = nullptr;
  QTreeWidget* locations_ = nullptr;
  SearchRunBar* bar_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QWidget* outputPane_ = nullptr;
  COutputTextBox* output_ = nullptr;
  QTableView* view_ = nullptr;
  CodeResultsModel* model_ = nullptr;

  ErrorCodePresetList presets_;
  SearchRun run_;
  std::unique_ptr<ModuleDetailsPass> details_;
  std::unique_ptr<DesktopMessageTarget> detailsTarget_;
  bool detailsAgain_ = false;
  uint32_t presetsLoadError_ = 0;
  QPointer<QWidget> owner_;
  bool ownerClosing_ = false;
  bool closing_ = false;
};

}  // namespace tarnix::gui
