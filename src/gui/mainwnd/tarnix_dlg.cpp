#include "gui/mainwnd/tarnix_dlg.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "core/error_text.h"
#include "core/wformat.h"
#include "core/window_settings.h"
#include "gui/app/command_set.h"
#include "gui/app/confirmable.h"
#include "gui/app/desktop_message_target.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/placement_binder.h"
#include "gui/app/status_output.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/text_convert.h"
#include "gui/mainwnd/criteria_panel.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/mainwnd/results_pane.h"
#include "gui/widgets/buddy_label.h"
#include "gui/widgets/busy_popup.h"
#include "gui/widgets/fit_scroll_area.h"
#include "gui/widgets/output_text_box.h"
#include "gui/widgets/search_run_bar.h"
#include "pe/look_in.h"
#include "platform/last_error.h"
#include "results/report_inputs.h"
#include "results/results_limit.h"
#include "run/symbol_search_run.h"
#include "symbolsearch/result_batch.h"
#include "core/setting_names.h"
#include "core/store_notes.h"
#include "tools/message_box_table.h"
#include "tools/search_description.h"
#include "tools/search_finish.h"

namespace tarnix::gui {

CTarnixDlg::CTarnixDlg(QWidget* parent) : QMainWindow(parent), run_(DesktopRunTargets()) {
  setObjectName(QStringLiteral("CTarnixDlg"));
  setWindowTitle(CTarnixApp::MainWindowTitle());
  setAcceptDrops(true);
  CTarnixApp* app = CTarnixApp::Instance();
  if (app) app->setMainWindow(this);

  commands_ = new CommandSet(this);
  BuildControls();
  BuildCommands();
  BuildMenus();
  const bool autoStart = criteria_->Load(app ? &app->commandLine() : nullptr);
  ShowStatusOutput(AppSettings().showControls & kShowStatusOutput, false);

  autoStartTimer_.setSingleShot(true);
  autoStartTimer_.setInterval(100);
  connect(&autoStartTimer_, &QTimer::timeout, this, [this] {
    CTarnixApp* app = CTarnixApp::Instance();
    if (app && (app->commandLine().autoActions & kAutoForeground)) {
      raise();
      activateWindow();
    }
    if (run_.active()) run_.Stop();
    StartSearch(false);
  });
  if (autoStart) autoStartTimer_.start();

  // The first size (FirstSize) is centred on its screen, inside the
  // screen's available area; the layout keeps the window from getting
  // smaller than it needs as panels are shown. The saved placement, if
  // any, wins.
  resize(FirstSize());
  if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
    const QRect area = s->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  new PlacementBinder(this, setting::kMainWnd, PlacementDefaults{});
  run_.OnResults<ResultBatch>([this](ResultBatch& batch) { ShowResults(batch); });
  run_.OnEnded([this](const RunSummary& s) { FinishSearch(s); });
  run_.OnStateChanged([this] { UpdateCommands(); });
  // Writes the store could not take are said while the window runs.
  storeNotesTimer_.setInterval(5000);
  connect(&storeNotesTimer_, &QTimer::timeout, this, [this] { ShowStoreNotes(); });
  UpdateCommands();
}

CTarnixDlg::~CTarnixDlg() {
  closing_ = true;
  criteria_->Detach();
  if (CTarnixApp* app = CTarnixApp::Instance(); app && app->mainWindow() == this) app->setMainWindow(nullptr);
}

QSize CTarnixDlg::FirstSize() const {
  // A generous share of the screen's available area, so that the results
  // list shows its default columns in full and many rows (the extra height
  // goes to the list); never less than the compact layout needs.
  const QFontMetrics fm(font());
  QSize size(std::max(minimumSizeHint().width(), fm.averageCharWidth() * 100), sizeHint().height());
  if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
    const QSize area = s->availableGeometry().size();
    size = size.expandedTo(QSize(area.width() * 17 / 20, area.height() * 17 / 20)).boundedTo(area);
  }
  return size.expandedTo(minimumSizeHint());
}

bool CTarnixDlg::detailsLoading() const { return results_->detailsRunning(); }
ResultsModel& CTarnixDlg::results() { return results_->results(); }
QTableView* CTarnixDlg::resultsView() const { return results_->view(); }

