// The Error Code Search window: its controls, the search and the engine's
// messages, the details pass and closing. Commands, presets, locations and
// the results' actions are in err_code_search_edits.cpp.
#include "gui/errcode/err_code_search_dlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "core/wformat.h"
#include "errcode/builtin_presets.h"
#include "errcode/search_texts.h"
#include "errnames/code_or_name.h"
#include "errnames/code_reading.h"
#include "gui/app/command_set.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/placement_binder.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/text_convert.h"
#include "gui/errcode/code_results_model.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/output_text_box.h"
#include "gui/widgets/search_run_bar.h"
#include "pe/system_message_sources.h"
#include "platform/char_class.h"
#include "platform/languages.h"
#include "platform/last_error.h"
#include "platform/windows_root.h"

namespace tarnix::gui {
namespace {

QPointer<CErrCodeSearchDlg> g_instance;

// The history of the code box and the longest code it takes.
constexpr wchar_t kCodeHistory[] = L"ECS";
constexpr int kCodeBoxLimit = 64;
// How long closing waits for the details pass.
constexpr int kDetailsWaitMs = 3000;

// The Windows installation the presets and the system's messages come
// from, found once per process.
const WindowsRoot& Root() {
  static const WindowsRoot root = [] {
    WindowsRoot r = WindowsRoot::Find(ReadWindowsRootSetting(RegistrySettings()));
    // Codes that only the system knows are answered from its tables, as
    // tarnix-cli does.
    InstallSystemMessageSources(r);
    return r;
  }();
  return root;
}

QLabel* LabelFor(QWidget* parent, const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')));
  return label;
}

}  // namespace

CErrCodeSearchDlg* CErrCodeSearchDlg::Instance() { return g_instance; }

CErrCodeSearchDlg* CErrCodeSearchDlg::Show(QWidget* owner) {
  if (!g_instance) {
    QWidget* parent = owner ? owner->window() : nullptr;
    if (!parent && CTarnixApp::Instance()) parent = CTarnixApp::Instance()->mainWindow();
    g_instance = new CErrCodeSearchDlg(parent);
    g_instance->setAttribute(Qt::WA_DeleteOnClose);
    g_instance->show();
  } else if (g_instance->isMinimized()) {
    g_instance->showNormal();
  } else {
    g_instance->show();
  }
  g_instance->raise();
  g_instance->activateWindow();
  return g_instance;
}

CErrCodeSearchDlg::CErrCodeSearchDlg(QWidget* owner)
    : QMainWindow(owner), run_([this](PostedMessage& m) { OnMessage(m); }), owner_(owner) {
  if (!g_instance) g_instance = this;
  setWindowTitle(QStringLiteral("Error Code Search"));
  if (!presets_.Load(BuiltInErrorCodePresets(Root()))) {
    const uint32_t error = GetLastError();
    EventLog::LogFormat(L"The saved error code search presets could not be read (%u)", error);
    presetsLoadError_ = error;
  }
  commands_ = new CommandSet(this);
  BuildControls();
  BuildCommands();
  BuildMenus();
  FillPresets();
  if (presetsLoadError_)
    output_->AppendLine(WFormat(L"ERROR: Failed to read saved presets: %ls", ErrorText(presetsLoadError_).c_str()));

  // Escape closes the window, as it does every tool window.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::close);

  // The window closes with its owner: the owner's close runs with this
  // window knowing (see eventFilter).
  if (owner_) owner_->installEventFilter(this);

  // The template's size, scaled on a first start; the saved placement wins.
  resize(640, 480);
  if (owner_) {
    move(owner_->geometry().center() - QPoint(width() / 2, height() / 2));
  } else if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
    move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
  }
  new PlacementBinder(this, setting::kECSWnd, PlacementDefaults{kPlacementScale, 1.6, 1.5});
  RestoreColumns(true);
  UpdateCodeNames();
  UpdateCommands();
}

CErrCodeSearchDlg::~CErrCodeSearchDlg() {
  if (owner_) owner_->removeEventFilter(this);
  EndDetails();
  if (g_instance == this) g_instance = nullptr;
}

