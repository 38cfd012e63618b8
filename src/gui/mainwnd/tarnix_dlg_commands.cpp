// The main window's commands: one action each, made once with its caption,
// keys, handler and enabled rule, and the menus made from their ids.
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSysInfo>
#include <QTableView>

#include "core/event_log.h"
#include "core/event_log_export.h"
#include "core/machine_stats.h"
#include "core/project_pages.h"
#include "core/registry_settings.h"
#include "core/wformat.h"
#include "core/window_settings.h"
#include "gui/app/command_set.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/text_convert.h"
#include "gui/app/window_registry.h"
#include "gui/dialogs/more_info_dlg.h"
#include "gui/dialogs/multi_sel_dlg.h"
#include "gui/imginfo/img_info_dlg.h"
#include "gui/mainwnd/criteria_panel.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/mainwnd/results_pane.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "gui/mainwnd/temp_files.h"
#include "gui/widgets/busy_popup.h"
#include "gui/widgets/output_text_box.h"
#include "pe/look_in.h"
#include "platform/last_error.h"
#include "platform/registry.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix::gui {

void CTarnixDlg::UpdateCommands() { commands_->Update(); }

void CTarnixDlg::BuildCommands() {
  CommandSet& c = *commands_;
  // The list's state for the results commands.
  auto idleWithResults = [this] { return !run_.active() && !results_->empty(); };
  auto searched = [this] { return !run_.active() && searchedOnce_; };
  // The tool windows, by id: greyed until their window is registered.
  auto owner = [this] { return WindowRequest(this); };

  // File
  c.Add(kCmdNewInstance, "&New Instance", [this] { NewInstance(); }).Keys("Ctrl+N");
  c.Add(kCmdPickFiles, "&Pick Files...\tCtrl+O", [this] { criteria_->PickFiles(); }).Keys("Ctrl+O");
  c.Add(kCmdPickFolder, "Pick &Folder...\tCtrl+Shift+O", [this] { criteria_->PickFolder(); }).Keys("Ctrl+Shift+O");
  c.Add(kCmdSaveResults, "&Save Search Results...\tCtrl+Shift+S",
        [this] { results_->Save(LastCriteria(), outcome_, output_->Text()); })
      .Keys("Ctrl+Shift+S")
      .Enabled(searched);
  c.Add(kCmdSaveStatusOutput, "Save Status &Output...", [this] { output_->SaveToFile(this, 0); });
  c.Add(kCmdExit, "&Exit", [this] { close(); });
  // Edit
  c.Add(kCmdCopyStatusOutput, "&Copy Status Output\tCtrl+Shift+C", [this] { output_->CopyToClipboard(); })
      .Keys("Ctrl+Shift+C");
  c.Add(kCmdClearStatusOutput, "Cl&ear Status Output", [this] { output_->Clear(); });
  c.Add(kCmdSearchForWinApis, "&WinAPIs", [this] { criteria_->SetSearchFor(kSearchForSymbols, true); })
      .Checked([this] { return criteria_->searchFor() != kSearchForImportLibs; });
  c.Add(kCmdSearchForImportLibs, "&Import Libraries", [this] { criteria_->SetSearchFor(kSearchForImportLibs, true); })
      .Checked([this] { return criteria_->searchFor() == kSearchForImportLibs; });
  c.Add(kCmdLookInFilter, "'&Look In' Filter", [this] { criteria_->EditFilter(CMultiSelDlg::kLookIn); });
  c.Add(kCmdTypeFilter, "'PE &Type' Filter", [this] { criteria_->EditFilter(CMultiSelDlg::kImageType); });
  c.Add(kCmdSubsystemsFilter, "'PE S&ubsystems' Filter", [this] { criteria_->EditFilter(CMultiSelDlg::kSubsystems); });
  c.Add(kCmdCharacteristicsFilter, "'PE Characte&ristics' Filter",
        [this] { criteria_->EditFilter(CMultiSelDlg::kCharacteristics); });
  c.Add(kCmdDirectoriesFilter, "'PE &Directories' Filter", [this] { criteria_->EditFilter(CMultiSelDlg::kDirectories); });
  c.Add(kCmdTimeFromFilter, "'PE T&ime Stamp: From' Filter", [this] { criteria_->EditTimeStamp(true); });
  c.Add(kCmdTimeToFilter, "'PE Time Stamp: T&o' Filter", [this] { criteria_->EditTimeStamp(false); });
  c.Add(kCmdClearPeFilters, "Clear &All PE Header Filters\tCtrl+Shift+D", [this] { criteria_->ClearPeFilters(); })
      .Keys("Ctrl+Shift+D");
  AddOpenCommand(c, kCmdSettings, "&Settings...\tCtrl+K", WindowId::kSettings, owner).Keys("Ctrl+K");
  // View
  c.Add(kCmdShowPeFilters, "&PE Header Filters",
        [this] {
          const bool show = !criteria_->peFiltersShown();
          criteria_->ShowPeFilters(show, true);
          if (show) GrowForShownPanel(criteria_->peFilters());
        })
      .Checked([this] { return criteria_->peFiltersShown(); });
  c.Add(kCmdShowStatusOutput, "Status &Output",
        [this] {
          const bool show = outputPane_->isHidden();
          ShowStatusOutput(show, true);
          if (show) GrowForShownPanel(outputPane_);
        })
      .Checked([this] { return !outputPane_->isHidden(); });
  c.Add(kCmdResultInfo, "Search Result &Info...\tCtrl+I",
        [this] {
          ImageInfoSubject subject;
          if (results_->FirstSelectedSubject(subject))
            CImgInfoDlg::Open(this, subject, [this] { return criteria_->SwitchValues(); });
        })
      .Enabled([this] { return results_->oneRowSelected(); });
  AddOpenCommand(c, kCmdErrorCodeSearch, "Error Co&de Search...", WindowId::kErrCodeSearch, owner);
  AddOpenCommand(c, kCmdErrorMessageSearch, "&Error Message Search...", WindowId::kErrMsgSearch, owner);
  AddOpenCommand(c, kCmdUndecorate, "&Undecorate C++ Symbols...", WindowId::kUndecorate, owner);
  c.Add(kCmdBinaryFilePresets, "Binary File &Presets...\tCtrl+B", [this] { criteria_->BinaryFilePresets(); })
      .Keys("Ctrl+B");
  auto regexRequest = [this] { return criteria_->RegexRequest(this); };
  AddOpenCommand(c, kCmdRegexComposer, "Regex &Composer...\tCtrl+R", WindowId::kRegexComposer, regexRequest)
      .Keys("Ctrl+R");
  AddOpenCommand(c, kCmdTryRegex, "Try &Regex Matches...\tCtrl+T", WindowId::kTryRegex, regexRequest).Keys("Ctrl+T");
  // Results
  c.Add(kCmdPreview, "&Preview Search Results...\tCtrl+Shift+P",
        [this] { results_->Preview(LastCriteria(), outcome_, output_->Text()); })
      .Keys("Ctrl+Shift+P")
      .Enabled(searched);
  c.Add(kCmdCopyResults, "&Copy Search Results", [this] { results_->CopyRows(); }).Enabled(idleWithResults);
  c.Add(kCmdClearResults, "Cl&ear Search Results", [this] { results_->Clear(); }).Enabled(idleWithResults);
  c.Add(kCmdSelectAllResults, "Select &All Search Results", [this] { results_->SelectAll(); })
      .Enabled(idleWithResults);
  c.Add(kCmdRescan, "&Re-Scan Results List", [this] { results_->StartDetails(); })
      .Enabled([this] { return results_->rescanOffered(); });
  c.Add(kCmdDefaultColumns, "Restore Resul&ts List Default Columns", [this] { results_->RestoreDefaultColumns(); })
      .Enabled(idleWithResults);
  // The results list's keys.
  c.BindKey(kCmdResultInfo, results_->view(), "Ctrl+I");
  c.BindKey(kCmdCopyResults, results_->view(), "Ctrl+C");
  c.BindKey(kCmdSelectAllResults, results_->view(), "Ctrl+A");
  // Window
  c.Add(kCmdCascade, "Cascade All Open &Windows\tCtrl+Shift+W", [this] { CascadeWindows(); }).Keys("Ctrl+Shift+W");
  c.Add(kCmdRestoreToPrimary, "&Restore Window To Primary Monitor\t Ctrl+Shift+R", [this] { RestoreToPrimary(); })
      .Keys("Ctrl+Shift+R");
  c.Add(kCmdRestoreToMouse, "Restore Window To &Mouse Position\tCtrl+Shift+M", [this] { RestoreToMouse(); })
      .Keys("Ctrl+Shift+M");
  c.Add(kCmdCloseToolWindows, "&Close All Open Windows", [this] { CloseToolWindows(); });
  // Help
  c.Add(kCmdSearchStringsHelp, "&Search Strings Syntax...", [this] { OpenHelp(QString()); });
  c.Add(kCmdDeleteTempFiles, "&Delete App's Temp Files", [this] { DeleteTempFiles(); });
  c.Add(kCmdDeleteTempFilesAndSettings, "Delete App's Temp Files && &Registry Settings...",
        [this] { DeleteTempFilesAndSettings(); });
  c.Add(kCmdOpenEventLog, "&Open Event Log...", [this] { ExportEventLog(true); });
  c.Add(kCmdExportEventLog, "E&xport Event Log...", [this] { ExportEventLog(false); });
  c.Add(kCmdSubmitBugReport, "&Submit Bug Report...", [this] { OpenProjectPage(kFeedbackUrlTemplate, true); });
  c.Add(kCmdSuggestImprovement, "Suggest &Improvement...", [this] { OpenProjectPage(kFeedbackUrlTemplate, true); });
  c.Add(kCmdCheckForUpdates, "Check For &Updates...", [this] { OpenProjectPage(kUpdatesUrlTemplate, false); });
  c.Add(kCmdAbout, "&About...", [this] { About(); });
}