void CTarnixDlg::BuildControls() {
  auto* central = new QWidget(this);
  auto* root = new QVBoxLayout(central);
  criteria_ = new CriteriaPanel(nullptr, *commands_);
  auto* criteriaArea = new FitScrollArea(criteria_, central);
  criteriaArea->setAccessibleName(QStringLiteral("Search Criteria"));
  root->addWidget(criteriaArea);
  connect(criteria_, &CriteriaPanel::searchRequested, this, [this] { runBar_->searchButton()->click(); });
  connect(criteria_, &CriteriaPanel::helpRequested, this, [this](const QString& anchor) { OpenHelp(anchor); });
  connect(criteria_, &CriteriaPanel::searchForChanged, this, [this] { UpdateCommands(); });

  runBar_ = new SearchRunBar(central);
  root->addWidget(runBar_);
  runBar_->Bind(run_, [this] { StartSearch(true); });

  splitter_ = new QSplitter(Qt::Vertical, central);
  results_ = new ResultsPane(splitter_, *commands_, run_, [this] { return criteria_->SwitchValues(); });
  connect(results_, &ResultsPane::stateChanged, this, [this] { UpdateCommands(); });

  outputPane_ = new QWidget(splitter_);
  auto* outputLayout = new QVBoxLayout(outputPane_);
  outputLayout->setContentsMargins(0, 0, 0, 0);
  output_ = new COutputTextBox(outputPane_);
  output_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  BindStatusOutput(run_, output_, OutputSize::kStatusOutput);
  outputLayout->addWidget(BuddyLabel(outputPane_, QStringLiteral("Status Output:"), output_));
  outputLayout->addWidget(output_);
  splitter_->addWidget(results_);
  splitter_->addWidget(outputPane_);
  splitter_->setStretchFactor(0, 3);
  splitter_->setStretchFactor(1, 1);
  splitter_->setChildrenCollapsible(false);
  root->addWidget(splitter_, 1);
  setCentralWidget(central);
}

void CTarnixDlg::ShowStatusOutput(bool show, bool store) {
  outputPane_->setVisible(show);
  if (store) WriteShowControl(AppSettings(), kShowStatusOutput, show);
  UpdateCommands();
}

void CTarnixDlg::GrowForShownPanel(QWidget* panel) {
  // A panel the user shows takes its room from the screen where there is
  // some, not from the results list.
  if (isMaximized() || isFullScreen()) return;
  QScreen* s = screen();
  if (!s) return;
  const QRect area = s->availableGeometry();
  const int grow = std::min(panel->sizeHint().height(), area.bottom() - frameGeometry().bottom());
  if (grow > 0) resize(width(), height() + grow);
}

void CTarnixDlg::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  CTarnixApp* app = CTarnixApp::Instance();
  if (!raised_ && app && (app->commandLine().autoActions & kAutoForeground)) {
    raised_ = true;
    raise();
    activateWindow();
  }
  results_->BuildStoredColumns();
  // What the settings store could not do is said once the window is up.
  if (!storeNotesTimer_.isActive()) {
    QTimer::singleShot(0, this, [this] { ShowStoreNotes(); });
    storeNotesTimer_.start();
  }
}

void CTarnixDlg::ShowStoreNotes() {
  for (const StoreNote& note : TakeStoreNotes()) {
    output_->AppendLine(note.text);
    storeNotesSaid_.push_back(note.text);
    if (note.firstTime && !closing_) {
      AppDialogs().MessageBox(this, ToQ(note.text), QStringLiteral("Tarnix"), mb::kOk | mb::kIconWarning);
      MarkStoreNoteShown(note.kind);
    }
  }
}

void CTarnixDlg::closeEvent(QCloseEvent* event) {
  results_->SaveColumnLayout();
  if (run_.active() && !closing_) {
    // The search goes on while the question is up; should it end
    // meanwhile, its finish box waits for the answer.
    askingToClose_ = true;
    const int answer = AppDialogs().MessageBox(
        this, QStringLiteral("Search has not finished yet.\n\nDo you want to close this program?"),
        QStringLiteral("Tarnix"), mb::kYesNoCancel | mb::kIconQuestion);
    askingToClose_ = false;
    if (answer != IDYES) {
      event->ignore();
      if (pendingBox_.id) QTimer::singleShot(0, this, [this] { ShowFinishBox(); });
      return;
    }
  }
  closing_ = true;
  autoStartTimer_.stop();
  results_->Close();
  // The search ends without its finish: nothing it still posts is shown.
  run_.Close();
  CloseToolWindows();
  criteria_->Detach();
  storeNotesTimer_.stop();
  // Closing waits a moment for the settings still on their way to the
  // store, and says so when they could not be saved.
  const std::wstring unsaved = FinishStoreWrites();
  if (!unsaved.empty())
    AppDialogs().MessageBox(this, ToQ(unsaved), QStringLiteral("Tarnix"), mb::kOk | mb::kIconWarning);
  event->accept();
}

void CTarnixDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CTarnixDlg::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& u : event->mimeData()->urls())
    if (u.isLocalFile()) paths.push_back(u.toLocalFile());
  event->acceptProposedAction();
  criteria_->ApplyPickedPaths(paths, event->modifiers() & Qt::ShiftModifier);
}