void CErrCodeSearchDlg::BuildControls() {
  auto* central = new QWidget(this);
  auto* root = new QVBoxLayout(central);

  // The code, and what its value says.
  auto* codeRow = new QHBoxLayout();
  code_ = new CComboBoxAuto(central);
  code_->Attach(false, kCodeHistory);
  code_->SetMaxLength(kCodeBoxLimit);
  code_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  code_->setMinimumContentsLength(12);
  codeRow->addWidget(LabelFor(central, QStringLiteral("Error &Code:"), code_));
  codeRow->addWidget(code_, 1);
  root->addLayout(codeRow);
  names_ = new QLineEdit(central);
  names_->setReadOnly(true);
  names_->setAccessibleName(QStringLiteral("Code Names"));
  names_->setFocusPolicy(Qt::TabFocus);
  root->addWidget(names_);
  connect(code_, &QComboBox::editTextChanged, this, [this] { UpdateCodeNames(); });
  // Enter in the code box searches.
  connect(code_->lineEdit(), &QLineEdit::returnPressed, this, [this] {
    if (!run_.active()) StartSearch();
  });

  // Where to search.
  auto* where = new QGroupBox(QStringLiteral("Search In"), central);
  auto* whereLayout = new QVBoxLayout(where);
  auto* presetRow = new QHBoxLayout();
  preset_ = new QComboBox(where);
  preset_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  preset_->setMinimumContentsLength(16);
  preset_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  presetRow->addWidget(LabelFor(where, QStringLiteral("&Preset:"), preset_));
  presetRow->addWidget(preset_, 1);
  whereLayout->addLayout(presetRow);
  locations_ = new QTreeWidget(where);
  locations_->setAccessibleName(QStringLiteral("Search Paths"));
  locations_->setHeaderLabels({QStringLiteral("Search Path"), QStringLiteral("Subfolders")});
  locations_->setRootIsDecorated(false);
  locations_->setUniformRowHeights(true);
  locations_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  locations_->setContextMenuPolicy(Qt::CustomContextMenu);
  locations_->header()->setStretchLastSection(false);
  locations_->header()->setAccessibleName(QStringLiteral("Search Path Columns"));
  locations_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  locations_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  locations_->setMinimumHeight(fontMetrics().height() * 4);
  whereLayout->addWidget(locations_, 1);
  connect(preset_, &QComboBox::activated, this, [this](int i) {
    presets_.Select(static_cast<size_t>(i));
    FillLocations();
  });
  connect(locations_, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateCommands(); });

  bar_ = new SearchRunBar(central, QStringLiteral("Search Progress"), QStringLiteral("Current Path"));
  connect(bar_, &SearchRunBar::searchPressed, this, [this] { OnSearchButton(); });
  connect(bar_, &SearchRunBar::stopPressed, this, [this] { StopSearch(); });

  // The status output and the results share the rest.
  splitter_ = new QSplitter(Qt::Vertical, central);
  splitter_->addWidget(where);
  outputPane_ = new QWidget(splitter_);
  auto* outputLayout = new QVBoxLayout(outputPane_);
  outputLayout->setContentsMargins(0, 0, 0, 0);
  output_ = new COutputTextBox(outputPane_);
  output_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  output_->SetCapacity(AppSettings().errCodeOutputMaxChars);
  output_->setMinimumHeight(fontMetrics().height() * 3);
  outputLayout->addWidget(LabelFor(outputPane_, QStringLiteral("Status &Output:"), output_));
  outputLayout->addWidget(output_);
  splitter_->addWidget(outputPane_);

  auto* resultsPane = new QWidget(splitter_);
  auto* resultsLayout = new QVBoxLayout(resultsPane);
  resultsLayout->setContentsMargins(0, 0, 0, 0);
  model_ = new CodeResultsModel(this);
  view_ = new QTableView(resultsPane);
  view_->setModel(model_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  view_->setWordWrap(false);
  view_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  view_->verticalHeader()->hide();
  view_->horizontalHeader()->setAccessibleName(QStringLiteral("Results Columns"));
  view_->horizontalHeader()->setSectionsMovable(true);
  view_->horizontalHeader()->setStretchLastSection(true);
  view_->setMinimumHeight(fontMetrics().height() * 4);
  resultsLayout->addWidget(LabelFor(resultsPane, QStringLiteral("&Results:"), view_));
  resultsLayout->addWidget(view_);
  splitter_->addWidget(resultsPane);
  splitter_->setStretchFactor(0, 1);
  splitter_->setStretchFactor(1, 1);
  splitter_->setStretchFactor(2, 3);
  splitter_->setChildrenCollapsible(false);
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateCommands(); });
  connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { UpdateCommands(); });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { UpdateCommands(); });

  root->addWidget(splitter_, 1);
  root->addWidget(bar_);
  setCentralWidget(central);
  setTabOrder(code_, preset_);
  setTabOrder(preset_, locations_);
  setTabOrder(locations_, output_);
  setTabOrder(output_, view_);
  setTabOrder(view_, bar_->searchButton());
  setTabOrder(bar_->searchButton(), bar_->stopButton());
}

