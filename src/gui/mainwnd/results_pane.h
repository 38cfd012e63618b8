#pragma once
// The main window's results list: the view over the engine's results
// model, its columns and their stored layout, sorting, the header and list
// context menus, copying, saving, the preview and the details pass (the
// window's run's follow-up) that completes the rows after a search. Long
// work over the rows runs under the busy popup, with every message of the
// run that would change them held.
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "gui/app/column_layout_binder.h"
#include "results/column_layout.h"
#include "results/html_report.h"
#include "results/results_model.h"
#include "symbolsearch/command_line.h"
#include "run/run.h"
#include "symbolsearch/result_batch.h"

class QLabel;
class QTableView;

namespace tarnix {
struct ImageInfoSubject;
}

namespace tarnix::gui {

class BusyProgress;
class CommandSet;
class ResultsTableModel;
struct BusyTexts;

class ResultsPane : public QWidget {
  Q_OBJECT
 public:
  // `run` is the window's: the list takes its results and starts the
  // details as its follow-up pass. `criteria` gives the switches of the
  // window's criteria (a module opened for search).
  ResultsPane(QWidget* parent, const CommandSet& commands, Run& run, std::function<CommandLineValues()> criteria);
  ~ResultsPane() override;

  ResultsModel& results() { return results_; }
  const ResultsModel& results() const { return results_; }
  QTableView* view() const { return view_; }
  bool empty() const { return results_.empty(); }
  bool hasSelection() const;
  bool oneRowSelected() const;
  bool detailsRunning() const { return run_.followUpRunning(); }
  // "&Re-Scan Results List" may run: details were interrupted and no pass runs.
  bool rescanOffered() const;

  // The search's side: the list is emptied and filled by batches.
  void BeginSearch(bool winApiSearch, bool modulesOnly);
  // Answers how many results the list took: fewer once it reached its
  // memory limit (results().full()).
  size_t Append(const ResultBatch& batch, bool scrollToEnd);
  // The search ended: the details pass starts 100 ms later when `details`.
  void EndSearch(bool details);
  // The window closes: no details any more, the layout saved.
  void Close();

  // Builds the columns from the stored layout (once the view has its size).
  void BuildStoredColumns();
  void SaveColumnLayout();

  // The commands over the rows.
  void CopyRows();
  void SelectAll();
  void Clear();
  void RestoreDefaultColumns();
  void StartDetails();
  void StopDetails();
  // Save and preview write the report of the last search.
  void Save(const ReportCriteria& criteria, const ReportOutcome& outcome, const std::wstring& statusText);
  void Preview(const ReportCriteria& criteria, const ReportOutcome& outcome, const std::wstring& statusText);
  // The image path of the one selected row; empty otherwise.
  std::wstring SelectedImage() const;
  // What the image information window shows of the first selected row and
  // the search that listed it; false when no row is selected.
  bool FirstSelectedSubject(ImageInfoSubject& subject) const;

 signals:
  // The rows, the selection or the details state changed: commands may
  // have to change their enabled state.
  void stateChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildColumns(ColumnLayout layout);
  void FitStretchColumns();
  void ShowCount();
  ColumnLayout ScreenOrderLayout() const;
  std::vector<int32_t> ScreenColumns() const;
  int ListClientWidth() const;
  void ToggleColumn(int32_t column);
  void SortBy(int32_t column);
  void ShowHeaderMenu(const QPoint& pos);
  // `keyboard`: opened by the Menu key or Shift+F10, on the current row,
  // with its default item active so that Return picks it.
  void ShowContextMenu(const QPoint& pos, bool keyboard = false);
  void ShowKeyboardContextMenu();
  std::vector<size_t> SelectedRows() const;
  int32_t ColumnAt(const QPoint& viewportPos) const;
  void CopyColumn(int32_t column);
  void CopyImagePath();
  bool ConfirmIncompleteDetails();
  int RunBusyWork(const BusyTexts& texts, const std::function<int(BusyProgress&)>& work);
  ColumnLayoutBinder::Layout StoredLayout();

  const CommandSet& commands_;
  Run& run_;
  std::function<CommandLineValues()> criteria_;
  ColumnLayoutBinder* columnsBinder_ = nullptr;
  QTableView* view_ = nullptr;
  QLabel* count_ = nullptr;
  ResultsModel results_;
  ResultsTableModel* model_ = nullptr;
  QTimer detailsTimer_;
  bool searching_ = false;
  bool closing_ = false;
  bool columnsBuilt_ = false;
  // The default layout is shown and the user has not changed it: its
  // shares follow the list's width.
  bool defaultsFollowWidth_ = false;
  bool sizingColumns_ = false;
};

}  // namespace tarnix::gui
