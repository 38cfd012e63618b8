// The main window's commands: one action each, shared by the menu bar, the
// context menus and the keys, and one function that says which are enabled.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QSysInfo>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTableView>
#include <QToolButton>
#include <QUrlQuery>
#include <filesystem>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/event_log_export.h"
#include "core/machine_stats.h"
#include "core/project_pages.h"
#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "core/wformat.h"
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
#include "platform/errno_map.h"
#include "platform/last_error.h"
#include "platform/registry.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "platform/windows_root.h"
#include "results/html_report.h"
#include "symbolsearch/binary_file_types.h"
#include "symbolsearch/folder_location.h"
#include "tools/filter_link_text.h"

namespace tarnix::gui {
namespace {

QString Plain(QString text) {
  const int tab = text.indexOf(QLatin1Char('\t'));
  if (tab >= 0) text.truncate(tab);
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return text;
}

QString TempFile(const char* name) { return QDir(QDir::tempPath()).filePath(QString::fromLatin1(name)); }

// Removes the program's temporary files; answers the first error (0 when
// every one is gone).
uint32_t RemoveTempFiles() {
  uint32_t first = 0;
  for (const char* name : {kTempLogView, kTempPreview}) {
    std::error_code ec;
    std::filesystem::remove(TempFile(name).toStdString(), ec);
    if (ec && !first) {
      first = Win32FromErrno(ec.value());
      EventLog::LogFormat(L"path=\"%ls\", err=%d", FromQ(TempFile(name)).c_str(), ec.value());
    }
  }
  return first;
}

}  // namespace

QAction* CTarnixDlg::MakeAction(const char* text, const char* shortcut, std::function<void()> run,
                                const char* extraShortcut) {
  auto* a = new QAction(QString::fromUtf8(text), this);
  QList<QKeySequence> keys;
  if (shortcut) keys.push_back(QKeySequence(QString::fromLatin1(shortcut)));
  if (extraShortcut) keys.push_back(QKeySequence(QString::fromLatin1(extraShortcut)));
  if (!keys.isEmpty()) {
    a->setShortcuts(keys);
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);  // the keys work while the menus are closed
  }
  connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
  actions_.push_back(a);
  return a;
}

QAction* CTarnixDlg::action(const QString& plainText) const {
  for (QAction* a : actions_)
    if (Plain(a->text()) == plainText) return a;
  return nullptr;
}

void CTarnixDlg::NotBuiltYet(const QString& command) {
  output_->AppendLine(FromQ(QStringLiteral("The '%1' window is not part of this version of Tarnix yet.")
                                .arg(Plain(command))));
}

