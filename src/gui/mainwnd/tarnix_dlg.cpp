#include "gui/mainwnd/tarnix_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/event_log.h"
#include "core/program_settings.h"
#include "core/registry_settings.h"
#include "gui/app/desktop_message_target.h"
#include "gui/app/dialogs.h"
#include "gui/app/placement_binder.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/text_convert.h"
#include "gui/mainwnd/results_table_model.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/output_text_box.h"
#include "gui/widgets/regex_edit_validator.h"
#include "pe/look_in.h"
#include "symbolsearch/regex_escape.h"
#include "tools/dropped_files.h"

namespace tarnix::gui {
namespace {

constexpr int kFolderMaxChars = 1040;
constexpr int kFileNameMaxChars = 4096;
constexpr int kSearchTextMaxChars = 1040;

QToolButton* MenuButton(QWidget* parent, const char* accessibleName) {
  auto* b = new QToolButton(parent);
  b->setText(QStringLiteral("..."));
  b->setAccessibleName(QString::fromLatin1(accessibleName));
  b->setFocusPolicy(Qt::StrongFocus);
  return b;
}

// The row of a pattern box's options: its three check boxes and the
// "more info" link at the end.
QHBoxLayout* OptionsRow(QCheckBox* regex, QCheckBox* cs, QCheckBox* words, QWidget* moreInfo) {
  auto* row = new QHBoxLayout;
  row->addWidget(regex);
  row->addWidget(cs);
  row->addWidget(words);
  row->addStretch(1);
  row->addWidget(moreInfo);
  return row;
}

QLabel* BuddyLabel(const char* text, QWidget* buddy, QWidget* parent) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setBuddy(buddy);
  return l;
}

}  // namespace

CTarnixDlg::CTarnixDlg(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("CTarnixDlg"));
  setWindowTitle(CTarnixApp::MainWindowTitle());
  setAcceptDrops(true);
  if (CTarnixApp* app = CTarnixApp::Instance()) app->setMainWindow(this);

  model_ = new ResultsTableModel(results_, this);

  BuildControls();
  BuildActions();
  BuildMenus();
  LoadCriteria();
  if (CTarnixApp* app = CTarnixApp::Instance(); app && app->commandLineHasCriteria()) ApplyCommandLine();
  RefreshFilterLinks();

  blinkTimer_.setInterval(500);
  connect(&blinkTimer_, &QTimer::timeout, this, [this] {
    blinkOn_ = !blinkOn_;
    SetProgressText(blinkOn_ ? QStringLiteral("PAUSED") : QString());
  });
  detailsTimer_.setSingleShot(true);
  detailsTimer_.setInterval(100);
  connect(&detailsTimer_, &QTimer::timeout, this, [this] { StartDetailsLoader(); });
  autoStartTimer_.setSingleShot(true);
  autoStartTimer_.setInterval(100);
  connect(&autoStartTimer_, &QTimer::timeout, this, [this] {
    CTarnixApp* app = CTarnixApp::Instance();
    if (app && (app->commandLine().autoActions & kAutoForeground)) {
      raise();
      activateWindow();
    }
    if (searching_) StopSearch();
    StartSearch(false);
  });

  // Centred on its screen first; the saved placement, if any, wins.
  resize(1060, 760);
  if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
    const QRect area = s->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  new PlacementBinder(this, L"MainWnd", PlacementDefaults{});
  UpdateActions();
}

CTarnixDlg::~CTarnixDlg() {
  closing_ = true;
  details_.Stop();
  if (run_) {
    run_->stop.store(kStopStop);
    EndRun(5000);
  }
  // Workers that never ended keep what they use: it is not freed.
  for (auto& r : abandoned_) {
    if (r->search && r->search->Running())
      (void)r.release();
  }
  RetireDetailsTarget();
  if (details_.Running())
    for (auto& t : retiredTargets_) (void)t.release();
  if (fileCheck_) fileCheck_->Detach();
  if (searchCheck_) searchCheck_->Detach();
  if (CTarnixApp* app = CTarnixApp::Instance(); app && app->mainWindow() == this)
    app->setMainWindow(nullptr);
}

