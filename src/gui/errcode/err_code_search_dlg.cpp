#include "gui/errcode/err_code_search_dlg.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/program_windows_root.h"
#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "core/wformat.h"
#include "core/window_settings.h"
#include "errcode/search_texts.h"
#include "errnames/code_or_name.h"
#include "errnames/code_reading.h"
#include "gui/app/column_layout_binder.h"
#include "gui/app/command_set.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/desktop_message_target.h"
#include "gui/app/dialogs.h"
#include "gui/app/module_menu.h"
#include "gui/app/placement_binder.h"
#include "gui/app/status_output.h"
#include "gui/app/text_convert.h"
#include "gui/app/tool_window.h"
#include "gui/app/window_registry.h"
#include "gui/errcode/code_locations_pane.h"
#include "gui/errcode/code_results_model.h"
#include "gui/errcode/err_code_commands.h"
#include "gui/widgets/buddy_label.h"
#include "gui/widgets/busy_popup.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/output_text_box.h"
#include "gui/widgets/search_run_bar.h"
#include "pe/system_message_sources.h"
#include "platform/char_class.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "run/details_run.h"
#include "run/error_code_search_run.h"

namespace tarnix::gui {
namespace {

QPointer<CErrCodeSearchDlg>& TheWindow() {
  static QPointer<CErrCodeSearchDlg> window;
  return window;
}

// The longest code the code box takes.
constexpr int kCodeBoxLimit = 64;

}  // namespace

CErrCodeSearchDlg* CErrCodeSearchDlg::Instance() { return TheWindow(); }

CErrCodeSearchDlg* CErrCodeSearchDlg::Show(QWidget* owner) {
  return OpenOnce(TheWindow(), owner, [](QWidget* parent) { return new CErrCodeSearchDlg(parent); });
}

CErrCodeSearchDlg::CErrCodeSearchDlg(QWidget* owner) : QMainWindow(owner), run_(DesktopRunTargets()) {
  if (!TheWindow()) TheWindow() = this;
  setWindowTitle(QStringLiteral("Error Code Search"));
  commands_ = new CommandSet(this);
  BuildControls();
  BuildCommands();
  BuildMenus();
  if (where_->loadError())
    output_->AppendLine(WFormat(L"ERROR: Failed to read saved presets: %ls", ErrorText(where_->loadError()).c_str()));
  closing_ = new ToolWindowClosing(this);

  // The template's size, scaled on a first start; the saved placement wins.
  PlaceToolWindow(this, owner, 640, 480);
  new PlacementBinder(this, setting::kECSWnd, PlacementDefaults{kPlacementScale, 1.6, 1.5});
  const int ch = fontMetrics().averageCharWidth();
  columns_ = new ColumnLayoutBinder(
      this, ColumnsSetting::kErrCodeResults,
      HeaderSectionsLayout(view_->horizontalHeader(), EncodeCodeResultColumns,
                           [](const std::vector<uint8_t>& stored, std::vector<int32_t>& order,
                              std::vector<int32_t>& widths) { return DecodeCodeResultColumns(stored, order, widths); },
                           [ch](std::vector<int32_t>& order, std::vector<int32_t>& widths) {
                             order = {kCodeColumnMessage, kCodeColumnModule, kCodeColumnSource, kCodeColumnVersion,
                                      kCodeColumnDescription};
                             widths = {60 * ch, 40 * ch, 13 * ch, 16 * ch, 40 * ch};
                           }));
  columns_->Restore();

  // The run: its results, its end and the details that follow it.
  run_.OnResults<std::vector<ErrorCodeSearchResult>>([this](std::vector<ErrorCodeSearchResult>& batch) {
    // The list follows the newest row while it is scrolled to its end.
    QScrollBar* bar = view_->verticalScrollBar();
    const bool follow = model_->empty() || bar->value() >= bar->maximum();
    model_->Append(std::move(batch));
    if (follow) view_->scrollToBottom();
  });
  run_.OnEnded([this](const RunSummary& s) { Finished(s); });
  run_.OnFollowUpResults<std::vector<FileDetailsFinding>>(
      [this](std::vector<FileDetailsFinding>& found) { model_->ApplyDetails(found); });
  run_.OnStateChanged([this] { UpdateCommands(); });
  UpdateCodeNames();
  UpdateCommands();
}

CErrCodeSearchDlg::~CErrCodeSearchDlg() = default;

const ErrorCodePresetList& CErrCodeSearchDlg::presets() const { return where_->presets(); }
QTreeWidget* CErrCodeSearchDlg::locationsView() const { return where_->view(); }

void CErrCodeSearchDlg::BuildControls() {
  auto* central = new QWidget(this);
  auto* root = new QVBoxLayout(central);

  // The code, and what its value says.
  auto* codeRow = new QHBoxLayout();
  code_ = new CComboBoxAuto(central);
  code_->Attach(false, setting::kHistErrCode);
  code_->SetMaxLength(kCodeBoxLimit);
  code_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  code_->setMinimumContentsLength(12);
  codeRow->addWidget(BuddyLabel(central, QStringLiteral("Error &Code:"), code_));
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

  where_ = new CodeLocationsPane(central, *commands_);
  connect(where_, &CodeLocationsPane::changed, this, [this] { UpdateCommands(); });

  bar_ = new SearchRunBar(central, QStringLiteral("Search Progress"), QStringLiteral("Current Path"));
  bar_->Bind(run_, [this] { StartSearch(); }, 478);

  // The status output and the results share the rest.
  auto* splitter = new QSplitter(Qt::Vertical, central);
  splitter->addWidget(where_);
  outputPane_ = new QWidget(splitter);
  auto* outputLayout = new QVBoxLayout(outputPane_);
  outputLayout->setContentsMargins(0, 0, 0, 0);
  output_ = new COutputTextBox(outputPane_);
  output_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  output_->setMinimumHeight(fontMetrics().height() * 3);
  BindStatusOutput(run_, output_, OutputSize::kErrCodeOutput);
  outputLayout->addWidget(BuddyLabel(outputPane_, QStringLiteral("Status Outp&ut:"), output_));
  outputLayout->addWidget(output_);
  splitter->addWidget(outputPane_);

  auto* resultsPane = new QWidget(splitter);
  auto* resultsLayout = new QVBoxLayout(resultsPane);
  resultsLayout->setContentsMargins(0, 0, 0, 0);
  model_ = new CodeResultsModel(this);
  view_ = new QTableView(resultsPane);
  view_->setModel(model_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  view_->setWordWrap(false);
  // Module paths share their start: the file name at their end stays visible.
  view_->setTextElideMode(Qt::ElideMiddle);
  view_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  view_->verticalHeader()->hide();
  view_->horizontalHeader()->setAccessibleName(QStringLiteral("Results Columns"));
  view_->horizontalHeader()->setSectionsMovable(true);
  view_->horizontalHeader()->setStretchLastSection(true);
  view_->setMinimumHeight(fontMetrics().height() * 4);
  resultsLayout->addWidget(BuddyLabel(resultsPane, QStringLiteral("Resu&lts:"), view_));
  resultsLayout->addWidget(view_);
  splitter->addWidget(resultsPane);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);
  splitter->setStretchFactor(2, 3);
  splitter->setChildrenCollapsible(false);
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateCommands(); });
  connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { UpdateCommands(); });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { UpdateCommands(); });

  root->addWidget(splitter, 1);
  root->addWidget(bar_);
  setCentralWidget(central);
  setTabOrder(code_, where_->presetBox());
  setTabOrder(where_->presetBox(), where_->view());
  setTabOrder(where_->view(), output_);
  setTabOrder(output_, view_);
  setTabOrder(view_, bar_->searchButton());
  setTabOrder(bar_->searchButton(), bar_->stopButton());
}