void CTarnixDlg::BuildMenus() {
  constexpr int kSep = CommandSet::kSeparator;
  const CommandSet& c = *commands_;
  c.Fill(menuBar()->addMenu(QStringLiteral("&File")),
         {kCmdNewInstance, kSep, kCmdPickFiles, kCmdPickFolder, kSep, kCmdSaveResults, kCmdSaveStatusOutput, kSep,
          kCmdExit});
  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  c.Fill(edit, {kCmdCopyStatusOutput, kCmdClearStatusOutput, kSep});
  c.Fill(edit->addMenu(QStringLiteral("Search &For")), {kCmdSearchForWinApis, kCmdSearchForImportLibs});
  c.Fill(edit, {kSep, kCmdLookInFilter, kCmdTypeFilter, kCmdSubsystemsFilter, kCmdCharacteristicsFilter,
                kCmdDirectoriesFilter, kCmdTimeFromFilter, kCmdTimeToFilter, kCmdClearPeFilters, kSep, kCmdSettings});
  c.Fill(menuBar()->addMenu(QStringLiteral("&View")),
         {kCmdShowPeFilters, kCmdShowStatusOutput, kSep, kCmdResultInfo, kSep, kCmdErrorCodeSearch,
          kCmdErrorMessageSearch, kCmdUndecorate, kCmdBinaryFilePresets, kCmdRegexComposer, kCmdTryRegex});
  QMenu* results = menuBar()->addMenu(QStringLiteral("&Results"));
  c.Fill(results, {kCmdPreview, kSep, kCmdCopyResults, kCmdClearResults, kCmdSelectAllResults, kSep, kCmdRescan,
                   kCmdDefaultColumns});
  c.Fill(menuBar()->addMenu(QStringLiteral("&Window")),
         {kCmdCascade, kCmdRestoreToPrimary, kCmdRestoreToMouse, kSep, kCmdCloseToolWindows});
  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  c.Fill(help, {kCmdSearchStringsHelp, kSep});
  c.Fill(help->addMenu(QStringLiteral("&Maintenance")), {kCmdDeleteTempFiles, kCmdDeleteTempFilesAndSettings});
  c.Fill(help->addMenu(QStringLiteral("&Bug Report")),
         {kCmdOpenEventLog, kCmdExportEventLog, kSep, kCmdSubmitBugReport, kCmdSuggestImprovement});
  c.Fill(help, {kSep, kCmdCheckForUpdates, kCmdAbout});
  connect(results, &QMenu::aboutToShow, this, [this] { UpdateCommands(); });
}