void CTarnixDlg::BuildActions() {
  // Windows that a later version brings; until then the command says so.
  auto later = [this](const char* text, const char* key) {
    return MakeAction(text, key, [this, text] { NotBuiltYet(QString::fromUtf8(text)); });
  };
  // File
  MakeAction("&New Instance", "Ctrl+N", [this] { NewInstance(); });
  MakeAction("&Pick Files...\tCtrl+O", "Ctrl+O", [this] { PickFiles(); });
  MakeAction("Pick &Folder...\tCtrl+Shift+O", "Ctrl+Shift+O", [this] { PickFolder(); });
  actSaveResults_ = MakeAction("&Save Search Results...\tCtrl+Shift+S", "Ctrl+Shift+S", [this] { SaveResults(); });
  MakeAction("Save Status &Output...", nullptr, [this] { SaveStatusOutput(); });
  MakeAction("&Exit", nullptr, [this] { close(); });
  // Edit
  MakeAction("&Copy Status Output\tCtrl+Shift+C", "Ctrl+Shift+C", [this] {
    const size_t n = output_->CopyToClipboard();
    (void)n;
  });
  MakeAction("Cl&ear Status Output", nullptr, [this] { output_->Clear(); });
  actForWinApis_ = MakeAction("&WinAPIs", nullptr, [this] { SetSearchFor(kSearchForSymbols, true); });
  actForImportLibs_ = MakeAction("&Import Libraries", nullptr, [this] { SetSearchFor(kSearchForImportLibs, true); });
  auto* modes = new QActionGroup(this);
  for (QAction* a : {actForWinApis_, actForImportLibs_}) {
    a->setCheckable(true);
    modes->addAction(a);
  }
  MakeAction("'&Look In' Filter", nullptr, [this] { EditFilter(0); });
  MakeAction("'PE &Type' Filter", nullptr, [this] { EditFilter(1); });
  MakeAction("'PE S&ubsystems' Filter", nullptr, [this] { EditFilter(2); });
  MakeAction("'PE Characte&ristics' Filter", nullptr, [this] { EditFilter(3); });
  MakeAction("'PE &Directories' Filter", nullptr, [this] { EditFilter(4); });
  MakeAction("'PE T&ime Stamp: From' Filter", nullptr, [this] { EditTimeStamp(true); });
  MakeAction("'PE Time Stamp: T&o' Filter", nullptr, [this] { EditTimeStamp(false); });
  MakeAction("Clear &All PE Header Filters\tCtrl+Shift+D", "Ctrl+Shift+D", [this] { ClearPeFilters(); });
  later("&Settings...\tCtrl+K", "Ctrl+K");
  // View
  actShowPeFilters_ = MakeAction("&PE Header Filters", nullptr, [this] {
    ShowPeFilters(actShowPeFilters_->isChecked(), true);
  });
  actShowPeFilters_->setCheckable(true);
  actShowOutput_ = MakeAction("Status &Output", nullptr, [this] { ShowStatusOutput(actShowOutput_->isChecked(), true); });
  actShowOutput_->setCheckable(true);
  actResultInfo_ = MakeAction("Search Result &Info...", nullptr, [this] { NotBuiltYet(QStringLiteral("Search Result &Info...")); });
  later("Error Co&de Search...", nullptr);
  later("&Error Message Search...", nullptr);
  later("&Undecorate C++ Symbols...", nullptr);
  actBinaryPresets_ = MakeAction("Binary File &Presets...\tCtrl+B", "Ctrl+B", [this] { BinaryFilePresets(); });
  actRegexComposer_ = later("Regex &Composer...\tCtrl+R", "Ctrl+R");
  actTryRegex_ = later("Try &Regex Matches...\tCtrl+T", "Ctrl+T");
  // Results
  actPreview_ = MakeAction("&Preview Search Results...\tCtrl+Shift+P", "Ctrl+Shift+P", [this] { PreviewResults(); });
  actCopyResults_ = MakeAction("&Copy Search Results", nullptr, [this] { CopyRows(); });
  actClearResults_ = MakeAction("Cl&ear Search Results", nullptr, [this] { ClearResults(); });
  actSelectAll_ = MakeAction("Select &All Search Results", nullptr, [this] { SelectAllResults(); });
  actRescan_ = MakeAction("&Re-Scan Results List", nullptr, [this] { StartDetailsLoader(); });
  actDefaultColumns_ = MakeAction("Restore Resul&ts List Default Columns", nullptr, [this] { RestoreDefaultColumns(); });
  // The results list's own commands and keys (its context menu).
  auto listAction = [this](const char* text, const char* key, std::function<void()> run) {
    auto* a = new QAction(QString::fromUtf8(text), view_);
    if (key) {
      a->setShortcut(QKeySequence(QString::fromLatin1(key)));
      a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
      view_->addAction(a);
    }
    connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
    actions_.push_back(a);
    return a;
  };
  actListInfo_ = listAction("&Show Info...\tCtrl+I", "Ctrl+I", [this] { actResultInfo_->trigger(); });
  actListCopy_ = listAction("&Copy\tCtrl+C", "Ctrl+C", [this] { CopyRows(); });
  actListSelectAll_ = listAction("Select &All\tCtrl+A", "Ctrl+A", [this] { SelectAllResults(); });
  actListRescan_ = listAction("R&e-Scan List", nullptr, [this] { StartDetailsLoader(); });
  // Window
  MakeAction("Cascade All Open &Windows\tCtrl+Shift+W", "Ctrl+Shift+W", [this] { CascadeWindows(); });
  MakeAction("&Restore Window To Primary Monitor\t Ctrl+Shift+R", "Ctrl+Shift+R", [this] { RestoreToPrimary(); });
  MakeAction("Restore Window To &Mouse Position\tCtrl+Shift+M", "Ctrl+Shift+M", [this] { RestoreToMouse(); });
  MakeAction("&Close All Open Windows", nullptr, [this] { CloseToolWindows(); });
  // Help
  MakeAction("&Search Strings Syntax...", nullptr, [this] { OpenHelp(QString()); });
  MakeAction("&Delete App's Temp Files", nullptr, [this] { DeleteTempFiles(); });
  MakeAction("Delete App's Temp Files && &Registry Settings...", nullptr, [this] { DeleteTempFilesAndSettings(); });
  MakeAction("&Open Event Log...", nullptr, [this] { ExportEventLog(true); });
  MakeAction("E&xport Event Log...", nullptr, [this] { ExportEventLog(false); });
  MakeAction("&Submit Bug Report...", nullptr, [this] { OpenProjectPage(kFeedbackUrlTemplate, true); });
  MakeAction("Suggest &Improvement...", nullptr, [this] { OpenProjectPage(kFeedbackUrlTemplate, true); });
  MakeAction("Check For &Updates...", nullptr, [this] { OpenProjectPage(kUpdatesUrlTemplate, false); });
  MakeAction("&About...", nullptr, [this] { About(); });
}