void CErrCodeSearchDlg::BuildCommands() {
  CommandSet& c = *commands_;
  auto hasResults = [this] { return !model_->empty(); };
  auto rowsSelected = [this] { return !SelectedRows().empty(); };
  auto oneRow = [this] { return SelectedRows().size() == 1; };
  // File
  c.Add(kEcsSaveResults, "&Save Search Results...\tCtrl+Shift+S", [this] { SaveResults(); })
      .Keys("Ctrl+Shift+S")
      .Enabled(hasResults);
  c.Add(kEcsSaveStatusOutput, "Save Status &Output...", [this] { output_->SaveToFile(this, 0); });
  c.Add(kEcsClose, "&Close\tAlt+F4", [this] { close(); }).Keys("Alt+F4");
  // Edit (the search paths are the "Search In" pane's)
  c.Add(kEcsCopyStatusOutput, "Copy Status &Output", [this] { output_->CopyToClipboard(); });
  c.Add(kEcsClearStatusOutput, "C&lear Status Output", [this] { output_->Clear(); });
  AddOpenCommand(c, kEcsSettings, "&Settings...\tCtrl+K", WindowId::kSettings, [this] {
    return WindowRequest(this);
  }).Keys("Ctrl+K");
  // View
  c.Add(kEcsShowStatusOutput, "Status &Output", [this] {
     outputPane_->setVisible(outputPane_->isHidden());
     UpdateCommands();
   }).Checked([this] { return !outputPane_->isHidden(); });
  // Results
  c.Add(kEcsCopyResults, "&Copy Search Results", [this] { CopyResults(CodeResultCopy::kRows); })
      .Enabled(rowsSelected);
  c.Add(kEcsClearResults, "Cl&ear Search Results", [this] { model_->Clear(); })
      .Enabled([=, this] { return !run_.active() && hasResults(); });
  c.Add(kEcsSelectAllResults, "Select &All Search Results", [this] { view_->selectAll(); }).Enabled(hasResults);
  c.Add(kEcsDefaultColumns, "Restore Resul&ts List Default Columns", [this] { columns_->RestoreDefaults(); });
  c.Add(kEcsCopyMessage, "Copy &Error Message", [this] { CopyResults(CodeResultCopy::kMessages); })
      .Enabled(rowsSelected);
  c.Add(kEcsCopyModulePath, "Copy &Module Path", [this] { CopyResults(CodeResultCopy::kModules); })
      .Enabled(rowsSelected);
  c.Add(kEcsAddAsSearchPath, "Add As Search &Path", [this] { AddAsSearchPath(); }).Enabled([this] {
    const size_t n = SelectedRows().size();
    return n >= 1 && n <= kMaxErrCodePresetItems && where_->canEdit();
  });
  c.Add(kEcsShowInFileManager, "Open In &Windows Explorer", [this] { ShowModule(false); }).Enabled(oneRow);
  c.Add(kEcsProperties, "Proper&ties...", [this] { ShowModule(true); }).Enabled(oneRow);
  c.BindKey(kEcsCopyResults, view_, "Ctrl+C");
  c.BindKey(kEcsSelectAllResults, view_, "Ctrl+A");
}

