#pragma once
// The Error Code Search window: an error code (a number or a name), the
// search locations of a preset (the "Search In" pane), the search of every
// module there for the code's message as one run of the engine (the run
// bar, the status output), and the results with each module's version and
// description from the run's follow-up pass. Modeless; one per process,
// closing with the main window. The rules live in the engine (src/errcode,
// src/errnames); the window binds its widgets to them.
#include <QMainWindow>
#include <string>
#include <vector>

#include "core/setting_changes.h"
#include "errcode/code_result_rows.h"
#include "errcode/preset_list.h"
#include "run/run.h"

class QLineEdit;
class QSplitter;
class QTableView;
class QTreeWidget;

namespace tarnix::gui {

class CComboBoxAuto;
class COutputTextBox;
class CodeLocationsPane;
class CodeResultsModel;
class ColumnLayoutBinder;
class CommandSet;
class SearchRunBar;
class ToolWindowClosing;

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
  bool detailsRunning() const { return run_.followUpRunning(); }
  const CodeResultsModel& results() const { return *model_; }
  const ErrorCodePresetList& presets() const;
  COutputTextBox* statusOutput() const { return output_; }
  QTableView* resultsView() const { return view_; }
  QTreeWidget* locationsView() const;
  const CommandSet& commands() const { return *commands_; }

  // Starts a search as "&SEARCH" does.
  bool StartSearch();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BuildCommands();
  void BuildMenus();
  void UpdateCommands();
  void UpdateCodeNames();
  void Finished(const RunSummary& summary);

  std::vector<size_t> SelectedRows() const;
  void CopyResults(CodeResultCopy what);
  void SaveResults();
  void AddAsSearchPath();
  void ShowModule(bool properties);

  Run run_;
  CommandSet* commands_ = nullptr;
  ToolWindowClosing* closing_ = nullptr;
  CComboBoxAuto* code_ = nullptr;
  QLineEdit* names_ = nullptr;
  CodeLocationsPane* where_ = nullptr;
  SearchRunBar* bar_ = nullptr;
  QWidget* outputPane_ = nullptr;
  COutputTextBox* output_ = nullptr;
  QTableView* view_ = nullptr;
  CodeResultsModel* model_ = nullptr;
  ColumnLayoutBinder* columns_ = nullptr;
  uint32_t searchedCode_ = 0;  // the code of the last search started
};

}  // namespace tarnix::gui