void CTarnixDlg::BuildMenus() {
  auto add = [this](QMenu* m, std::initializer_list<const char*> items) {
    for (const char* t : items) {
      if (!t) {
        m->addSeparator();
        continue;
      }
      QAction* a = action(Plain(QString::fromUtf8(t)));
      if (a) m->addAction(a);
    }
  };
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  add(file, {"&New Instance", nullptr, "&Pick Files...", "Pick &Folder...", nullptr,
             "&Save Search Results...", "Save Status &Output...", nullptr, "&Exit"});
  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  add(edit, {"&Copy Status Output", "Cl&ear Status Output", nullptr});
  QMenu* searchFor = edit->addMenu(QStringLiteral("Search &For"));
  searchFor->addAction(actForWinApis_);
  searchFor->addAction(actForImportLibs_);
  add(edit, {nullptr, "'&Look In' Filter", "'PE &Type' Filter", "'PE S&ubsystems' Filter",
             "'PE Characte&ristics' Filter", "'PE &Directories' Filter", "'PE T&ime Stamp: From' Filter",
             "'PE Time Stamp: T&o' Filter", "Clear &All PE Header Filters", nullptr, "&Settings..."});
  QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
  add(view, {"&PE Header Filters", "Status &Output", nullptr, "Search Result &Info...", nullptr,
             "Error Co&de Search...", "&Error Message Search...", "&Undecorate C++ Symbols...",
             "Binary File &Presets...", "Regex &Composer...", "Try &Regex Matches..."});
  QMenu* results = menuBar()->addMenu(QStringLiteral("&Results"));
  add(results, {"&Preview Search Results...", nullptr, "&Copy Search Results", "Cl&ear Search Results",
                "Select &All Search Results", nullptr, "&Re-Scan Results List",
                "Restore Resul&ts List Default Columns"});
  QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
  add(window, {"Cascade All Open &Windows", "&Restore Window To Primary Monitor",
               "Restore Window To &Mouse Position", nullptr, "&Close All Open Windows"});
  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  add(help, {"&Search Strings Syntax...", nullptr});
  QMenu* maintenance = help->addMenu(QStringLiteral("&Maintenance"));
  add(maintenance, {"&Delete App's Temp Files", "Delete App's Temp Files && &Registry Settings..."});
  QMenu* bugs = help->addMenu(QStringLiteral("&Bug Report"));
  add(bugs, {"&Open Event Log...", "E&xport Event Log...", nullptr, "&Submit Bug Report...",
             "Suggest &Improvement..."});
  add(help, {nullptr, "Check For &Updates...", "&About..."});
  connect(results, &QMenu::aboutToShow, this, [this] { UpdateActions(); });
}