void CErrCodeSearchDlg::BuildMenus() {
  constexpr int kSep = CommandSet::kSeparator;
  const CommandSet& c = *commands_;
  std::vector<QMenu*> menus;
  menus.push_back(menuBar()->addMenu(QStringLiteral("&File")));
  c.Fill(menus.back(), {kEcsSaveResults, kEcsSaveStatusOutput, kSep, kEcsClose});
  menus.push_back(menuBar()->addMenu(QStringLiteral("&Edit")));
  c.Fill(menus.back(), {kEcsCopyStatusOutput, kEcsClearStatusOutput, kSep, kEcsCopyPaths, kEcsPastePaths,
                        kEcsSelectAllPaths, kSep, kEcsAddFolder, kEcsAddFiles, kEcsRemovePaths, kSep,
                        kEcsSubfolders, kEcsMoveUp, kEcsMoveDown, kSep, kEcsSettings});
  menus.push_back(menuBar()->addMenu(QStringLiteral("&View")));
  c.Fill(menus.back(), {kEcsShowStatusOutput});
  menus.push_back(menuBar()->addMenu(QStringLiteral("&Results")));
  c.Fill(menus.back(), {kEcsCopyResults, kEcsClearResults, kEcsSelectAllResults, kSep, kEcsDefaultColumns});
  menus.push_back(menuBar()->addMenu(QStringLiteral("&Presets")));
  c.Fill(menus.back(), {kEcsSavePreset, kEcsSavePresetCopy, kEcsNewPreset, kEcsRemovePreset, kSep,
                        kEcsImportPresets, kEcsExportPresets});
  for (QMenu* m : menus) connect(m, &QMenu::aboutToShow, this, [this] { UpdateCommands(); });

  connect(view_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    UpdateCommands();
    QMenu menu(this);
    commands_->Present(&menu, kEcsCopyResults, QStringLiteral("&Copy\tCtrl+C"));
    commands_->Fill(&menu, {kEcsCopyMessage, kEcsCopyModulePath, kSep});
    commands_->Present(&menu, kEcsSelectAllResults, QStringLiteral("Select &All\tCtrl+A"));
    commands_->Fill(&menu, {kSep, kEcsAddAsSearchPath, kSep, kEcsShowInFileManager});
    // Properties only where the file manager offers them.
    if (AppDialogs().CanShowItemProperties()) commands_->Fill(&menu, {kEcsProperties});
    menu.exec(view_->viewport()->mapToGlobal(at));
  });
}