void CTarnixDlg::OpenHelp(const QString& anchor) { CMoreInfoDlg::Show(this, anchor); }

void CTarnixDlg::NewInstance() {
  StartInstance(this, kAutoForeground, {}, criteria_->SwitchValues(), criteria_->folder());
}

void CTarnixDlg::CascadeWindows() {
  QPoint at = geometry().topLeft();
  const int step = 32;
  showNormal();
  raise();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == this || !w->isVisible() || w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip) continue;
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
  if (const uint32_t err = RemoveTempFiles())
    ShowErrorBox(this, WFormat(L"Failed to delete some or all temporary files for %ls.", L"Tarnix"), err);
}

void CTarnixDlg::DeleteTempFilesAndSettings() {
  const std::wstring question = WFormat(
      L"WARNING: This option will permanently remove all temporary files used by %ls app, as well as "
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
    ShowErrorBox(this, L"Failed to delete some or all of the data. Refer to the event log for details.", err);
    return;
  }
  // Nothing may write the settings back on the way out.
  if (CTarnixApp* app = CTarnixApp::Instance()) app->SetSettingsDeleted();
  closing_ = true;
  close();
}

void CTarnixDlg::ExportEventLog(bool open) {
  QString path;
  if (open) {
    path = TempFilePath(kTempLogView);
  } else {
    FileDialogRequest r;
    r.caption = QStringLiteral("Export Event Log");
    r.filter = QStringLiteral("HTML Files (*.html;*.htm)|*.html;*.htm|All Files (*.*)|*.*|");
    r.defaultExtension = QStringLiteral("html");
    if (!AppDialogs().SaveFileName(this, r, path)) return;
  }
  EventLogExportParams params;
  params.maxEntries = ReadEventLogExportMax();
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
  const int r = RunBusy(this, texts, [&](BusyProgress& progress) {
    params.cancelCallback = [](void* ctx) { return static_cast<BusyProgress*>(ctx)->Cancelled() ? 0 : 1; };
    params.callbackContext = &progress;
    const int result = ExportEventLogToHtml(file, params);
    err = GetLastError();
    return result;
  });
  if (r < 0 && !err) err = GetLastError();  // the work never ran
  if (r == -2) return;
  if (r < 0) {
    ShowErrorBox(this, WFormat(L"ERROR: Failed to export event log into the following file:\n\n%ls", FromQ(path).c_str()),
                 err);
    return;
  }
  if (open) OpenUrlOrSay(this, QUrl::fromLocalFile(path));
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
                                m.osName.c_str(), m.localeName.c_str(), m.ram.totalGiB, m.elevated ? L"root" : L"user",
                                FromQ(QSysInfo::currentCpuArchitecture()).c_str());
    url.replace(QStringLiteral("%DESC%"), enc(desc));
  }
  OpenUrlOrSay(this, QUrl(url, QUrl::StrictMode));
}

void CTarnixDlg::About() {
  const std::wstring text = WFormat(L"%ls, Version %ls\n\nUtility to Search for WinAPIs & Error Codes\n\n%ls", L"Tarnix",
                                    EventLog::kVersion, kHomePageUrl);
  AppDialogs().MessageBox(this, ToQ(text), QStringLiteral("About Tarnix"), mb::kOk | mb::kIconInformation);
}

}  // namespace tarnix::gui
