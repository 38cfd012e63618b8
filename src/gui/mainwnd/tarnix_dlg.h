#pragma once
// The main window: the symbol search criteria, its start, pause and stop,
// progress and status output, the results list, and the commands that open
// every tool window. The window turns its widgets into the engine's
// records, calls the engine and shows what comes back; the rules live in
// the engine and in src/tools. Its parts are collaborators of their own:
// the criteria (CriteriaPanel), the run bar (SearchRunBar) over one run of
// the engine at a time (Run), the results list (ResultsPane) and the
// commands (CommandSet, ids in main_commands.h).
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <string>
#include <vector>

#include "results/html_report.h"
#include "results/results_model.h"
#include "run/run.h"
#include "symbolsearch/search_params.h"

class QSplitter;
class QTableView;

namespace tarnix::gui {

class COutputTextBox;
class CommandSet;
class CriteriaPanel;
class ResultsPane;
class SearchRunBar;

class CTarnixDlg : public QMainWindow {
  Q_OBJECT
 public:
  explicit CTarnixDlg(QWidget* parent = nullptr);
  ~CTarnixDlg() override;

  // What tests, timings and the screenshot tool look at.
  bool searchRunning() const { return run_.active(); }
  bool detailsLoading() const;
  ResultsModel& results();
  COutputTextBox* statusOutput() const { return output_; }
  QTableView* resultsView() const;
  // The commands by their ids (main_commands.h).
  const CommandSet& commands() const { return *commands_; }
  // The status of the last search (1 finished, 2 aborted by the user, 3
  // critical error; 0 before the first).
  uint32_t lastStatus() const { return outcomeKnown_ ? outcome_.status : 0; }
  int64_t lastRunTimeMs() const { return outcomeKnown_ ? outcome_.runTimeMs : -1; }

  // Starts a search as the "&SEARCH" button does; `interactive` false
  // validates without message boxes (the command line's start).
  bool StartSearch(bool interactive = true);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  QSize FirstSize() const;
  void ShowStatusOutput(bool show, bool store);
  void GrowForShownPanel(QWidget* panel);
  void UpdateCommands();
  void ShowStoreNotes();

  // --- the search (tarnix_dlg.cpp) ---
  void ShowResults(const ResultBatch& batch);
  void FinishSearch(const RunSummary& summary);
  void ShowFinishBox();
  ReportCriteria LastCriteria() const;

  // --- the commands (tarnix_dlg_commands.cpp) ---
  void BuildCommands();
  void BuildMenus();
  void NewInstance();
  void OpenHelp(const QString& anchor);
  void CascadeWindows();
  void RestoreToPrimary();
  void RestoreToMouse();
  void CloseToolWindows();
  void DeleteTempFiles();
  void DeleteTempFilesAndSettings();
  void ExportEventLog(bool open);
  void OpenProjectPage(const wchar_t* urlTemplate, bool withDescription);
  void About();

  CommandSet* commands_ = nullptr;
  CriteriaPanel* criteria_ = nullptr;
  SearchRunBar* runBar_ = nullptr;
  ResultsPane* results_ = nullptr;
  QWidget* outputPane_ = nullptr;
  COutputTextBox* output_ = nullptr;
  QSplitter* splitter_ = nullptr;

  Run run_;
  bool closing_ = false;
  bool askingToClose_ = false;
  // The results list reached its memory limit: the text that says so.
  std::wstring limitText_;
  bool searchedOnce_ = false;
  bool raised_ = false;
  SearchParams lastParams_;
  ReportOutcome outcome_;
  bool outcomeKnown_ = false;
  uint64_t resultsSeen_ = 0;
  struct PendingBox {
    int id = 0;
    std::wstring text;
    uint32_t icon = 0;
  } pendingBox_;
  QTimer autoStartTimer_;
  QTimer storeNotesTimer_;
  std::vector<std::wstring> storeNotesSaid_;
};

}  // namespace tarnix::gui