void CErrCodeSearchDlg::UpdateCommands() {
  commands_->Update();
  where_->UpdateMarks();
}

void CErrCodeSearchDlg::UpdateCodeNames() {
  const std::wstring text = FromQ(code_->currentText());
  CodeOrName read;
  const std::wstring_view trimmed = TrimWhiteSpace(text);
  names_->setText(!trimmed.empty() && ReadCodeOrName(trimmed, read) ? ToQ(CodeDescription(read.code)) : QString());
  names_->setCursorPosition(0);
}

bool CErrCodeSearchDlg::StartSearch() {
  if (run_.active()) return false;
  // The code: trimmed, read, and shown back as read.
  const std::wstring typed = FromQ(code_->currentText());
  CodeOrName read;
  std::wstring shown;
  const bool ok = ReadCodeBox(typed, read, shown);
  const uint32_t codeError = GetLastError();
  code_->SetText(shown);
  if (!ok) {
    code_->setFocus();
    ShowErrorBox(this, CodeBoxErrorMessage(shown, codeError));
    return false;
  }
  UpdateCodeNames();

  const std::vector<SearchLocation>* where = where_->CurrentLocations();
  if (!where || where->empty()) {
    ShowErrorBox(this, L"Provide at least one search path in the \"Search In\" section");
    return false;
  }
  // A location that is not what it says is shown once; the search still
  // runs and its walk reports the location in the status output.
  for (size_t i = 0; i < where->size(); ++i) {
    if (const uint32_t error = CheckSearchLocation((*where)[i])) {
      where_->ShowLocation(i);
      ShowErrorBox(this, InvalidLocationMessage((*where)[i], error));
      break;
    }
  }

  ErrorCodeSearchRequest request;
  request.code = read.code;
  request.kind = read.kind;
  request.locations = *where;
  request.fileExtensions = ReadErrCodeSrchFileExts(RegistrySettings());
  request.language = kLangUserDefault;
  request.readers = AppSettings().searchReaders;
  if (AppSettings().errCodeClearOutputBeforeSearch) output_->Clear();
  // The rows of the last search are no answer to this one.
  model_->Clear();
  searchedCode_ = request.code;
  for (const std::wstring& line : SearchStartLines(request.code, request.kind, request.locations))
    output_->AppendLine(line);
  if (!run_.Begin(std::make_unique<ErrorCodeSearchRun>(request))) {
    const uint32_t error = GetLastError();
    EventLog::LogSiteFormat(458, L"%ls", DescribeErrorCodeSearchRequest(request).c_str());
    ShowErrorBox(this, L"Failed to start the search:", error);
    return false;
  }
  // Stored while the workers already walk.
  code_->AddToHistory();
  return true;
}