void CTarnixDlg::UpdateActions() {
  const bool empty = results_.entries().empty();
  const bool idleWithResults = !searching_ && !empty;
  const bool selected = view_ && view_->selectionModel() && view_->selectionModel()->hasSelection();
  for (QAction* a : {actCopyResults_, actClearResults_, actSelectAll_, actDefaultColumns_, actListSelectAll_})
    if (a) a->setEnabled(idleWithResults);
  if (actListCopy_) actListCopy_->setEnabled(!searching_ && selected);
  if (actRescan_)
    actRescan_->setEnabled(idleWithResults && results_.detailsInterrupted() && !details_.Running());
  if (actPreview_) actPreview_->setEnabled(!searching_ && searchedOnce_);
  if (actSaveResults_) actSaveResults_->setEnabled(!searching_ && searchedOnce_);
  // From the selection's ranges: listing the selected rows of a quarter of
  // a million would take the window's thread for a long moment.
  const QItemSelection sel = view_ && view_->selectionModel() ? view_->selectionModel()->selection() : QItemSelection();
  const bool one = sel.size() == 1 && sel.front().height() == 1;
  if (actResultInfo_) actResultInfo_->setEnabled(one);
  if (actListInfo_) actListInfo_->setEnabled(one);
  if (actListRescan_) actListRescan_->setEnabled(actRescan_ && actRescan_->isEnabled());
  if (actForWinApis_) actForWinApis_->setChecked(searchFor_ != kSearchForImportLibs);
  if (actForImportLibs_) actForImportLibs_->setChecked(searchFor_ == kSearchForImportLibs);
}

void CTarnixDlg::SetSearchFor(uint32_t mode, bool store) {
  searchFor_ = mode == kSearchForImportLibs ? kSearchForImportLibs : kSearchForSymbols;
  searchForLink_->SetLinkText(searchFor_ == kSearchForImportLibs ? QStringLiteral("<a>Imp&ort Libs:</a>")
                                                                  : QStringLiteral("<a>&WinAPIs:</a>"));
  searchForLink_->setAccessibleName(QStringLiteral("search for:"));
  if (store) {
    RegistrySettings().SetDword(L"SrchFor", searchFor_);
    if (CTarnixApp* app = CTarnixApp::Instance()) app->settings().searchFor = searchFor_;
  }
  FillPresentAs();
  UpdateActions();
}

void CTarnixDlg::FillPresentAs() {
  presentAs_->clear();
  RegistrySettings store;
  if (searchFor_ == kSearchForImportLibs) {
    presentAs_->addItem(QStringLiteral("Modules only"), kPresentModulesOnly);
    presentAs_->setCurrentIndex(0);
    return;
  }
  presentAs_->addItem(QStringLiteral("WinAPIs in modules"), kPresentSymbolsInModules);
  presentAs_->addItem(QStringLiteral("Modules only"), kPresentModulesOnly);
  const uint32_t chosen = store.GetDword(L"PresentResAs_WinApis", kPresentSymbolsInModules);
  presentAs_->setCurrentIndex(chosen == kPresentModulesOnly ? 1 : 0);
}

void CTarnixDlg::ShowPeFilters(bool show, bool store) {
  peGroup_->setVisible(show);
  if (actShowPeFilters_) actShowPeFilters_->setChecked(show);
  if (!store) return;
  CTarnixApp* app = CTarnixApp::Instance();
  uint32_t bits = app ? app->settings().showControls : 0;
  bits = show ? bits | kShowPeFilters : bits & ~kShowPeFilters;
  if (app) app->settings().showControls = bits;
  RegistrySettings().SetDword(L"ShowCtrls", bits);
}

void CTarnixDlg::ShowStatusOutput(bool show, bool store) {
  outputPane_->setVisible(show);
  if (actShowOutput_) actShowOutput_->setChecked(show);
  if (!store) return;
  CTarnixApp* app = CTarnixApp::Instance();
  uint32_t bits = app ? app->settings().showControls : 0;
  bits = show ? bits | kShowStatusOutput : bits & ~kShowStatusOutput;
  if (app) app->settings().showControls = bits;
  RegistrySettings().SetDword(L"ShowCtrls", bits);
}

