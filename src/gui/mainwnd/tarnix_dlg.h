#pragma once
// The main window: the symbol search criteria, its start, pause and stop,
// progress and status output, the results list, and the commands that open
// every tool window. The window turns its widgets into the engine's
// records, calls the engine and shows what comes back; the rules live in
// the engine and in src/tools.
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/stop_flag.h"
#include "platform/message_target.h"
#include "results/column_layout.h"
#include "results/details_loader.h"
#include "results/html_report.h"
#include "results/results_model.h"
#include "symbolsearch/command_line.h"
#include "symbolsearch/search_criteria.h"
#include "symbolsearch/search_messages.h"
#include "symbolsearch/search_params.h"
#include "symbolsearch/search_worker.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableView;
class QToolButton;

namespace tarnix::gui {

class CComboBoxAuto;
class COutputTextBox;
class DesktopMessageTarget;
class LinkLabel;
class RegexEditValidator;
class ResultsTableModel;
struct BusyTexts;
class BusyProgress;

// The temporary files the window writes.
inline constexpr char kTempLogView[] = "Tarnix TempLogView.html";
inline constexpr char kTempPreview[] = "Tarnix TempPreview.html";

// The option value a pattern history keeps with each entry: the states of
// the box's three check boxes.
inline constexpr uint64_t kHistoryRegex = 0x1, kHistoryCase = 0x2, kHistoryWords = 0x4;

class CTarnixDlg : public QMainWindow {
  Q_OBJECT
 public:
  explicit CTarnixDlg(QWidget* parent = nullptr);
  ~CTarnixDlg() override;

  // What tests and the screenshot tool look at.
  bool searchRunning() const { return searching_; }
  bool detailsLoading() const { return details_.Running(); }
  ResultsModel& results() { return results_; }
  COutputTextBox* statusOutput() const { return output_; }
  QTableView* resultsView() const { return view_; }
  // The commands, by their menu text without "&" and shortcut ("Copy Search
  // Results"); null when there is none.
  QAction* action(const QString& plainText) const;
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
  void resizeEvent(QResizeEvent* event) override;

 private:
  // --- building (tarnix_dlg.cpp) ---
  void BuildControls();
  QWidget* BuildSearchLocation();
  QWidget* BuildSearchFor();
  QWidget* BuildPeFilters();
  void LoadCriteria();
  void ApplyCommandLine();
  void SaveCheckBox(QCheckBox* box, const wchar_t* name);

  // --- commands (tarnix_dlg_actions.cpp) ---
  void BuildActions();
  void BuildMenus();
  QAction* MakeAction(const char* text, const char* shortcut, std::function<void()> run,
                      const char* extraShortcut = nullptr);
  void UpdateActions();
  void NotBuiltYet(const QString& command);
  void SetSearchFor(uint32_t mode, bool store);
  void FillPresentAs();
  void ShowPeFilters(bool show, bool store);
  void ShowStatusOutput(bool show, bool store);
  void RefreshFilterLinks();
  void PickFiles();
  void PickFolder();
  void ApplyPickedPaths(const QStringList& paths, bool append);
  void ShowFolderMenu();
  void ShowFileMenu();
  void ShowSearchMenu();
  void OpenHelp(const QString& anchor);
  void EditFilter(int use);
  void EditTimeStamp(bool from);
  void ClearPeFilters();
  void BinaryFilePresets();
  void NewInstance();
  bool StartInstance(uint32_t autoActions, const std::vector<std::wstring>& files,
                     const CommandLineValues& values);
  CommandLineValues CurrentValues() const;
  void SaveStatusOutput();
  void CascadeWindows();
  void RestoreToPrimary();
  void RestoreToMouse();
  void CloseToolWindows();
  void DeleteTempFiles();
  void DeleteTempFilesAndSettings();
  void ExportEventLog(bool open);
  void OpenProjectPage(const wchar_t* urlTemplate, bool withDescription);
  void About();
  bool OpenUrlOrSay(const QUrl& url);

  // --- the search (tarnix_dlg_search.cpp) ---
  void OnSearchButton();
  void PauseOrResume();
  void StopSearch();
  void SetIdleControls();
  void OnMessage(PostedMessage& m);
  void FinishSearch(bool completed);
  void ShowSearchForMenu();
  void ShowFinishBox();
  void SetProgressText(const QString& text);
  SearchCriteriaInput GatherCriteria() const;
  QWidget* ControlOf(CriteriaControl c) const;

  // --- the results (tarnix_dlg_results.cpp) ---
  void BuildColumns(ColumnLayout layout);
  ColumnLayout ScreenOrderLayout() const;
  std::vector<int32_t> ScreenColumns() const;
  int ListClientWidth() const;
  void SaveColumnLayout();
  void RestoreDefaultColumns();
  void ToggleColumn(int32_t column);
  void SortBy(int32_t column);
  void ShowHeaderMenu(const QPoint& pos);
  void ShowResultsMenu(const QPoint& pos);
  std::vector<size_t> SelectedRows() const;
  int32_t ColumnAt(const QPoint& viewportPos) const;
  void CopyRows();
  void CopyColumn(int32_t column);
  void CopyImagePath();
  void SelectAllResults();
  void ClearResults();
  void SaveResults();
  void PreviewResults();
  bool ConfirmIncompleteDetails();
  ReportCriteria LastCriteria() const;
  int RunBusyWork(const BusyTexts& texts, const std::function<int(BusyProgress&)>& work);
  void StartDetailsLoader();
  void StopDetailsLoader();
  void OpenModuleInstance(const std::wstring& modulePath, uint32_t lookIn, bool start);

