// The main window's search: start, pause, resume, stop, the workers'
// messages and the finish sequence.
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/registry_settings.h"
#include "core/wformat.h"
#include "gui/app/confirmable.h"
#include "gui/app/desktop_message_target.h"
#include "gui/app/dialogs.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/text_convert.h"
#include "gui/mainwnd/results_table_model.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "gui/widgets/busy_popup.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/output_text_box.h"
#include "pe/look_in.h"
#include "platform/last_error.h"
#include "results/details_loader.h"
#include "tools/message_box_table.h"
#include "tools/search_description.h"
#include "tools/search_finish.h"

namespace tarnix::gui {
namespace {

uint64_t Options(const QCheckBox* regex, const QCheckBox* cs, const QCheckBox* words) {
  return (regex->isChecked() ? kHistoryRegex : 0) | (cs->isChecked() ? kHistoryCase : 0) |
         (words->isChecked() ? kHistoryWords : 0);
}

}  // namespace

SearchCriteriaInput CTarnixDlg::GatherCriteria() const {
  SearchCriteriaInput in;
  in.folder = folder_->Text();
  in.includeSubfolders = subfolders_->isChecked();
  in.fileName.text = fileName_->Text();
  in.fileName.regex = fileRegex_->isChecked();
  in.fileName.caseSensitive = fileCase_->isChecked();
  in.fileName.wholeWords = fileWords_->isChecked();
  in.searchFor = searchFor_;
  in.search.text = searchText_->Text();
  in.search.regex = searchRegex_->isChecked();
  in.search.caseSensitive = searchCase_->isChecked();
  in.search.wholeWords = searchWords_->isChecked();
  in.lookIn = lookIn_;
  in.presentAs = presentAs_->currentData().toUInt();
  in.peFiltersShown = !peGroup_->isHidden();
  in.imageTypes = peTypes_;
  in.subsystems = peSubsystems_;
  in.characteristicsMask = peCharsMask_;
  in.characteristicsValues = peCharsValues_;
  in.directoriesMask = peDirsMask_;
  in.directoriesValues = peDirsValues_;
  in.timeStampFrom = peFrom_;
  in.timeStampTo = peTo_;
  CTarnixApp* app = CTarnixApp::Instance();
  in.regexGrammar = app ? app->settings().regexGrammar : 1;
  return in;
}

QWidget* CTarnixDlg::ControlOf(CriteriaControl c) const {
  switch (c) {
    case CriteriaControl::kFolder: return folder_;
    case CriteriaControl::kFileName: return fileName_;
    case CriteriaControl::kSearchFor: return searchForLink_;
    case CriteriaControl::kSearchText: return searchText_;
    case CriteriaControl::kPresentAs: return presentAs_;
    case CriteriaControl::kTimeStampFrom: return fromLink_;
    case CriteriaControl::kTimeStampTo: return toLink_;
    default: return nullptr;
  }
}

void CTarnixDlg::OnSearchButton() {
  if (searching_)
    PauseOrResume();
  else
    StartSearch(true);
}

bool CTarnixDlg::StartSearch(bool interactive) {
  if (searching_) return false;
  if (BusyWorkRunning()) {
    // The results are in the hands of other work; the start waits for it.
    if (!interactive) autoStartTimer_.start();
    return false;
  }
  auto ask = [this](const std::wstring& text, uint32_t boxType, CriteriaControl focus) {
    if (QWidget* w = ControlOf(focus)) w->setFocus();
    const int answer = AppDialogs().MessageBox(this, ToQ(text), QStringLiteral("Tarnix"), boxType);
    return answer == IDYES ? QuestionAnswer::kYes : answer == IDNO ? QuestionAnswer::kNo : QuestionAnswer::kCancel;
  };
  SearchParams params;
  const CriteriaOutcome outcome = ValidateAndBuildSearch(GatherCriteria(), interactive, ask, params);
  if (!outcome.start) {
    if (interactive && !outcome.message.empty())
      AppDialogs().MessageBox(this, ToQ(outcome.message), QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
    if (!outcome.message.empty() && !interactive) output_->AppendLine(outcome.message);
    if (QWidget* w = ControlOf(outcome.control)) w->setFocus();
    return false;
  }
  folder_->AddToHistory();
  fileName_->AddToHistory(Options(fileRegex_, fileCase_, fileWords_));
  searchText_->AddToHistory(Options(searchRegex_, searchCase_, searchWords_));

  CTarnixApp* app = CTarnixApp::Instance();
  ProgramSettings defaults;
  const ProgramSettings& s = app ? app->settings() : defaults;

  StopDetailsLoader();
  // The workers of an earlier search have ended, or are abandoned now.
  if (run_ && run_->search && run_->search->Running()) EndRun(5000);
  auto run = std::make_unique<SearchRun>();
  SearchRun* r = run.get();
  run->target = std::make_unique<DesktopMessageTarget>(
      [this, r](PostedMessage& m) {
        if (run_.get() == r) OnMessage(m);
      },
      DesktopMessageTarget::kDefaultCapacity, DesktopMessageTarget::kWindowPostIntervalMs);
  run->search = std::make_unique<SymbolSearch>();
  run_ = std::move(run);

  searching_ = true;
  userStopped_ = false;
  resultsSeen_ = 0;
  currentFile_.clear();
  searchButton_->setText(QStringLiteral("&Pause"));
  stopButton_->setEnabled(true);
  progress_->setRange(0, 0);
  progress_->show();
  model_->BeginSearch(params.searchFor == kSearchForSymbols, params.presentAs == kPresentModulesOnly);
  view_->horizontalHeader()->setSortIndicatorShown(false);
  view_->horizontalHeader()->setSectionsMovable(false);
  UpdateActions();

  if (s.clearOutputBeforeSearch) output_->Clear();
  output_->AppendLine(L"Initiating Search:");
  output_->AppendLine(SearchCriteriaDescription(params));
  output_->AppendSeparator();

  params.stopFlag = &run_->stop;
  params.statistics = &run_->stats;
  params.window = run_->target.get();
  SearchStartSettings start;
  start.emptyMatchesAll = s.emptySearchMatchesAll;
  start.undecorate = s.undecorateCppNames;
  start.undecorationFlags = s.undecorationFlags;
  clock_.Start();
  if (!run_->search->Start(params, start)) {
    const uint32_t err = GetLastError();
    output_->AppendLine(WFormat(L"ERROR: %ls", ErrorText(err).c_str()));
    searching_ = false;
    SetIdleControls();
    view_->horizontalHeader()->setSectionsMovable(true);
    UpdateActions();
    AppDialogs().MessageBox(
        this,
        ToQ(WFormat(L"Failed to start the search.\n(Refer to the status output or to the Windows Event "
                    L"Log for details.)\n\n%ls",
                    ErrorText(err).c_str())),
        QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
    return false;
  }
  searchedOnce_ = true;
  lastParams_ = params;
  return true;
}

bool CTarnixDlg::EndRun(int ms) {
  if (!run_ || !run_->search) return true;
  if (run_->search->Wait(std::chrono::milliseconds(ms))) return true;
  EventLog::LogFormat(L"The search threads did not end within %d ms; they are left to end on their own", ms);
  run_->stop.store(kStopStop);
  run_->target->Close();
  abandoned_.push_back(std::move(run_));
  return false;
}

void CTarnixDlg::PauseOrResume() {
  if (!searching_ || !run_) return;
  if (run_->stop.load() == kStopRun) {
    clock_.Pause();
    run_->stop.store(kStopPause);
    searchButton_->setText(QStringLiteral("Res&ume"));
    blinkOn_ = true;
    SetProgressText(QStringLiteral("PAUSED"));
    blinkTimer_.start();
  } else if (run_->stop.load() == kStopPause) {
    clock_.Resume();
    run_->stop.store(kStopRun);
    searchButton_->setText(QStringLiteral("&Pause"));
    blinkTimer_.stop();
    SetProgressText(currentFile_);
  }
}

void CTarnixDlg::StopSearch() {
  if (!searching_ || !run_) return;
  if (run_->stop.load() == kStopPause) clock_.Resume();
  userStopped_ = true;
  run_->stop.store(kStopStop);
  blinkTimer_.stop();
  SearchRun* r = run_.get();
  const bool ended = EndRun(5000);
  SetIdleControls();
  // The workers' last messages (the search-ended one among them) are
  // handled now, so the window is idle when Stop returns.
  if (ended) r->target->Deliver(std::chrono::milliseconds(2000));
  if (searching_) FinishSearch(false);  // its end never came: finish without it
}

void CTarnixDlg::SetIdleControls() {
  searchButton_->setText(QStringLiteral("&SEARCH"));
  searchButton_->setDefault(true);
  stopButton_->setEnabled(false);
  blinkTimer_.stop();
  currentFile_.clear();
  SetProgressText(QString());
  progress_->setRange(0, 9999);
  progress_->reset();
  progress_->hide();
}

void CTarnixDlg::SetProgressText(const QString& text) {
  const QFontMetrics fm(progressText_->font());
  progressText_->setText(fm.elidedText(text, Qt::ElideMiddle, std::max(20, progressText_->width())));
  progressText_->setToolTip(text);
}

void CTarnixDlg::OnMessage(PostedMessage& m) {
  switch (m.id) {
    case kMsgStatusLine:
      if (auto* text = m.As<std::wstring>()) output_->AppendLine(*text);
      break;
    case kMsgSizeScanEnded:
      if (searching_ && m.wParam == 1) {
        std::lock_guard<std::mutex> lock(run_->stats.sizeLock);
        if (run_->stats.sizeKnown) progress_->setRange(0, 9999);
      }
      break;
    case kMsgProgress: {
      if (!searching_) break;
      const uint64_t done = m.wParam | (m.lParam << 32);
      uint64_t total = 0;
      {
        std::lock_guard<std::mutex> lock(run_->stats.sizeLock);
        if (run_->stats.sizeKnown) total = run_->stats.totalSize;
      }
      if (total) {
        if (progress_->maximum() == 0) progress_->setRange(0, 9999);
        progress_->setValue(static_cast<int>(std::min<uint64_t>(std::min(done, total) * 9999 / total, 9999)));
      }
      break;
    }
    case kMsgCurrentFile:
      if (auto* text = m.As<std::wstring>()) {
        currentFile_ = ToQ(*text);
        if (searching_ && !blinkTimer_.isActive()) SetProgressText(currentFile_);
      }
      break;
    case kMsgResults:
      // Results of a search that was finished without its end message
      // (its workers did not stop) are not added any more.
      if (!searching_) break;
      if (auto* batch = m.As<std::vector<SymbolResult>>()) {
        resultsSeen_ += batch->size();
        model_->Append(std::move(*batch));
        CTarnixApp* app = CTarnixApp::Instance();
        if (app && app->settings().autoScrollResults) view_->scrollToBottom();
      }
      break;
    case kMsgSearchEnded:
      if (searching_) FinishSearch(m.wParam == 1);
      break;
    case kMsgDetailsBatch:
      if (auto* batch = m.As<std::vector<ResultDetails>>()) model_->ApplyDetails(*batch);
      break;
    case kMsgDetailsDone:
      results_.DetailsDone();
      UpdateActions();
      break;
    default:
      break;
  }
}

void CTarnixDlg::FinishSearch(bool completed) {
  const bool stoppedByUser = userStopped_;
  SearchEnd end;
  if (run_) {
    // The size scan may still walk the folders; it is not needed any more.
    run_->stop.store(kStopStop);
    std::lock_guard<std::mutex> lock(run_->stats.countersLock);
    end.filesSearched = run_->stats.filesSearched;
    end.errors = run_->stats.errors;
    end.warnings = run_->stats.warnings;
  }
  EndRun(5000);
  const int64_t elapsed = clock_.ElapsedMs();
  SetIdleControls();
  view_->horizontalHeader()->setSectionsMovable(true);
  searching_ = false;

  end.stoppedByUser = stoppedByUser;
  end.completed = completed && !stoppedByUser;
  end.elapsedMs = elapsed;
  end.results = resultsSeen_;
  end.statusOutputShown = !outputPane_->isHidden();
  const SearchFinishTexts t = SearchFinishOutcome(end);
  for (const std::wstring& line : t.lines) output_->AppendLine(line);
  outcome_.status = t.status;
  outcome_.runTimeMs = elapsed;
  outcome_.filesSearched = end.filesSearched;
  outcome_.errors = end.errors;
  outcome_.warnings = end.warnings;
  outcome_.found = end.results;
  outcomeKnown_ = true;
  if (!closing_ && t.status != 3) detailsTimer_.start();
  UpdateActions();
  if (t.boxId) {
    pendingBox_ = {t.boxId, t.boxText, t.boxIcon};
    // Shown once this message has been handled, so that the workers' and
    // the details pass's messages keep flowing while the box is up.
    QTimer::singleShot(0, this, [this] { ShowFinishBox(); });
  }
}

void CTarnixDlg::ShowFinishBox() {
  const PendingBox box = pendingBox_;
  pendingBox_ = {};
  if (!box.id || closing_) return;
  const MessageBoxRow* row = FindMessageBoxRow(box.id);
  if (row && IsSuppressed(*row)) {
    CTarnixApp* app = CTarnixApp::Instance();
    SearchFinishTexts t;
    t.boxId = box.id;
    t.boxIcon = box.icon;
    if (BeepInsteadOfFinishBox(t, app ? app->settings().errorBeepWithoutBox : true))
      AppDialogs().Beep(box.icon);
    return;
  }
  ShowConfirmable(box.id, ToQ(box.text), box.icon, this);
}

}  // namespace tarnix::gui