void CTarnixDlg::RefreshFilterLinks() {
  lookInLink_->SetLinkText(ToQ(LookInLinkText(lookIn_)));
  typeLink_->SetLinkText(ToQ(ImageTypeLinkText(peTypes_)));
  subsystemsLink_->SetLinkText(ToQ(SubsystemsLinkText(peSubsystems_)));
  characteristicsLink_->SetLinkText(ToQ(CharacteristicsLinkText(peCharsMask_, peCharsValues_)));
  directoriesLink_->SetLinkText(ToQ(DirectoriesLinkText(peDirsMask_, peDirsValues_)));
  fromLink_->SetLinkText(QStringLiteral("<a>%1</a>").arg(ToQ(TimeStampLinkText(peFrom_)).toHtmlEscaped()));
  toLink_->SetLinkText(QStringLiteral("<a>%1</a>").arg(ToQ(TimeStampLinkText(peTo_)).toHtmlEscaped()));
}

void CTarnixDlg::ClearPeFilters() {
  peTypes_ = 0;
  peSubsystems_ = peCharsMask_ = peCharsValues_ = peDirsMask_ = peDirsValues_ = peFrom_ = peTo_ = 0;
  RegistrySettings store;
  store.SetDword(L"SrchPEType", 0);
  for (const wchar_t* n : {L"SrchPESubsys", L"SrchPECharsM", L"SrchPECharsV", L"SrchPEDirsM",
                           L"SrchPEDirsV", L"SrchPETsFrom", L"SrchPETsTo"})
    store.SetQword(n, 0);
  if (CTarnixApp* app = CTarnixApp::Instance()) {
    ProgramSettings& s = app->settings();
    s.peTypes = 0;
    s.peSubsystems = s.peCharsMask = s.peCharsValues = s.peDirsMask = s.peDirsValues = 0;
    s.peTimeFrom = s.peTimeTo = 0;
  }
  RefreshFilterLinks();
}

void CTarnixDlg::ShowFolderMenu() {
  QMenu menu(this);
  menu.addAction(QStringLiteral("&Browse For Folder..."), this, [this] { PickFolder(); });
  const WindowsRoot root = WindowsRoot::Find();
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
    OpenUrlOrSay(QUrl::fromLocalFile(folder));
  });
  menu.exec(folderMenuButton_->mapToGlobal(QPoint(0, folderMenuButton_->height())));
}

void CTarnixDlg::ShowFileMenu() {
  QMenu menu(this);
  menu.addAction(QStringLiteral("&Browse For Files..."), this, [this] { PickFiles(); });
  menu.addAction(actBinaryPresets_);
  menu.addAction(QStringLiteral("Select-&All Filter"), this, [this] {
    fileName_->SetText(L"*");
    // "*" is the match-all of plain patterns; as an expression it is invalid.
    fileRegex_->setChecked(false);
    SaveCheckBox(fileRegex_, L"FileNameRegex");
  });
  menu.addSeparator();
  menu.addAction(actRegexComposer_);
  menu.addAction(actTryRegex_);
  menu.exec(fileMenuButton_->mapToGlobal(QPoint(0, fileMenuButton_->height())));
}

void CTarnixDlg::ShowSearchMenu() {
  QMenu menu(this);
  menu.addAction(actRegexComposer_);
  menu.addAction(actTryRegex_);
  menu.exec(searchMenuButton_->mapToGlobal(QPoint(0, searchMenuButton_->height())));
}

void CTarnixDlg::PickFiles() {
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

void CTarnixDlg::PickFolder() {
  QString folder;
  if (!AppDialogs().ExistingFolder(this, QStringLiteral("Pick Folder"), ToQ(folder_->Text()), folder))
    return;
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  folder_->SetText(FromQ(folder));
}

CommandLineValues CTarnixDlg::CurrentValues() const { return SwitchValuesOf(GatherCriteria()); }

bool CTarnixDlg::StartInstance(uint32_t autoActions, const std::vector<std::wstring>& files,
                               const CommandLineValues& values) {
  auto args = ComposeArguments(autoActions, files, &values);
  uint32_t err = args ? 0 : GetLastError();
  qint64 pid = 0;
  if (args) {
    QStringList list;
    // Without files the folder goes first, so that the new instance takes
    // these criteria and not its stored ones.
    const QString folder = ToQ(folder_->Text()).trimmed();
    if (files.empty() && !folder.isEmpty() && QFileInfo(folder).isDir()) list.push_back(folder);
    for (const auto& a : *args) list.push_back(ToQ(a));
    if (AppDialogs().StartDetached(QCoreApplication::applicationFilePath(), list, pid, err)) return true;
  }
  AppDialogs().MessageBox(
      this, ToQ(WFormat(L"ERROR: Failed to open another instance.\n\n%ls", ErrorText(err).c_str())),
      QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
  return false;
}

void CTarnixDlg::NewInstance() {
  StartInstance(kAutoForeground, {}, CurrentValues());
}

void CTarnixDlg::SaveStatusOutput() { output_->SaveToFile(this, 0); }

void CTarnixDlg::CascadeWindows() {
  QPoint at = geometry().topLeft();
  const int step = 32;
  showNormal();
  raise();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == this || !w->isVisible() || w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip)
      continue;
    at += QPoint(step, step);
    w->move(at);
    w->raise();
  }
}