void CErrCodeSearchDlg::Finished(const RunSummary& s) {
  output_->AppendSeparator();
  output_->AppendLine(SearchFinishedLine(s.end == RunEnd::kCompleted, s.counts.matches, s.elapsedMs));
  if (s.end == RunEnd::kCompleted && s.counts.matches == 0)
    if (const std::wstring hint = NoMatchHint(searchedCode_); !hint.empty()) output_->AppendLine(hint);
  // The versions and descriptions of the rows that have none yet.
  DetailsRequest details;
  details.work = model_->RowsWithoutDetails();
  if (!details.work.empty() && !run_.Follow(std::make_unique<DetailsRun>(std::move(details))))
    EventLog::LogSiteFormat(537, L"e=%u", GetLastError());
}

void CErrCodeSearchDlg::closeEvent(QCloseEvent* event) {
  if (!MayCloseSearchWindow(this, run_.active(), *closing_)) return event->ignore();
  // The search and the details end without their finish: nothing they
  // still post is shown.
  run_.Close();
  event->accept();
}

// --- results ---

std::vector<size_t> CErrCodeSearchDlg::SelectedRows() const {
  std::vector<size_t> rows;
  for (const QModelIndex& i : view_->selectionModel()->selectedRows()) rows.push_back(static_cast<size_t>(i.row()));
  std::sort(rows.begin(), rows.end());
  return rows;
}

void CErrCodeSearchDlg::CopyResults(CodeResultCopy what) {
  const std::vector<size_t> rows = SelectedRows();
  if (rows.empty()) return AppDialogs().Beep(mb::kIconError);
  // The list does not change while its text is made.
  RunHold hold = run_.Hold();
  std::wstring text;
  BusyTexts texts;
  texts.text2 = QStringLiteral("Copying data...");
  const int r = RunBusy(this, texts, [&](BusyProgress&) {
    text = CodeResultRowsText(model_->rows(), rows, what);
    return 1;
  });
  if (r != 1) return CommandFailed(526, WFormat(L"r=%d, e=%u", r, GetLastError()));
  QGuiApplication::clipboard()->setText(ToQ(text));
}

void CErrCodeSearchDlg::SaveResults() {
  FileDialogRequest r;
  r.caption = QStringLiteral("Save Search Results");
  r.filter = QStringLiteral("Text File (*.txt)|*.txt|All Files (*.*)|*.*|");
  r.defaultExtension = QStringLiteral("txt");
  QString path;
  if (!AppDialogs().SaveFileName(this, r, path)) return;
  RunHold hold = run_.Hold();
  const std::string file = QFile::encodeName(path).toStdString();
  uint32_t error = 0;
  BusyTexts texts;
  texts.text2 = QStringLiteral("Saving data in a file...");
  const int saved = RunBusy(this, texts, [&](BusyProgress& progress) {
    if (SaveCodeResultRows(file, model_->rows(), [&] { return progress.Cancelled(); })) return 1;
    error = GetLastError();
    return -1;
  });
  if (saved == 1) return;
  if (!error) error = GetLastError();
  if (error == ERROR_CANCELLED) return;
  EventLog::LogSiteFormat(525, L"e=%u, path=\"%ls\"", error, FromQ(path).c_str());
  ShowErrorBox(this, WFormat(L"ERROR: Failed to save search results in the following file:\n\n%ls", FromQ(path).c_str()),
               error);
}

void CErrCodeSearchDlg::AddAsSearchPath() {
  std::vector<std::wstring> paths;
  for (size_t r : SelectedRows())
    if (r < model_->rows().size()) paths.push_back(model_->rows()[r].result.path);
  if (paths.size() > kMaxErrCodePresetItems || !where_->AddFiles(paths))
    CommandFailed(524, WFormat(L"rz=%u, cnt=%zu", GetLastError(), paths.size()));
}

void CErrCodeSearchDlg::ShowModule(bool properties) {
  const std::vector<size_t> rows = SelectedRows();
  if (rows.size() != 1 || rows[0] >= model_->rows().size()) return AppDialogs().Beep(mb::kIconError);
  ModuleMenu(this, nullptr)
      .Run(properties ? ModuleItem::kProperties : ModuleItem::kShowInFileManager, model_->rows()[rows[0]].result.path);
}

}  // namespace tarnix::gui