  // --- widgets ---
  CComboBoxAuto* folder_ = nullptr;
  QToolButton* folderMenuButton_ = nullptr;
  QCheckBox* subfolders_ = nullptr;
  CComboBoxAuto* fileName_ = nullptr;
  QToolButton* fileMenuButton_ = nullptr;
  QCheckBox* fileRegex_ = nullptr;
  QCheckBox* fileCase_ = nullptr;
  QCheckBox* fileWords_ = nullptr;
  LinkLabel* fileMoreInfo_ = nullptr;
  LinkLabel* searchForLink_ = nullptr;
  CComboBoxAuto* searchText_ = nullptr;
  QToolButton* searchMenuButton_ = nullptr;
  QCheckBox* searchRegex_ = nullptr;
  QCheckBox* searchCase_ = nullptr;
  QCheckBox* searchWords_ = nullptr;
  LinkLabel* searchMoreInfo_ = nullptr;
  LinkLabel* lookInLink_ = nullptr;
  QComboBox* presentAs_ = nullptr;
  QGroupBox* peGroup_ = nullptr;
  LinkLabel* typeLink_ = nullptr;
  LinkLabel* subsystemsLink_ = nullptr;
  LinkLabel* characteristicsLink_ = nullptr;
  LinkLabel* directoriesLink_ = nullptr;
  LinkLabel* fromLink_ = nullptr;
  LinkLabel* toLink_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* searchButton_ = nullptr;
  QPushButton* stopButton_ = nullptr;
  QLabel* progressText_ = nullptr;
  QTableView* view_ = nullptr;
  QWidget* outputPane_ = nullptr;
  COutputTextBox* output_ = nullptr;
  QSplitter* splitter_ = nullptr;
  RegexEditValidator* fileCheck_ = nullptr;
  RegexEditValidator* searchCheck_ = nullptr;

  // --- commands ---
  std::vector<QAction*> actions_;
  QAction* actSaveResults_ = nullptr;
  QAction* actForWinApis_ = nullptr;
  QAction* actForImportLibs_ = nullptr;
  QAction* actShowPeFilters_ = nullptr;
  QAction* actShowOutput_ = nullptr;
  QAction* actResultInfo_ = nullptr;
  QAction* actPreview_ = nullptr;
  QAction* actCopyResults_ = nullptr;
  QAction* actClearResults_ = nullptr;
  QAction* actSelectAll_ = nullptr;
  QAction* actRescan_ = nullptr;
  QAction* actDefaultColumns_ = nullptr;
  QAction* actRegexComposer_ = nullptr;
  QAction* actTryRegex_ = nullptr;
  QAction* actBinaryPresets_ = nullptr;
  QAction* actListInfo_ = nullptr;
  QAction* actListCopy_ = nullptr;
  QAction* actListSelectAll_ = nullptr;
  QAction* actListRescan_ = nullptr;

  // --- state ---
  // The filters of the next search: from the settings, or from the command
  // line for this run; the filter dialogs change them and the settings.
  uint32_t lookIn_ = 0, peTypes_ = 0;
  uint64_t peSubsystems_ = 0, peCharsMask_ = 0, peCharsValues_ = 0, peDirsMask_ = 0,
           peDirsValues_ = 0, peFrom_ = 0, peTo_ = 0;
  uint32_t searchFor_ = 1;  // the mode shown (1 WinAPIs, 2 Import Libs)
  bool searching_ = false;
  bool closing_ = false;
  bool userStopped_ = false;
  bool searchedOnce_ = false;
  bool columnsBuilt_ = false;
  bool raised_ = false;
  bool blinkOn_ = false;
  QString currentFile_;
  SearchRunClock clock_;
  SearchParams lastParams_;
  ReportOutcome outcome_;
  bool outcomeKnown_ = false;
  uint64_t resultsSeen_ = 0;
  struct PendingBox {
    int id = 0;
    std::wstring text;
    uint32_t icon = 0;
  } pendingBox_;
  // One search's workers with what they share. A run whose workers do not
  // end in time is abandoned whole (its target closed, never freed), so a
  // late worker never touches the next search or freed memory.
  struct SearchRun {
    StopFlag stop{kStopRun};
    SearchStatistics stats;
    std::unique_ptr<DesktopMessageTarget> target;
    std::unique_ptr<SymbolSearch> search;
  };
  std::unique_ptr<SearchRun> run_;
  std::vector<std::unique_ptr<SearchRun>> abandoned_;
  // Waits up to `ms` for the run's workers; abandons the run when they do
  // not end. True when they ended.
  bool EndRun(int ms);
  ResultsModel results_;
  ResultsTableModel* model_ = nullptr;
  ResultDetailsLoader details_;
  // The details pass posts to a target of its own pass: a pass that did
  // not stop in time posts into a closed target, never into the next list.
  std::unique_ptr<DesktopMessageTarget> detailsTarget_;
  std::vector<std::unique_ptr<DesktopMessageTarget>> retiredTargets_;
  void RetireDetailsTarget();
  QTimer blinkTimer_;
  QTimer detailsTimer_;
  QTimer autoStartTimer_;
};

}  // namespace tarnix::gui