void CTarnixDlg::RestoreToPrimary() {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return;
  showNormal();
  const QRect area = s->availableGeometry();
  QSize size = geometry().size().boundedTo(area.size());
  setGeometry(QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size));
}

void CTarnixDlg::RestoreToMouse() {
  const QPoint cursor = QCursor::pos();
  QScreen* s = QGuiApplication::screenAt(cursor);
  if (!s) s = QGuiApplication::primaryScreen();
  if (!s) return;
  showNormal();
  const QRect area = s->availableGeometry();
  QRect r(cursor, geometry().size().boundedTo(area.size()));
  if (r.right() > area.right()) r.moveRight(area.right());
  if (r.bottom() > area.bottom()) r.moveBottom(area.bottom());
  setGeometry(r);
}

void CTarnixDlg::CloseToolWindows() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != this && w->isVisible() && w->isWindow() && w->windowType() != Qt::Popup) w->close();
}

void CTarnixDlg::DeleteTempFiles() {
  const uint32_t err = RemoveTempFiles();
  if (err)
    AppDialogs().MessageBox(this,
                            ToQ(WFormat(L"Failed to delete some or all temporary files for %ls.\n\n%ls",
                                        L"Tarnix", ErrorText(err).c_str())),
                            QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
}

void CTarnixDlg::DeleteTempFilesAndSettings() {
  const std::wstring question = WFormat(
      L"WARNING: This option will permenantly remove all temporary files used by %ls app, as well as "
      L"all of its settings stored in the System Registry. (You would normally do this right before "
      L"deleting the app itself.)\n\nNote that after this option is finished %ls will close. "
      L"Restarting it will recreate some of its settings in the System Registry.\n\nDo you want to "
      L"continue?",
      L"Tarnix", L"Tarnix");
  if (AppDialogs().MessageBox(this, ToQ(question), QStringLiteral("Tarnix"),
                              mb::kYesNoCancel | mb::kIconWarning | mb::kDefButton2) != IDYES)
    return;
  // The tool windows write their placements as they close: before the
  // settings go.
  CloseToolWindows();
  uint32_t err = RemoveTempFiles();
  std::wstring key = L"Software\\";
  key += kMakerKey;
  key += L"\\Tarnix";
  if (uint32_t e = Registry::DeleteTree(key); e != 0 && e != ERROR_FILE_NOT_FOUND) {
    EventLog::LogFormat(L"Deleting the settings failed (%u)", e);
    err = e;
  }
  if (err) {
    AppDialogs().MessageBox(
        this,
        ToQ(WFormat(L"Failed to delete some or all of the data. Refer to the event log for details.\n\n%ls",
                    ErrorText(err).c_str())),
        QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
    return;
  }
  // Nothing may write the settings back on the way out.
  if (CTarnixApp* app = CTarnixApp::Instance()) app->SetSettingsDeleted();
  closing_ = true;
  columnsBuilt_ = false;
  close();
}

void CTarnixDlg::ExportEventLog(bool open) {
  QString path;
  if (open) {
    path = TempFile(kTempLogView);
  } else {
    FileDialogRequest r;
    r.caption = QStringLiteral("Export Event Log");
    r.filter = QStringLiteral("HTML Files (*.html;*.htm)|*.html;*.htm|All Files (*.*)|*.*|");
    r.defaultExtension = QStringLiteral("html");
    if (!AppDialogs().SaveFileName(this, r, path)) return;
  }
  EventLogExportParams params;
  params.maxEntries = RegistrySettings().GetDword(setting::kExportEvtLogMaxEntryCount,
                                                  setting::kExportEvtLogMaxEntryCountDefault);
  params.title = WFormat(L"%ls - %ls", L"Event Log Export", L"Tarnix");
  params.appName = EventLog::kSourceName;
  params.appVersion = EventLog::kVersion;
  params.appUrl = kHomePageUrl;
  for (QScreen* s : QGuiApplication::screens()) {
    MonitorStats m;
    m.width = s->geometry().width();
    m.height = s->geometry().height();
    m.workWidth = s->availableGeometry().width();
    m.workHeight = s->availableGeometry().height();
    m.bitsPerPixel = s->depth();
    m.dpiX = s->logicalDotsPerInchX();
    m.dpiY = s->logicalDotsPerInchY();
    m.primary = s == QGuiApplication::primaryScreen();
    m.showsApp = s == screen();
    params.monitors.push_back(m);
  }
  const std::string file = ToUtf8(FromQ(path));
  uint32_t err = 0;
  BusyTexts texts;
  texts.text2 = QStringLiteral("Exporting, please wait...");
  const int r = RunBusyWork(texts, [&](BusyProgress& progress) {
    params.cancelCallback = [](void* ctx) { return static_cast<BusyProgress*>(ctx)->Cancelled() ? 0 : 1; };
    params.callbackContext = &progress;
    const int result = ExportEventLogToHtml(file, params);
    err = GetLastError();
    return result;
  });
  if (r < 0 && !err) err = GetLastError();  // the work never ran
  if (r == -2) return;
  if (r < 0) {
    AppDialogs().MessageBox(
        this,
        ToQ(WFormat(L"ERROR: Failed to export event log into the following file:\n\n%ls\n\n%ls",
                    FromQ(path).c_str(), ErrorText(err).c_str())),
        QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
    return;
  }
  if (open) OpenUrlOrSay(QUrl::fromLocalFile(path));
}

bool CTarnixDlg::OpenUrlOrSay(const QUrl& url) {
  uint32_t err = 0;
  if (AppDialogs().OpenUrl(url, err)) return true;
  AppDialogs().MessageBox(this,
                          ToQ(WFormat(L"Failed to open URL:\n\n%ls\n\n%ls", FromQ(url.toString()).c_str(),
                                      ErrorText(err).c_str())),
                          QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
  return false;
}

void CTarnixDlg::OpenProjectPage(const wchar_t* urlTemplate, bool withDescription) {
  auto enc = [](const std::wstring& s) { return QString::fromLatin1(QUrl::toPercentEncoding(ToQ(s))); };
  QString url = ToQ(urlTemplate);
  url.replace(QStringLiteral("%NAME%"), enc(withDescription ? L"Tarnix x64" : L"Tarnix"));
  url.replace(QStringLiteral("%VER%"), enc(EventLog::kVersion));
  if (withDescription) {
    const MachineStats m = GatherMachineStats();
    std::wstring desc = WFormat(L"%ls; %ls; %ls; RAM %.1f GiB; %ls; %ls",
                                FromQ(QDateTime::currentDateTimeUtc().toString(Qt::ISODate)).c_str(),
                                m.osName.c_str(), m.localeName.c_str(), m.ram.totalGiB,
                                m.elevated ? L"root" : L"user",
                                FromQ(QSysInfo::currentCpuArchitecture()).c_str());
    url.replace(QStringLiteral("%DESC%"), enc(desc));
  }
  OpenUrlOrSay(QUrl(url, QUrl::StrictMode));
}

void CTarnixDlg::About() {
  const std::wstring text = WFormat(L"%ls, Version %ls\n\nUtility to Search for WinAPIs & Error Codes\n\n%ls",
                                    L"Tarnix", EventLog::kVersion, kHomePageUrl);
  AppDialogs().MessageBox(this, ToQ(text), QStringLiteral("About Tarnix"), mb::kOk | mb::kIconInformation);
}

}  // namespace tarnix::gui
