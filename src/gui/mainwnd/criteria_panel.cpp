#include "gui/mainwnd/criteria_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/event_log.h"
#include "core/program_windows_root.h"
#include "core/window_settings.h"
#include "gui/app/command_set.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/text_convert.h"
#include "gui/dialogs/binary_file_presets.h"
#include "gui/dialogs/date_time_dlg.h"
#include "gui/dialogs/multi_sel_dlg.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/widgets/adaptive_box_layout.h"
#include "gui/widgets/buddy_label.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/pattern_box.h"
#include "pe/look_in.h"
#include "platform/windows_root.h"
#include "symbolsearch/binary_file_types.h"
#include "symbolsearch/folder_location.h"
#include "tools/binary_file_presets.h"
#include "tools/dropped_files.h"
#include "tools/filter_link_text.h"
#include "tools/folder_entry.h"

namespace tarnix::gui {
namespace {

constexpr int kFolderMaxChars = 1040;
constexpr int kFileNameMaxChars = 4096;
constexpr int kSearchTextMaxChars = 1040;

uint32_t Grammar() { return AppSettings().regexGrammar; }

}  // namespace

CriteriaPanel::CriteriaPanel(QWidget* parent, const CommandSet& commands)
    : QWidget(parent), commands_(commands) {
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  auto* groups = new AdaptiveBoxLayout;
  groups->addWidget(BuildSearchLocation(), 1);
  groups->addWidget(BuildSearchFor(), 1);
  root->addLayout(groups);
  root->addWidget(BuildPeFilters());
}

QWidget* CriteriaPanel::BuildSearchLocation() {
  auto* group = new QGroupBox(QStringLiteral("Search Location"), this);
  auto* grid = new QGridLayout(group);
  folder_ = new CComboBoxAuto(group);
  folder_->SetMaxLength(kFolderMaxChars);
  folder_->setAccessibleName(QStringLiteral("Folder:"));
  folderMenuButton_ = new QToolButton(group);
  folderMenuButton_->setText(QStringLiteral("..."));
  folderMenuButton_->setAccessibleName(QStringLiteral("Folder Menu"));
  folderMenuButton_->setFocusPolicy(Qt::StrongFocus);
  subfolders_ = new QCheckBox(QStringLiteral("Include s&ubfolders"), group);
  fileName_ = new PatternBox(group, {"Contains regular e&xpressions", "C&ase-sensitive", "Who&le words only",
                                     "File Name:", "File Name Menu", kFileNameMaxChars});

  grid->addWidget(BuddyLabel(group, QStringLiteral("Fol&der:"), folder_), 0, 0);
  grid->addWidget(folder_, 0, 1);
  grid->addWidget(folderMenuButton_, 0, 2);
  grid->addWidget(subfolders_, 1, 1);
  grid->addWidget(BuddyLabel(group, QStringLiteral("File &Name:"), fileName_->box()), 2, 0);
  fileName_->PlaceIn(grid, 2, 1);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(4, 1);

  connect(folderMenuButton_, &QToolButton::clicked, this, [this] { ShowFolderMenu(); });
  connect(folder_->lineEdit(), &QLineEdit::returnPressed, this, &CriteriaPanel::searchRequested);
  connect(fileName_, &PatternBox::returnPressed, this, &CriteriaPanel::searchRequested);
  connect(fileName_, &PatternBox::menuRequested, this, [this] { ShowFileMenu(); });
  connect(fileName_, &PatternBox::moreInfoRequested, this, &CriteriaPanel::helpRequested);
  connect(subfolders_, &QCheckBox::clicked, this,
          [](bool on) { WriteCriteriaOption(CriteriaOption::kIncludeSubfolders, on); });
  return group;
}

QWidget* CriteriaPanel::BuildSearchFor() {
  auto* group = new QGroupBox(QStringLiteral("Search For"), this);
  auto* grid = new QGridLayout(group);
  searchForLink_ = new LinkLabel(group);
  search_ = new PatternBox(group, {"Contains re&gular expressions", "&Case-sensitive", "Whole words onl&y",
                                   "Search String", "Search String Menu", kSearchTextMaxChars});
  lookInLink_ = new LinkLabel(group);
  presentAs_ = new QComboBox(group);

  grid->addWidget(searchForLink_, 0, 0);
  search_->PlaceIn(grid, 0, 1);
  grid->addWidget(BuddyLabel(group, QStringLiteral("Loo&k In:"), lookInLink_), 2, 0);
  grid->addWidget(lookInLink_, 2, 1, 1, 2);
  grid->addWidget(BuddyLabel(group, QStringLiteral("&Present Results As:"), presentAs_), 3, 0);
  auto* present = new QHBoxLayout;
  present->addWidget(presentAs_);
  present->addStretch(1);
  grid->addLayout(present, 3, 1, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(4, 1);

  connect(search_, &PatternBox::menuRequested, this, [this] { ShowSearchMenu(); });
  connect(search_, &PatternBox::returnPressed, this, &CriteriaPanel::searchRequested);
  connect(search_, &PatternBox::moreInfoRequested, this, &CriteriaPanel::helpRequested);
  connect(searchForLink_, &LinkLabel::linkClicked, this, [this] { ShowSearchForMenu(); });
  connect(lookInLink_, &LinkLabel::linkClicked, this, [this] { EditFilter(CMultiSelDlg::kLookIn); });
  connect(presentAs_, qOverload<int>(&QComboBox::activated), this,
          [this](int) { WritePresentAs(searchFor_, presentAs_->currentData().toUInt()); });
  return group;
}

QWidget* CriteriaPanel::BuildPeFilters() {
  peGroup_ = new QGroupBox(QStringLiteral("PE Header Filters"), this);
  auto* grid = new QGridLayout(peGroup_);
  typeLink_ = new LinkLabel(peGroup_);
  subsystemsLink_ = new LinkLabel(peGroup_);
  characteristicsLink_ = new LinkLabel(peGroup_);
  directoriesLink_ = new LinkLabel(peGroup_);
  fromLink_ = new LinkLabel(peGroup_);
  toLink_ = new LinkLabel(peGroup_);
  grid->addWidget(BuddyLabel(peGroup_, QStringLiteral("&Type:"), typeLink_), 0, 0);
  grid->addWidget(typeLink_, 0, 1);
  grid->addWidget(BuddyLabel(peGroup_, QStringLiteral("Subsyste&ms:"), subsystemsLink_), 0, 2);
  grid->addWidget(subsystemsLink_, 0, 3);
  grid->addWidget(BuddyLabel(peGroup_, QStringLiteral("Characteristics:"), characteristicsLink_), 1, 0);
  grid->addWidget(characteristicsLink_, 1, 1, 1, 3);
  grid->addWidget(BuddyLabel(peGroup_, QStringLiteral("Directories:"), directoriesLink_), 2, 0);
  grid->addWidget(directoriesLink_, 2, 1, 1, 3);
  auto* times = new QHBoxLayout;
  times->addWidget(BuddyLabel(peGroup_, QStringLiteral("From:"), fromLink_));
  times->addWidget(fromLink_);
  times->addSpacing(16);
  times->addWidget(BuddyLabel(peGroup_, QStringLiteral("To:"), toLink_));
  times->addWidget(toLink_);
  times->addStretch(1);
  grid->addWidget(new QLabel(QStringLiteral("Time Stamp:"), peGroup_), 3, 0);
  grid->addLayout(times, 3, 1, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  for (LinkLabel* l : {typeLink_, subsystemsLink_, characteristicsLink_, directoriesLink_})
    l->setWordWrap(true);
  connect(typeLink_, &LinkLabel::linkClicked, this, [this] { EditFilter(CMultiSelDlg::kImageType); });
  connect(subsystemsLink_, &LinkLabel::linkClicked, this, [this] { EditFilter(CMultiSelDlg::kSubsystems); });
  connect(characteristicsLink_, &LinkLabel::linkClicked, this,
          [this] { EditFilter(CMultiSelDlg::kCharacteristics); });
  connect(directoriesLink_, &LinkLabel::linkClicked, this, [this] { EditFilter(CMultiSelDlg::kDirectories); });
  connect(fromLink_, &LinkLabel::linkClicked, this, [this] { EditTimeStamp(true); });
  connect(toLink_, &LinkLabel::linkClicked, this, [this] { EditTimeStamp(false); });
  return peGroup_;
}

bool CriteriaPanel::Load(const CommandLineState* commandLine) {
  subfolders_->setChecked(ReadCriteriaOption(CriteriaOption::kIncludeSubfolders));
  folder_->Attach(false, setting::kHistFolder);
  folder_->SetEntryForm(FolderEntryForm);
  fileName_->Attach(setting::kHistFileName, Grammar,
                    PatternBox::OptionSettings{CriteriaOption::kFileNameRegex, CriteriaOption::kFileNameCase,
                                               CriteriaOption::kFileNameWords});
  search_->Attach(setting::kHistSearchName, Grammar,
                  PatternBox::OptionSettings{CriteriaOption::kSearchRegex, CriteriaOption::kSearchCase,
                                             CriteriaOption::kSearchWords});
  const ProgramSettings& s = AppSettings();
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
  ShowPeFilters(s.showControls & kShowPeFilters, false);
  bool autoStart = false;
  if (commandLine && !commandLine->folder.empty()) {
    ApplyCommandLine(*commandLine);
    autoStart = commandLine->autoActions & kAutoStartSearch;
  }
  RefreshFilterLinks();
  return autoStart;
}

void CriteriaPanel::ApplyCommandLine(const CommandLineState& cmd) {
  const CommandLineValues& v = cmd.values;
  folder_->SetText(cmd.folder);
  bool fileRegex = v.fnrx;
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
    fileRegex = true;
  } else {
    fileName_->SetText(L"");
  }
  if (cmd.name) {
    fileName_->SetText(*cmd.name);
    fileRegex = v.fnrx;
  }
  search_->SetText(cmd.searchFor.value_or(L""));
  subfolders_->setChecked(v.isf);
  fileName_->SetOptions(fileRegex, v.fncs, v.fnww, false);
  search_->SetOptions(v.snrx, v.sncs, v.snww, false);
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
  if (v.petp || v.pess || v.pecm || v.pecv || v.pedm || v.pedv || v.petf || v.pett) ShowPeFilters(true, false);
}

void CriteriaPanel::Detach() {
  fileName_->Detach();
  search_->Detach();
}

SearchCriteriaInput CriteriaPanel::Gather() const {
  SearchCriteriaInput in;
  in.folder = folder_->Text();
  in.includeSubfolders = subfolders_->isChecked();
  in.fileName = fileName_->Value();
  in.searchFor = searchFor_;
  in.search = search_->Value();
  in.lookIn = lookIn_;
  in.presentAs = presentAs_->currentData().toUInt();
  in.peFiltersShown = peFiltersShown();
  in.imageTypes = peTypes_;
  in.subsystems = peSubsystems_;
  in.characteristicsMask = peCharsMask_;
  in.characteristicsValues = peCharsValues_;
  in.directoriesMask = peDirsMask_;
  in.directoriesValues = peDirsValues_;
  in.timeStampFrom = peFrom_;
  in.timeStampTo = peTo_;
  in.regexGrammar = Grammar();
  return in;
}

CommandLineValues CriteriaPanel::SwitchValues() const { return SwitchValuesOf(Gather()); }

QWidget* CriteriaPanel::ControlOf(CriteriaControl c) const {
  switch (c) {
    case CriteriaControl::kFolder: return folder_;
    case CriteriaControl::kFileName: return fileName_->box();
    case CriteriaControl::kSearchFor: return searchForLink_;
    case CriteriaControl::kSearchText: return search_->box();
    case CriteriaControl::kPresentAs: return presentAs_;
    case CriteriaControl::kTimeStampFrom: return fromLink_;
    case CriteriaControl::kTimeStampTo: return toLink_;
    default: return nullptr;
  }
}

void CriteriaPanel::AddToHistories() {
  folder_->AddToHistory();
  fileName_->AddToHistory();
  search_->AddToHistory();
}

std::wstring CriteriaPanel::folder() const { return folder_->Text(); }

void CriteriaPanel::SetSearchFor(uint32_t mode, bool store) {
  searchFor_ = mode == kSearchForImportLibs ? kSearchForImportLibs : kSearchForSymbols;
  searchForLink_->SetLinkText(searchFor_ == kSearchForImportLibs ? QStringLiteral("<a>Import Li&bs:</a>")
                                                                  : QStringLiteral("<a>W&inAPIs:</a>"));
  searchForLink_->setAccessibleName(QStringLiteral("search for:"));
  if (store) WriteSearchFor(AppSettings(), searchFor_);
  FillPresentAs();
  emit searchForChanged();
}

void CriteriaPanel::FillPresentAs() {
  presentAs_->clear();
  if (searchFor_ != kSearchForImportLibs)
    presentAs_->addItem(QStringLiteral("WinAPIs in modules"), kPresentSymbolsInModules);
  presentAs_->addItem(QStringLiteral("Modules only"), kPresentModulesOnly);
  const int at = presentAs_->findData(ReadPresentAs(searchFor_));
  presentAs_->setCurrentIndex(at >= 0 ? at : 0);
}

QWidget* CriteriaPanel::peFilters() const { return peGroup_; }

bool CriteriaPanel::peFiltersShown() const { return !peGroup_->isHidden(); }

void CriteriaPanel::ShowPeFilters(bool show, bool store) {
  peGroup_->setVisible(show);
  if (store) WriteShowControl(AppSettings(), kShowPeFilters, show);
}

void CriteriaPanel::RefreshFilterLinks() {
  lookInLink_->SetLinkText(ToQ(LookInLinkText(lookIn_)));
  typeLink_->SetLinkText(ToQ(ImageTypeLinkText(peTypes_)));
  subsystemsLink_->SetLinkText(ToQ(SubsystemsLinkText(peSubsystems_)));
  characteristicsLink_->SetLinkText(ToQ(CharacteristicsLinkText(peCharsMask_, peCharsValues_)));
  directoriesLink_->SetLinkText(ToQ(DirectoriesLinkText(peDirsMask_, peDirsValues_)));
  fromLink_->SetLinkText(QStringLiteral("<a>%1</a>").arg(ToQ(TimeStampLinkText(peFrom_)).toHtmlEscaped()));
  toLink_->SetLinkText(QStringLiteral("<a>%1</a>").arg(ToQ(TimeStampLinkText(peTo_)).toHtmlEscaped()));
}

void CriteriaPanel::EditFilter(int use) {
  ProgramSettings& s = AppSettings();
  switch (use) {
    case CMultiSelDlg::kLookIn: {
      uint64_t mask = lookIn_;
      if (!CMultiSelDlg::Run(this, use, mask, nullptr)) return;
      lookIn_ = static_cast<uint32_t>(mask);
      WriteLookIn(s, lookIn_);
      break;
    }
    case CMultiSelDlg::kImageType: {
      uint64_t mask = peTypes_;
      if (!CMultiSelDlg::Run(this, use, mask, nullptr)) return;
      peTypes_ = static_cast<uint32_t>(mask);
      WritePeTypes(s, peTypes_);
      break;
    }
    case CMultiSelDlg::kSubsystems: {
      uint64_t mask = peSubsystems_;
      if (!CMultiSelDlg::Run(this, use, mask, nullptr)) return;
      peSubsystems_ = mask;
      WritePeSubsystems(s, mask);
      break;
    }
    case CMultiSelDlg::kCharacteristics: {
      uint64_t mask = peCharsMask_, values = peCharsValues_;
      if (!CMultiSelDlg::Run(this, use, mask, &values)) return;
      peCharsMask_ = mask;
      peCharsValues_ = values;
      WritePeCharacteristics(s, mask, values);
      break;
    }
    case CMultiSelDlg::kDirectories: {
      uint64_t mask = peDirsMask_, values = peDirsValues_;
      if (!CMultiSelDlg::Run(this, use, mask, &values)) return;
      peDirsMask_ = mask;
      peDirsValues_ = values;
      WritePeDirectories(s, mask, values);
      break;
    }
    default:
      return;
  }
  RefreshFilterLinks();
}

void CriteriaPanel::EditTimeStamp(bool from) {
  uint64_t value = from ? peFrom_ : peTo_;
  const bool ok =
      from ? CDateTimeDlg::Run(this, QStringLiteral("'Time Stamp' Filter: FROM"),
                               QStringLiteral("Local date and time. For a match, the image timestamp has "
                                              "to be on or after this date."),
                               true, value)
           : CDateTimeDlg::Run(this, QStringLiteral("'Time Stamp' Filter: TO"),
                               QStringLiteral("Local date and time. For a match, the image timestamp has "
                                              "to be on or before this date."),
                               false, value);
  if (!ok) return;
  (from ? peFrom_ : peTo_) = value;
  if (!WritePeTimeStamp(AppSettings(), from, value)) {
    EventLog::LogSiteFormat(595, L"t=%d, ft=0x%llx", from ? 0 : 1, static_cast<unsigned long long>(value));
    AppDialogs().Beep(mb::kIconError);
  }
  RefreshFilterLinks();
}

void CriteriaPanel::ClearPeFilters() {
  peTypes_ = 0;
  peSubsystems_ = peCharsMask_ = peCharsValues_ = peDirsMask_ = peDirsValues_ = peFrom_ = peTo_ = 0;
  tarnix::ClearPeFilters(AppSettings());
  RefreshFilterLinks();
}

void CriteriaPanel::BinaryFilePresets() {
  BinaryPresetOutcome outcome;
  if (!CBinaryFilePresets::RunForFileName(this, ToQ(fileName_->Text()), outcome)) return;
  fileName_->SetText(outcome.pattern);
  if (outcome.regexOn) fileName_->SetRegex(true, true);
}

void CriteriaPanel::ShowSearchForMenu() {
  QMenu menu(this);
  commands_.Fill(&menu, {kCmdSearchForWinApis, kCmdSearchForImportLibs});
  menu.exec(searchForLink_->mapToGlobal(QPoint(0, searchForLink_->height())));
}

void CriteriaPanel::ShowFolderMenu() {
  QMenu menu(this);
  menu.addAction(QStringLiteral("&Browse For Folder..."), this, [this] { PickFolder(); });
  const WindowsRoot root = ProgramWindowsRoot();
  for (const FolderLocationItem& item : kFolderLocationItems) {
    const std::wstring path = FolderLocationPath(item.location, root);
    QAction* a = menu.addAction(ToQ(item.menuText), this, [this, path] { folder_->SetText(path); });
    a->setEnabled(!path.empty());
  }
  menu.addSeparator();
  menu.addAction(QStringLiteral("&Open Selected Folder"), this, [this] {
    const QString folder = ToQ(folder_->Text()).trimmed();
    if (folder.isEmpty()) {
      AppDialogs().Beep(mb::kIconError);
      return;
    }
    OpenUrlOrSay(this, QUrl::fromLocalFile(folder));
  });
  menu.exec(folderMenuButton_->mapToGlobal(QPoint(0, folderMenuButton_->height())));
}

void CriteriaPanel::ShowFileMenu() {
  QMenu menu(this);
  menu.addAction(QStringLiteral("&Browse For Files..."), this, [this] { PickFiles(); });
  commands_.Fill(&menu, {kCmdBinaryFilePresets});
  menu.addAction(QStringLiteral("Select-&All Filter"), this, [this] {
    fileName_->SetText(L"*");
    // "*" is the match-all of plain patterns; as an expression it is invalid.
    fileName_->SetRegex(false, true);
  });
  commands_.Fill(&menu, {CommandSet::kSeparator, kCmdRegexComposer, kCmdTryRegex});
  QToolButton* b = fileName_->menuButton();
  menuTarget_ = fileName_;
  menu.exec(b->mapToGlobal(QPoint(0, b->height())));
  menuTarget_ = nullptr;
}

void CriteriaPanel::ShowSearchMenu() {
  QMenu menu(this);
  commands_.Fill(&menu, {kCmdRegexComposer, kCmdTryRegex});
  QToolButton* b = search_->menuButton();
  menuTarget_ = search_;
  menu.exec(b->mapToGlobal(QPoint(0, b->height())));
  menuTarget_ = nullptr;
}

PatternBox* CriteriaPanel::RegexTarget() const {
  if (menuTarget_) return menuTarget_;
  QWidget* focus = QApplication::focusWidget();
  return focus && fileName_->box()->isAncestorOf(focus) ? fileName_ : search_;
}

WindowRequest CriteriaPanel::RegexRequest(QWidget* owner) const {
  PatternBox* target = RegexTarget();
  const SearchStringSpec spec = target->Value();
  WindowRequest r(owner);
  if (spec.regex) r.regex = spec.text;
  r.caseSensitive = spec.caseSensitive;
  r.grammar = AppSettings().regexGrammar;
  QPointer<PatternBox> box(target);
  r.composed = [box, words = spec.wholeWords](const std::wstring& regex, bool caseSensitive) {
    if (!box) return;
    box->SetText(regex);
    box->SetOptions(true, caseSensitive, words, true);
  };
  return r;
}

void CriteriaPanel::PickFiles() {
  FileDialogRequest r;
  r.caption = QStringLiteral("Select Binary File(s)");
  r.folder = ToQ(folder_->Text());
  QString all;
  for (int i = 0; i < kBinaryFileTypeCount; ++i)
    all += QStringLiteral("*.%1%2").arg(ToQ(kBinaryFileTypes[i].extension),
                                       i + 1 < kBinaryFileTypeCount ? QStringLiteral(";") : QString());
  r.filter = QStringLiteral("Binary Files (%1)|%1").arg(all) +
             QStringLiteral(
                 "|Executables Only (*.exe;*.cpl;*.scr;*.com)|*.exe;*.cpl;*.scr;*.com|DLLs Only "
                 "(*.dll)|*.dll|Drivers Only (*.sys;*.drv)|*.sys;*.drv|Firmware Only "
                 "(*.efi)|*.efi|Resource Libraries Only (*.mui;*.rll)|*.mui;*.rll|All Files "
                 "(*.*)|*.*|");
  QStringList paths;
  if (!AppDialogs().OpenFileNames(this, r, paths)) return;
  ApplyPickedPaths(paths, QApplication::keyboardModifiers() & Qt::ShiftModifier);
}

void CriteriaPanel::PickFolder() {
  QString folder;
  if (!AppDialogs().ExistingFolder(this, QStringLiteral("Pick Folder"), ToQ(folder_->Text()), folder)) return;
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  folder_->SetText(FromQ(folder));
}

void CriteriaPanel::ApplyPickedPaths(const QStringList& paths, bool append) {
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
  const SearchStringSpec name = fileName_->Value();
  DropOutcome out = ApplyDroppedItems(items, append, name.text, name.regex);
  if (out.folderSet) folder_->SetText(out.folder);
  if (out.namesSet) {
    fileName_->SetText(out.fileName);
    fileName_->SetRegex(out.fileNameRegex, true);
  }
  if (out.skipped) AppDialogs().Beep(mb::kIconWarning);
}

}  // namespace tarnix::gui