void CTarnixDlg::BuildControls() {
  auto* central = new QWidget(this);
  auto* root = new QVBoxLayout(central);

  auto* criteria = new QHBoxLayout;
  criteria->addWidget(BuildSearchLocation(), 1);
  criteria->addWidget(BuildSearchFor(), 1);
  root->addLayout(criteria);
  root->addWidget(BuildPeFilters());

  auto* run = new QHBoxLayout;
  searchButton_ = new QPushButton(QStringLiteral("&SEARCH"), central);
  searchButton_->setDefault(true);
  searchButton_->setAutoDefault(true);
  stopButton_ = new QPushButton(QStringLiteral("St&op"), central);
  stopButton_->setEnabled(false);
  progress_ = new QProgressBar(central);
  progress_->setAccessibleName(QStringLiteral("Search Progress"));
  progress_->setRange(0, 9999);
  progress_->setTextVisible(false);
  progress_->hide();
  progressText_ = new QLabel(central);
  progressText_->setAccessibleName(QStringLiteral("Current File"));
  progressText_->setMinimumWidth(50);
  progressText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  run->addWidget(searchButton_);
  run->addWidget(stopButton_);
  run->addWidget(progress_, 1);
  run->addWidget(progressText_, 2);
  root->addLayout(run);
  connect(searchButton_, &QPushButton::clicked, this, [this] { OnSearchButton(); });
  connect(stopButton_, &QPushButton::clicked, this, [this] { StopSearch(); });

  splitter_ = new QSplitter(Qt::Vertical, central);
  auto* resultsPane = new QWidget(splitter_);
  auto* resultsLayout = new QVBoxLayout(resultsPane);
  resultsLayout->setContentsMargins(0, 0, 0, 0);
  view_ = new QTableView(resultsPane);
  view_->setModel(model_);
  view_->setAccessibleName(QStringLiteral("Results:"));
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setShowGrid(false);
  view_->setWordWrap(false);
  view_->setAlternatingRowColors(true);
  view_->setTextElideMode(Qt::ElideRight);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view_->horizontalHeader()->setSectionsMovable(true);
  view_->horizontalHeader()->setAccessibleName(QStringLiteral("Results Columns"));
  view_->horizontalHeader()->setHighlightSections(false);
  view_->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
  view_->horizontalHeader()->setSortIndicatorShown(false);
  view_->horizontalHeader()->setStretchLastSection(false);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view_->horizontalHeader(), &QHeaderView::customContextMenuRequested, this,
          [this](const QPoint& p) { ShowHeaderMenu(p); });
  connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int logical) {
    if (logical >= 0 && logical < static_cast<int>(model_->columns().size()))
      SortBy(model_->columns()[static_cast<size_t>(logical)].column);
  });
  connect(view_, &QTableView::customContextMenuRequested, this,
          [this](const QPoint& p) { ShowResultsMenu(p); });
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { UpdateActions(); });
  resultsLayout->addWidget(BuddyLabel("Results:", view_, resultsPane));
  resultsLayout->addWidget(view_);

  outputPane_ = new QWidget(splitter_);
  auto* outputLayout = new QVBoxLayout(outputPane_);
  outputLayout->setContentsMargins(0, 0, 0, 0);
  output_ = new COutputTextBox(outputPane_);
  output_->setAccessibleName(QStringLiteral("Status Output:"));
  output_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  if (CTarnixApp* app = CTarnixApp::Instance()) output_->SetCapacity(app->settings().tarnixOutputMaxChars);
  outputLayout->addWidget(BuddyLabel("Status Output:", output_, outputPane_));
  outputLayout->addWidget(output_);
  splitter_->addWidget(resultsPane);
  splitter_->addWidget(outputPane_);
  splitter_->setStretchFactor(0, 3);
  splitter_->setStretchFactor(1, 1);
  splitter_->setChildrenCollapsible(false);
  root->addWidget(splitter_, 1);
  setCentralWidget(central);
}