void CErrCodeSearchDlg::ShowStatusOutput(bool show) {
  outputPane_->setVisible(show);
  UpdateCommands();
}

void CErrCodeSearchDlg::UpdateCodeNames() {
  const std::wstring text = FromQ(code_->currentText());
  CodeOrName read;
  const std::wstring_view trimmed = TrimWhiteSpace(text);
  names_->setText(!trimmed.empty() && ReadCodeOrName(trimmed, read) ? ToQ(CodeDescription(read.code)) : QString());
  names_->setCursorPosition(0);
}

// --- the search ---

void CErrCodeSearchDlg::OnSearchButton() {
  if (run_.active())
    PauseOrResume();
  else
    StartSearch();
}

bool CErrCodeSearchDlg::StartSearch() {
  if (run_.active()) return false;
  auto errorBox = [this](const std::wstring& text) {
    AppDialogs().MessageBox(this, ToQ(text), QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
  };
  // The code: trimmed, read, and shown back as read.
  const std::wstring typed = FromQ(code_->currentText());
  CodeOrName read;
  std::wstring shown;
  const bool ok = ReadCodeBox(typed, read, shown);
  const uint32_t codeError = GetLastError();
  code_->SetText(shown);
  if (!ok) {
    code_->setFocus();
    errorBox(CodeBoxErrorMessage(shown, codeError));
    return false;
  }
  UpdateCodeNames();

  const std::vector<SearchLocation>* where = CurrentLocations();
  if (!where || where->empty()) {
    errorBox(L"Provide at least one search path in the \"Search In\" section");
    return false;
  }
  // A location that is not what it says is shown once; the search still
  // runs and its walk reports the location in the status output.
  for (size_t i = 0; i < where->size(); ++i) {
    const uint32_t error = CheckSearchLocation((*where)[i]);
    if (!error) continue;
    FillLocations({i});
    if (QTreeWidgetItem* item = locations_->topLevelItem(static_cast<int>(i))) locations_->scrollToItem(item);
    errorBox(InvalidLocationMessage((*where)[i], error));
    break;
  }

  ErrorCodeSearchRequest request;
  request.code = read.code;
  request.kind = read.kind;
  request.locations = *where;
  request.fileExtensions = ReadErrCodeSrchFileExts(RegistrySettings());
  request.language = kLangUserDefault;
  request.readers = AppSettings().searchReaders;

  bar_->Started();
  if (AppSettings().errCodeClearOutputBeforeSearch) output_->Clear();
  for (const std::wstring& line : SearchStartLines(request.code, request.kind, request.locations))
    output_->AppendLine(line);
  auto* w = run_.Begin<CodeRun>(std::make_unique<CodeRun>(), [&](CodeRun& w, StopFlag& stop, MessageTarget& target) {
    request.stop = &stop;
    request.window = &target;
    return w.engine.Start(request);
  });
  if (!w) {
    const uint32_t error = GetLastError();
    EventLog::LogSiteFormat(458, L"%ls", DescribeErrorCodeSearchRequest(request).c_str());
    bar_->Finished();
    UpdateCommands();
    ShowErrorBox(this, L"Failed to start the search:", error);
    return false;
  }
  // Stored while the workers already walk.
  code_->AddToHistory();
  UpdateCommands();
  return true;
}

void CErrCodeSearchDlg::PauseOrResume() {
  if (run_.paused()) {
    run_.Resume();
    bar_->Resumed();
  } else {
    run_.Pause();
    bar_->Paused();
  }
}

void CErrCodeSearchDlg::StopSearch() {
  if (!run_.active()) return;
  // The workers' last messages, the end among them, are handled before
  // Stop answers.
  if (!run_.Stop()) {
    EventLog::LogSite(478);
    AppDialogs().Beep(mb::kIconError);
  }
  bar_->Finished();
  if (run_.active()) FinishSearch(false);
}

void CErrCodeSearchDlg::OnMessage(PostedMessage& m) {
  switch (m.id) {
    case kEcsMsgStatusLine:
      if (const std::wstring* line = m.As<std::wstring>()) output_->AppendLine(*line);
      break;
    case kEcsMsgCurrentPath:
      if (const std::wstring* path = m.As<std::wstring>()) bar_->SetCurrent(ToQ(*path));
      break;
    case kEcsMsgProgress:
      bar_->SetDone((m.lParam << 32) | (m.wParam & 0xFFFFFFFFu));
      break;
    case kEcsMsgCountingFinished: {
      uint64_t total = 0;
      CodeRun* w = run_.workers<CodeRun>();
      if (m.wParam == 1 && w && w->engine.TotalFiles(total))
        bar_->SetTotal(total);
      else if (m.wParam == 1)
        EventLog::LogSite(474);
      break;
    }
    case kEcsMsgResult:
      if (auto* batch = m.As<std::vector<ErrorCodeSearchResult>>()) {
        // The list follows the newest row while it is scrolled to its end.
        QScrollBar* bar = view_->verticalScrollBar();
        const bool follow = model_->empty() || bar->value() >= bar->maximum();
        model_->Append(std::move(*batch));
        if (follow) view_->scrollToBottom();
      }
      break;
    case kEcsMsgSearchFinished:
      FinishSearch(m.wParam == 1);
      break;
    default:
      break;
  }
}

void CErrCodeSearchDlg::FinishSearch(bool completed) {
  if (!run_.active()) return;
  CodeRun* w = run_.workers<CodeRun>();
  const uint64_t matches = w ? w->engine.matchCount() : 0;
  const int64_t ms = run_.Finish();
  bar_->Finished();
  output_->AppendSeparator();
  output_->AppendLine(SearchFinishedLine(completed, matches, ms));
  UpdateCommands();
  StartDetails();
}

// --- the details pass ---

void CErrCodeSearchDlg::StartDetails() {
  if (closing_) return;
  if (details_ && details_->Running()) {
    // The rows of this search get their pass when the running one ends.
    detailsAgain_ = true;
    return;
  }
  std::vector<ModuleDetailsRow> rows = model_->RowsWithoutDetails();
  if (rows.empty()) return;
  if (!details_) details_ = std::make_unique<ModuleDetailsPass>();
  if (!detailsTarget_)
    detailsTarget_ = std::make_unique<DesktopMessageTarget>([this](PostedMessage& m) { OnDetailsMessage(m); });
  if (!details_->Start(std::move(rows), detailsTarget_.get(), UserDefaultLanguage()))
    EventLog::LogSiteFormat(537, L"e=%u", GetLastError());
}

void CErrCodeSearchDlg::OnDetailsMessage(PostedMessage& m) {
  if (m.id == kEcsMsgDetails) {
    if (auto* found = m.As<std::vector<ModuleDetailsFound>>()) model_->ApplyDetails(*found);
  } else if (m.id == kEcsMsgDetailsDone && detailsAgain_) {
    detailsAgain_ = false;
    if (details_->Wait(std::chrono::milliseconds(kDetailsWaitMs))) StartDetails();
  }
}

void CErrCodeSearchDlg::EndDetails() {
  if (!details_) return;
  details_->Cancel();
  if (detailsTarget_) detailsTarget_->Close();
  if (details_->Wait(std::chrono::milliseconds(kDetailsWaitMs))) return;
  // A pass that does not end keeps what it uses.
  EventLog::LogSite(538);
  (void)details_.release();
  (void)detailsTarget_.release();
}

// --- closing ---

bool CErrCodeSearchDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == owner_ && event->type() == QEvent::Close && !ownerClosing_) {
    // The owner handles its close with this window knowing: when it closes
    // the tool windows, this one goes with it without asking.
    QPointer<CErrCodeSearchDlg> self(this);
    ownerClosing_ = true;
    QCoreApplication::sendEvent(watched, event);
    if (self) ownerClosing_ = false;
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void CErrCodeSearchDlg::closeEvent(QCloseEvent* event) {
  SaveColumns();
  if (run_.active() && !ownerClosing_ && !closing_) {
    const int answer = AppDialogs().MessageBox(
        this, QStringLiteral("Search has not finished yet.\n\nDo you want to close this window?"),
        QStringLiteral("Tarnix"), mb::kYesNoCancel | mb::kIconQuestion);
    if (answer != IDYES) {
      event->ignore();
      return;
    }
  }
  closing_ = true;
  if (run_.active()) {
    // The search ends without its finish: nothing it still posts is shown.
    run_.Finish();
    run_.Discard();
    bar_->Finished();
  }
  EndDetails();
  event->accept();
}

}  // namespace tarnix::gui