bool CTarnixDlg::StartSearch(bool interactive) {
  if (run_.active()) return false;
  if (BusyWorkRunning()) {
    // The results are in the hands of other work; the start waits for it.
    if (!interactive) autoStartTimer_.start();
    return false;
  }
  auto ask = [this](const std::wstring& text, uint32_t boxType, CriteriaControl focus) {
    if (QWidget* w = criteria_->ControlOf(focus)) w->setFocus();
    const int answer = AppDialogs().MessageBox(this, ToQ(text), QStringLiteral("Tarnix"), boxType);
    return answer == IDYES ? QuestionAnswer::kYes : answer == IDNO ? QuestionAnswer::kNo : QuestionAnswer::kCancel;
  };
  SearchParams params;
  const CriteriaOutcome outcome = ValidateAndBuildSearch(criteria_->Gather(), interactive, ask, params);
  if (!outcome.start) {
    if (interactive && !outcome.message.empty())
      AppDialogs().MessageBox(this, ToQ(outcome.message), QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
    if (!outcome.message.empty() && !interactive) {
      // A search the command line started says why it could not start
      // where it can be read.
      output_->AppendLine(outcome.message);
      if (outputPane_->isHidden()) commands_->Trigger(kCmdShowStatusOutput);
    }
    if (QWidget* w = criteria_->ControlOf(outcome.control)) w->setFocus();
    return false;
  }
  criteria_->AddToHistories();
  const ProgramSettings& s = AppSettings();

  limitText_.clear();
  resultsSeen_ = 0;
  results_->results().SetMemoryCeiling(ResultsMemoryLimit(AppSettings().resultsMaxMiB));
  results_->BeginSearch(params.searchFor == kSearchForSymbols, params.presentAs == kPresentModulesOnly);
  if (s.clearOutputBeforeSearch) {
    output_->Clear();
    // What the settings store could not do still holds: it stays said.
    for (const std::wstring& note : storeNotesSaid_) output_->AppendLine(note);
  }
  output_->AppendLine(L"Initiating Search:");
  output_->AppendLine(SearchCriteriaDescription(params));
  output_->AppendSeparator();

  SearchStartSettings start;
  start.emptyMatchesAll = s.emptySearchMatchesAll;
  start.undecorate = s.undecorateCppNames;
  start.undecorationFlags = s.undecorationFlags;
  start.readers = s.searchReaders;
  start.cacheSymbols = s.cacheSymbols;
  start.cacheLimitMiB = s.cacheLimitMiB;
  if (!run_.Begin(std::make_unique<SymbolSearchRun>(params, start))) {
    const uint32_t err = GetLastError();
    output_->AppendLine(WFormat(L"ERROR: %ls", ErrorText(err).c_str()));
    results_->EndSearch(false);
    ShowErrorBox(this,
                 L"Failed to start the search.\n(Refer to the status output or to the Windows Event Log for "
                 L"details.)",
                 err);
    return false;
  }
  searchedOnce_ = true;
  lastParams_ = params;
  return true;
}

void CTarnixDlg::ShowResults(const ResultBatch& batch) {
  resultsSeen_ += results_->Append(batch, AppSettings().autoScrollResults);
  if (results_->results().full() && limitText_.empty()) {
    // The list keeps what it took; the search ends with its end message.
    limitText_ = ResultsLimitText(resultsSeen_, results_->results().memoryCeiling(), LimitRaise::kSetting);
    output_->AppendLine(L"Warning: " + limitText_);
    run_.RequestStop();
  }
}

void CTarnixDlg::FinishSearch(const RunSummary& summary) {
  SearchEnd end;
  end.filesSearched = summary.counts.items;
  end.errors = summary.counts.errors;
  end.warnings = summary.counts.warnings;
  end.stoppedByUser = summary.end == RunEnd::kStopped;
  end.limitText = limitText_;
  end.completed = summary.end == RunEnd::kCompleted;
  end.elapsedMs = summary.elapsedMs;
  end.results = resultsSeen_;
  end.statusOutputShown = !outputPane_->isHidden();
  if (RevealStatusOutputAtFinish(end)) {
    ShowStatusOutput(true, false);
    end.statusOutputShown = true;
  }
  const SearchFinishTexts t = SearchFinishOutcome(end);
  for (const std::wstring& line : t.lines) output_->AppendLine(line);
  outcome_.status = t.status;
  outcome_.runTimeMs = summary.elapsedMs;
  outcome_.filesSearched = end.filesSearched;
  outcome_.errors = end.errors;
  outcome_.warnings = end.warnings;
  outcome_.found = end.results;
  outcomeKnown_ = true;
  results_->EndSearch(!closing_ && t.status != 3);
  UpdateCommands();
  if (t.boxId) {
    pendingBox_ = {t.boxId, t.boxText, t.boxIcon};
    // Shown once this message has been handled, so that the workers' and
    // the details pass's messages keep flowing while the box is up.
    QTimer::singleShot(0, this, [this] { ShowFinishBox(); });
  }
}

void CTarnixDlg::ShowFinishBox() {
  if (askingToClose_) return;  // shown once the close question is answered No
  const PendingBox box = pendingBox_;
  pendingBox_ = {};
  if (!box.id || closing_) return;
  const MessageBoxRow* row = FindMessageBoxRow(box.id);
  if (row && IsSuppressed(*row)) {
    SearchFinishTexts t;
    t.boxId = box.id;
    t.boxIcon = box.icon;
    if (BeepInsteadOfFinishBox(t, AppSettings().errorBeepWithoutBox)) AppDialogs().Beep(box.icon);
    return;
  }
  ShowConfirmable(box.id, ToQ(box.text), box.icon, this);
}

ReportCriteria CTarnixDlg::LastCriteria() const { return ReportCriteriaFromSearch(lastParams_); }

}  // namespace tarnix::gui