QWidget* CTarnixDlg::BuildSearchLocation() {
  auto* group = new QGroupBox(QStringLiteral("Search Location"), this);
  auto* grid = new QGridLayout(group);
  folder_ = new CComboBoxAuto(group);
  folder_->SetMaxLength(kFolderMaxChars);
  folder_->setAccessibleName(QStringLiteral("Folder:"));
  folderMenuButton_ = MenuButton(group, "Folder Menu");
  subfolders_ = new QCheckBox(QStringLiteral("Include s&ubfolders"), group);
  fileName_ = new CComboBoxAuto(group);
  fileName_->SetMaxLength(kFileNameMaxChars);
  fileName_->setAccessibleName(QStringLiteral("File Name:"));
  fileMenuButton_ = MenuButton(group, "File Name Menu");
  fileRegex_ = new QCheckBox(QStringLiteral("Contains regular e&xpressions"), group);
  fileCase_ = new QCheckBox(QStringLiteral("C&ase-sensitive"), group);
  fileWords_ = new QCheckBox(QStringLiteral("Who&le words only"), group);
  fileMoreInfo_ = new LinkLabel(group);
  fileMoreInfo_->SetLinkText(QStringLiteral("<a>more info</a>"));

  grid->addWidget(BuddyLabel("&Folder:", folder_, group), 0, 0);
  grid->addWidget(folder_, 0, 1);
  grid->addWidget(folderMenuButton_, 0, 2);
  grid->addWidget(subfolders_, 1, 1);
  grid->addWidget(BuddyLabel("File &Name:", fileName_, group), 2, 0);
  grid->addWidget(fileName_, 2, 1);
  grid->addWidget(fileMenuButton_, 2, 2);
  grid->addLayout(OptionsRow(fileRegex_, fileCase_, fileWords_, fileMoreInfo_), 3, 1, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(4, 1);

  connect(folderMenuButton_, &QToolButton::clicked, this, [this] { ShowFolderMenu(); });
  // Enter in a criteria box presses the default button.
  for (CComboBoxAuto* box : {folder_, fileName_})
    connect(box->lineEdit(), &QLineEdit::returnPressed, this, [this] { OnSearchButton(); });
  connect(fileMenuButton_, &QToolButton::clicked, this, [this] { ShowFileMenu(); });
  connect(fileMoreInfo_, &LinkLabel::linkClicked, this, [this] { OpenHelp(fileRegex_->isChecked() ? QStringLiteral("regex") : QStringLiteral("plain_search")); });
  connect(subfolders_, &QCheckBox::clicked, this, [this] { SaveCheckBox(subfolders_, L"IncSubfldrs"); });
  connect(fileRegex_, &QCheckBox::clicked, this, [this] { SaveCheckBox(fileRegex_, L"FileNameRegex"); });
  connect(fileCase_, &QCheckBox::clicked, this, [this] { SaveCheckBox(fileCase_, L"FileNameCaseSens"); });
  connect(fileWords_, &QCheckBox::clicked, this,
          [this] { SaveCheckBox(fileWords_, L"FileNameWholeWords"); });
  return group;
}

QWidget* CTarnixDlg::BuildSearchFor() {
  auto* group = new QGroupBox(QStringLiteral("Search For"), this);
  auto* grid = new QGridLayout(group);
  searchForLink_ = new LinkLabel(group);
  searchText_ = new CComboBoxAuto(group);
  searchText_->SetMaxLength(kSearchTextMaxChars);
  searchText_->setAccessibleName(QStringLiteral("Search String"));
  searchMenuButton_ = MenuButton(group, "Search String Menu");
  searchRegex_ = new QCheckBox(QStringLiteral("Contains regular &expressions"), group);
  searchCase_ = new QCheckBox(QStringLiteral("&Case-sensitive"), group);
  searchWords_ = new QCheckBox(QStringLiteral("Whole wo&rds only"), group);
  searchMoreInfo_ = new LinkLabel(group);
  searchMoreInfo_->SetLinkText(QStringLiteral("<a>more info</a>"));
  lookInLink_ = new LinkLabel(group);
  presentAs_ = new QComboBox(group);

  grid->addWidget(searchForLink_, 0, 0);
  grid->addWidget(searchText_, 0, 1);
  grid->addWidget(searchMenuButton_, 0, 2);
  grid->addLayout(OptionsRow(searchRegex_, searchCase_, searchWords_, searchMoreInfo_), 1, 1, 1, 2);
  grid->addWidget(BuddyLabel("Lo&ok In:", lookInLink_, group), 2, 0);
  grid->addWidget(lookInLink_, 2, 1, 1, 2);
  grid->addWidget(BuddyLabel("&Present Results As:", presentAs_, group), 3, 0);
  auto* present = new QHBoxLayout;
  present->addWidget(presentAs_);
  present->addStretch(1);
  grid->addLayout(present, 3, 1, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(4, 1);

  connect(searchMenuButton_, &QToolButton::clicked, this, [this] { ShowSearchMenu(); });
  connect(searchText_->lineEdit(), &QLineEdit::returnPressed, this, [this] { OnSearchButton(); });
  connect(searchForLink_, &LinkLabel::linkClicked, this, [this] { ShowSearchForMenu(); });
  connect(searchMoreInfo_, &LinkLabel::linkClicked, this, [this] { OpenHelp(searchRegex_->isChecked() ? QStringLiteral("regex") : QStringLiteral("plain_search")); });
  connect(lookInLink_, &LinkLabel::linkClicked, this, [this] { EditFilter(0); });
  connect(searchRegex_, &QCheckBox::clicked, this,
          [this] { SaveCheckBox(searchRegex_, L"SearchNameRegex"); });
  connect(searchCase_, &QCheckBox::clicked, this,
          [this] { SaveCheckBox(searchCase_, L"SearchNameCaseSens"); });
  connect(searchWords_, &QCheckBox::clicked, this,
          [this] { SaveCheckBox(searchWords_, L"SearchNameWholeWords"); });
  connect(presentAs_, qOverload<int>(&QComboBox::activated), this, [this](int) {
    RegistrySettings().SetDword(searchFor_ == kSearchForImportLibs ? L"PresentResAs_ImportLibs"
                                                                   : L"PresentResAs_WinApis",
                                presentAs_->currentData().toUInt());
  });
  return group;
}

QWidget* CTarnixDlg::BuildPeFilters() {
  peGroup_ = new QGroupBox(QStringLiteral("PE Header Filters"), this);
  auto* grid = new QGridLayout(peGroup_);
  typeLink_ = new LinkLabel(peGroup_);
  subsystemsLink_ = new LinkLabel(peGroup_);
  characteristicsLink_ = new LinkLabel(peGroup_);
  directoriesLink_ = new LinkLabel(peGroup_);
  fromLink_ = new LinkLabel(peGroup_);
  toLink_ = new LinkLabel(peGroup_);
  grid->addWidget(BuddyLabel("&Type:", typeLink_, peGroup_), 0, 0);
  grid->addWidget(typeLink_, 0, 1);
  grid->addWidget(BuddyLabel("Subs&ystems:", subsystemsLink_, peGroup_), 0, 2);
  grid->addWidget(subsystemsLink_, 0, 3);
  grid->addWidget(BuddyLabel("Character&istics:", characteristicsLink_, peGroup_), 1, 0);
  grid->addWidget(characteristicsLink_, 1, 1, 1, 3);
  grid->addWidget(BuddyLabel("&Directories:", directoriesLink_, peGroup_), 2, 0);
  grid->addWidget(directoriesLink_, 2, 1, 1, 3);
  auto* times = new QHBoxLayout;
  times->addWidget(BuddyLabel("Fro&m:", fromLink_, peGroup_));
  times->addWidget(fromLink_);
  times->addSpacing(16);
  times->addWidget(BuddyLabel("&To:", toLink_, peGroup_));
  times->addWidget(toLink_);
  times->addStretch(1);
  grid->addWidget(new QLabel(QStringLiteral("Time Stamp:"), peGroup_), 3, 0);
  grid->addLayout(times, 3, 1, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  for (LinkLabel* l : {typeLink_, subsystemsLink_, characteristicsLink_, directoriesLink_})
    l->setWordWrap(true);
  connect(typeLink_, &LinkLabel::linkClicked, this, [this] { EditFilter(1); });
  connect(subsystemsLink_, &LinkLabel::linkClicked, this, [this] { EditFilter(2); });
  connect(characteristicsLink_, &LinkLabel::linkClicked, this, [this] { EditFilter(3); });
  connect(directoriesLink_, &LinkLabel::linkClicked, this, [this] { EditFilter(4); });
  connect(fromLink_, &LinkLabel::linkClicked, this, [this] { EditTimeStamp(true); });
  connect(toLink_, &LinkLabel::linkClicked, this, [this] { EditTimeStamp(false); });
  return peGroup_;
}

void CTarnixDlg::SaveCheckBox(QCheckBox* box, const wchar_t* name) {
  RegistrySettings().SetDword(name, box->isChecked() ? 1 : 0);
}

void CTarnixDlg::LoadCriteria() {
  RegistrySettings store;
  auto checked = [&](QCheckBox* box, const wchar_t* name) { box->setChecked(store.GetDword(name, 0) != 0); };
  checked(subfolders_, L"IncSubfldrs");
  checked(fileRegex_, L"FileNameRegex");
  checked(fileCase_, L"FileNameCaseSens");
  checked(fileWords_, L"FileNameWholeWords");
  checked(searchRegex_, L"SearchNameRegex");
  checked(searchCase_, L"SearchNameCaseSens");
  checked(searchWords_, L"SearchNameWholeWords");

  // Choosing an entry of a pattern history sets its three boxes.
  auto options = [](QCheckBox* regex, QCheckBox* cs, QCheckBox* words) {
    return [regex, cs, words](uint64_t v) {
      regex->setChecked(v & kHistoryRegex);
      cs->setChecked(v & kHistoryCase);
      words->setChecked(v & kHistoryWords);
    };
  };
  folder_->Attach(false, L"FldrPath");
  fileName_->Attach(false, L"FileName", options(fileRegex_, fileCase_, fileWords_));
  searchText_->Attach(false, L"SearchName", options(searchRegex_, searchCase_, searchWords_));
  auto grammar = [] {
    CTarnixApp* app = CTarnixApp::Instance();
    return app ? app->settings().regexGrammar : uint32_t{1};
  };
  fileCheck_ = RegexEditValidator::Attach(fileName_, fileRegex_, fileCase_, grammar);
  searchCheck_ = RegexEditValidator::Attach(searchText_, searchRegex_, searchCase_, grammar);

  ProgramSettings defaults;
  const ProgramSettings& s = CTarnixApp::Instance() ? CTarnixApp::Instance()->settings() : defaults;
  lookIn_ = s.lookIn;
  peTypes_ = s.peTypes;
  peSubsystems_ = s.peSubsystems;
  peCharsMask_ = s.peCharsMask;
  peCharsValues_ = s.peCharsValues;
  peDirsMask_ = s.peDirsMask;
  peDirsValues_ = s.peDirsValues;
  peFrom_ = s.peTimeFrom;
  peTo_ = s.peTimeTo;
  SetSearchFor(s.searchFor, false);
  ShowStatusOutput(s.showControls & kShowStatusOutput, false);
  ShowPeFilters(s.showControls & kShowPeFilters, false);
}

void CTarnixDlg::ApplyCommandLine() {
  const CommandLineState& cmd = CTarnixApp::Instance()->commandLine();
  const CommandLineValues& v = cmd.values;
  folder_->SetText(cmd.folder);
  if (!cmd.fileNames.empty()) {
    // The names as if dropped: those that fit in the box.
    std::vector<DroppedItem> items;
    for (const std::wstring& n : cmd.fileNames) items.push_back({cmd.folder + n});
    const DropOutcome out = ApplyDroppedItems(items, false, L"", false);
    if (out.skipped) {
      EventLog::LogFormat(L"Not every file of the command line fits in 'File Name': %zu files", cmd.fileNames.size());
      AppDialogs().Beep(mb::kIconWarning);
    }
    fileName_->SetText(out.fileName);
    fileRegex_->setChecked(true);
  } else {
    fileName_->SetText(L"");
    fileRegex_->setChecked(v.fnrx);
  }
  searchText_->SetText(L"");
  subfolders_->setChecked(v.isf);
  fileCase_->setChecked(v.fncs);
  fileWords_->setChecked(v.fnww);
  searchRegex_->setChecked(v.snrx);
  searchCase_->setChecked(v.sncs);
  searchWords_->setChecked(v.snww);
  SetSearchFor(v.sf == kSearchForImportLibs ? kSearchForImportLibs : kSearchForSymbols, false);
  if (v.pa != 0) {
    const int at = presentAs_->findData(v.pa);
    if (at >= 0) presentAs_->setCurrentIndex(at);
  }
  lookIn_ = v.li;
  peTypes_ = v.petp;
  peSubsystems_ = v.pess;
  peCharsMask_ = v.pecm;
  peCharsValues_ = v.pecv;
  peDirsMask_ = v.pedm;
  peDirsValues_ = v.pedv;
  peFrom_ = SwitchSecondsToFileTime(v.petf);
  peTo_ = SwitchSecondsToFileTime(v.pett);
  if (v.petp || v.pess || v.pecm || v.pecv || v.pedm || v.pedv || v.petf || v.pett)
    ShowPeFilters(true, false);
  if (cmd.autoActions & kAutoStartSearch) autoStartTimer_.start();
}

void CTarnixDlg::ShowSearchForMenu() {
  QMenu menu(this);
  menu.addAction(actForWinApis_);
  menu.addAction(actForImportLibs_);
  menu.exec(searchForLink_->mapToGlobal(QPoint(0, searchForLink_->height())));
}

void CTarnixDlg::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  CTarnixApp* app = CTarnixApp::Instance();
  if (!raised_ && app && (app->commandLine().autoActions & kAutoForeground)) {
    raised_ = true;
    raise();
    activateWindow();
  }
  if (!columnsBuilt_) {
    columnsBuilt_ = true;
    std::vector<uint8_t> stored;
    ColumnLayout layout;
    if (!RegistrySettings().GetBinary(L"TarnixSrchResultsCols", stored) ||
        !DecodeColumnLayout(stored, ListClientWidth(), layout))
      layout = DefaultColumnLayout(ListClientWidth());
    BuildColumns(std::move(layout));
  }
}

void CTarnixDlg::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (!blinkTimer_.isActive()) SetProgressText(currentFile_);
}

void CTarnixDlg::closeEvent(QCloseEvent* event) {
  SaveColumnLayout();
  if (searching_ && !closing_) {
    const int answer = AppDialogs().MessageBox(
        this, QStringLiteral("Search has not finished yet.\n\nDo you want close this program?"),
        QStringLiteral("Tarnix"), mb::kYesNoCancel | mb::kIconQuestion);
    if (answer != IDYES) {
      event->ignore();
      return;
    }
  }
  closing_ = true;
  detailsTimer_.stop();
  autoStartTimer_.stop();
  StopDetailsLoader();
  if (run_) {
    run_->stop.store(kStopStop);
    blinkTimer_.stop();
    EndRun(5000);
    if (run_) run_->target->Discard();
  }
  searching_ = false;
  RetireDetailsTarget();
  CloseToolWindows();
  if (fileCheck_) fileCheck_->Detach();
  if (searchCheck_) searchCheck_->Detach();
  fileCheck_ = searchCheck_ = nullptr;
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
  ApplyPickedPaths(paths, event->modifiers() & Qt::ShiftModifier);
}

void CTarnixDlg::ApplyPickedPaths(const QStringList& paths, bool append) {
  std::vector<DroppedItem> items;
  for (const QString& p : paths) {
    QFileInfo info(p);
    DroppedItem it;
    it.path = FromQ(info.absoluteFilePath());
    it.exists = info.exists();
    it.isFolder = info.isDir();
    items.push_back(std::move(it));
  }
  if (items.empty()) return;
  DropOutcome out = ApplyDroppedItems(items, append, fileName_->Text(), fileRegex_->isChecked());
  if (out.folderSet) folder_->SetText(out.folder);
  if (out.namesSet) {
    fileName_->SetText(out.fileName);
    fileRegex_->setChecked(out.fileNameRegex);
    SaveCheckBox(fileRegex_, L"FileNameRegex");
  }
  if (out.skipped) AppDialogs().Beep(mb::kIconWarning);
}

}  // namespace tarnix::gui
