// The Error Code Search window's commands and menus, its presets and
// search locations, and what it does with the results (copy, save, add as
// search paths, show the module).
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QTableView>
#include <QTreeWidget>
#include <algorithm>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/wformat.h"
#include "core/window_settings.h"
#include "errcode/preset_ini.h"
#include "gui/app/command_set.h"
#include "gui/app/confirmable.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/module_menu.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/text_convert.h"
#include "gui/errcode/code_results_model.h"
#include "gui/errcode/err_code_commands.h"
#include "gui/errcode/err_code_search_dlg.h"
#include "gui/errcode/preset_name_dlg.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "gui/widgets/busy_popup.h"
#include "gui/widgets/output_text_box.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix::gui {
namespace {

constexpr char kIniFilter[] = "INI Files (*.ini)|*.ini|All Files (*.*)|*.*|";

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

void ErrorBox(QWidget* owner, const std::wstring& text) {
  AppDialogs().MessageBox(owner, ToQ(text), QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
}

// A failed command: logged with its site and the error beep.
void CommandFailed(int site, const std::wstring& details) {
  EventLog::LogSiteFormat(site, L"%ls", details.c_str());
  AppDialogs().Beep(mb::kIconError);
}

// The mark of "Search Path With &Subfolders" when the selected folders
// differ: a dash where the check would be.
QIcon MixedMark(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.fillRect(QRect(size / 4, size / 2 - 1, size / 2, 2), QGuiApplication::palette().windowText());
  return QIcon(pixmap);
}

}  // namespace

void CErrCodeSearchDlg::BuildCommands() {
  CommandSet& c = *commands_;
  auto hasResults = [this] { return !model_->empty(); };
  auto rowsSelected = [this] { return !SelectedRows().empty(); };
  auto oneRow = [this] { return SelectedRows().size() == 1; };
  auto pathsSelected = [this] { return !SelectedLocations().empty(); };
  auto canEdit = [this] { return presets_.CanEdit(); };
  auto subfolders = [this] {
    const std::vector<SearchLocation>* items = CurrentLocations();
    return items ? SelectedSubfoldersState(*items, SelectedLocations()) : SubfoldersState::kUnavailable;
  };

  // File
  c.Add(kEcsSaveResults, "&Save Search Results...\tCtrl+Shift+S", [this] { SaveResults(); })
      .Keys("Ctrl+Shift+S")
      .Enabled(hasResults);
  c.Add(kEcsSaveStatusOutput, "Save Status &Output...", [this] { output_->SaveToFile(this, 0); });
  c.Add(kEcsClose, "&Close\tAlt+F4", [this] { close(); }).Keys("Alt+F4");
  // Edit
  c.Add(kEcsCopyStatusOutput, "Copy Status &Output", [this] { output_->CopyToClipboard(); });
  c.Add(kEcsClearStatusOutput, "C&lear Status Output", [this] { output_->Clear(); });
  c.Add(kEcsCopyPaths, "&Copy Search Paths", [this] { CopyPaths(); }).Enabled(pathsSelected);
  c.Add(kEcsPastePaths, "&Paste Search Paths", [this] { PastePaths(); }).Enabled(canEdit);
  c.Add(kEcsSelectAllPaths, "Select &All Search Paths", [this] { locations_->selectAll(); })
      .Enabled([this] { return locations_->topLevelItemCount() > 0; });
  c.Add(kEcsAddFolder, "Add Search &Folder...\tCtrl+N", [this] { AddFolder(); }).Keys("Ctrl+N").Enabled(canEdit);
  c.Add(kEcsAddFiles, "Add Search F&ile(s)...\tCtrl+Shift+N", [this] { AddFiles(); })
      .Keys("Ctrl+Shift+N")
      .Enabled(canEdit);
  c.Add(kEcsRemovePaths, "&Remove Search Paths...", [this] { RemovePaths(); })
      .Enabled([=, this] { return pathsSelected() && canEdit(); });
  c.Add(kEcsSubfolders, "Search Path With &Subfolders",
        [this] {
          const LocationRows rows = SelectedLocations();
          EditLocations([&](std::vector<SearchLocation>& items) { return ToggleSubfolders(items, rows); },
                        [&](const std::vector<SearchLocation>&) { return rows; });
        })
      .Enabled([=, this] { return subfolders() != SubfoldersState::kUnavailable && canEdit(); })
      .Checked([=, this] { return subfolders() == SubfoldersState::kWith; });
  c.Add(kEcsMoveUp, "Move Search Paths &Up", [this] { MovePaths(true); })
      .Enabled([=, this] { return pathsSelected() && canEdit(); });
  c.Add(kEcsMoveDown, "Move Search Paths &Down", [this] { MovePaths(false); })
      .Enabled([=, this] { return pathsSelected() && canEdit(); });
  // One settings sheet, the main window's: offered as the main window offers it.
  auto mainWindow = [] {
    CTarnixApp* app = CTarnixApp::Instance();
    return app ? qobject_cast<CTarnixDlg*>(app->mainWindow()) : nullptr;
  };
  c.Add(kEcsSettings, "&Settings...\tCtrl+K",
        [=] {
          if (CTarnixDlg* main = mainWindow()) main->commands().Trigger(kCmdSettings);
        })
      .Keys("Ctrl+K")
      .Enabled([=] {
        CTarnixDlg* main = mainWindow();
        return main && main->commands().action(kCmdSettings)->isEnabled();
      });
  // View
  c.Add(kEcsShowStatusOutput, "Status &Output", [this] { ShowStatusOutput(outputPane_->isHidden()); })
      .Checked([this] { return !outputPane_->isHidden(); });
  // Results
  c.Add(kEcsCopyResults, "&Copy Search Results", [this] { CopyResults(CodeResultCopy::kRows); })
      .Enabled(rowsSelected);
  c.Add(kEcsClearResults, "Cl&ear Search Results", [this] { model_->Clear(); })
      .Enabled([=, this] { return !run_.active() && hasResults(); });
  c.Add(kEcsSelectAllResults, "Select &All Search Results", [this] { view_->selectAll(); }).Enabled(hasResults);
  c.Add(kEcsDefaultColumns, "Restore Resul&ts List Default Columns", [this] { RestoreColumns(false); });
  c.Add(kEcsCopyMessage, "Copy &Error Message", [this] { CopyResults(CodeResultCopy::kMessages); })
      .Enabled(rowsSelected);
  c.Add(kEcsCopyModulePath, "Copy &Module Path", [this] { CopyResults(CodeResultCopy::kModules); })
      .Enabled(rowsSelected);
  c.Add(kEcsAddAsSearchPath, "Add As Search &Path", [this] { AddAsSearchPath(); }).Enabled([=, this] {
    const size_t n = SelectedRows().size();
    return n >= 1 && n <= kMaxErrCodePresetItems && canEdit();
  });
  c.Add(kEcsShowInFileManager, "Open In &Windows Explorer", [this] { ShowModule(false); }).Enabled(oneRow);
  c.Add(kEcsProperties, "Proper&ties...", [this] { ShowModule(true); }).Enabled(oneRow);
  // Presets
  c.Add(kEcsSavePreset, "Save As &Preset...\tCtrl+S", [this] { SavePreset(false); })
      .Keys("Ctrl+S")
      .Enabled([this] { return presets_.currentPreset() != nullptr; });
  c.Add(kEcsSavePresetCopy, "Save As Cop&y...", [this] { SavePreset(true); })
      .Enabled([this] { return presets_.currentPreset() != nullptr; });
  c.Add(kEcsNewPreset, "&New Preset", [this] { NewPreset(); });
  c.Add(kEcsRemovePreset, "&Remove Preset...", [this] { RemovePreset(); })
      .Enabled([this] { return presets_.currentIsUser(); });
  c.Add(kEcsImportPresets, "&Import...", [this] { ImportPresets(); });
  c.Add(kEcsExportPresets, "&Export...", [this] { ExportPresets(); });

  // The lists' keys.
  c.BindKey(kEcsCopyResults, view_, "Ctrl+C");
  c.BindKey(kEcsSelectAllResults, view_, "Ctrl+A");
  c.BindKey(kEcsCopyPaths, locations_, "Ctrl+C");
  c.BindKey(kEcsPastePaths, locations_, "Ctrl+V");
  c.BindKey(kEcsSelectAllPaths, locations_, "Ctrl+A");
  c.BindKey(kEcsRemovePaths, locations_, "Del");
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

  connect(locations_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    UpdateCommands();
    QMenu menu(this);
    commands_->Fill(&menu, {kEcsCopyPaths, kEcsPastePaths, kEcsSelectAllPaths, kSep, kEcsAddFolder, kEcsAddFiles,
                            kEcsRemovePaths, kSep, kEcsSubfolders, kEcsMoveUp, kEcsMoveDown});
    menu.exec(locations_->viewport()->mapToGlobal(at));
  });
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
  QAction* subfolders = commands_->action(kEcsSubfolders);
  const std::vector<SearchLocation>* items = CurrentLocations();
  const bool mixed =
      items && SelectedSubfoldersState(*items, SelectedLocations()) == SubfoldersState::kMixed;
  subfolders->setIcon(mixed ? MixedMark(fontMetrics().height()) : QIcon());
  subfolders->setIconVisibleInMenu(mixed);
}

// --- presets and locations ---

void CErrCodeSearchDlg::FillPresets() {
  preset_->clear();
  for (size_t i = 0; i < presets_.size(); ++i) preset_->addItem(ToQ(presets_.Text(i)));
  if (presets_.current() != ErrorCodePresetList::kNone) preset_->setCurrentIndex(static_cast<int>(presets_.current()));
  FillLocations();
}

void CErrCodeSearchDlg::FillLocations(const LocationRows& select) {
  locations_->clear();
  if (const std::vector<SearchLocation>* items = CurrentLocations()) {
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(items->size()));
    for (const SearchLocation& l : *items)
      rows.push_back(new QTreeWidgetItem({ToQ(l.path), ToQ(LocationSubfoldersText(l.flags))}));
    locations_->addTopLevelItems(rows);
  }
  for (size_t r : select)
    if (QTreeWidgetItem* item = locations_->topLevelItem(static_cast<int>(r))) item->setSelected(true);
  if (!select.empty())
    if (QTreeWidgetItem* item = locations_->topLevelItem(static_cast<int>(select.front())))
      locations_->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  UpdateCommands();
}

LocationRows CErrCodeSearchDlg::SelectedLocations() const {
  LocationRows rows;
  for (QTreeWidgetItem* item : locations_->selectedItems())
    rows.push_back(static_cast<size_t>(locations_->indexOfTopLevelItem(item)));
  std::sort(rows.begin(), rows.end());
  return rows;
}

const std::vector<SearchLocation>* CErrCodeSearchDlg::CurrentLocations() const {
  const ErrorCodePreset* p = presets_.currentPreset();
  return p ? &p->items : nullptr;
}

bool CErrCodeSearchDlg::EditLocations(const std::function<bool(std::vector<SearchLocation>&)>& edit,
                                      const std::function<LocationRows(const std::vector<SearchLocation>&)>& select) {
  // The edit is made on a copy: a refused edit of a built-in preset makes
  // no unsaved preset.
  if (!presets_.CanEdit()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  std::vector<SearchLocation> items = CurrentLocations() ? *CurrentLocations() : std::vector<SearchLocation>{};
  if (!edit(items)) return false;
  const bool newPreset = !presets_.currentIsUser();
  std::vector<SearchLocation>* target = presets_.BeginEdit();
  if (!target) return false;
  *target = std::move(items);
  const LocationRows rows = select ? select(*target) : LocationRows{};
  const bool stored = presets_.EndEdit();
  const uint32_t error = GetLastError();
  if (newPreset) {
    FillPresets();
    FillLocations(rows);
  } else {
    FillLocations(rows);
  }
  if (!stored) {
    const ErrorCodePreset* p = presets_.currentPreset();
    ErrorBox(this, WFormat(L"Failed to save preset:\n\n'%ls'\n\nERROR: %ls", p ? p->name.c_str() : L"",
                           ErrorText(error).c_str()));
  }
  return true;
}

void CErrCodeSearchDlg::AddFolder() {
  QString folder;
  if (!AppDialogs().ExistingFolder(this, QStringLiteral("Pick search folder:"), QString(), folder)) return;
  const std::vector<SearchLocation> add{FolderLocation(FromQ(folder))};
  if (!EditLocations([&](std::vector<SearchLocation>& items) { return AddLocations(items, add); },
                     [](const std::vector<SearchLocation>& items) { return LocationRows{items.size() - 1}; }))
    CommandFailed(524, WFormat(L"rz=%u, cnt=1", GetLastError()));
}

void CErrCodeSearchDlg::AddFiles() {
  FileDialogRequest r;
  r.caption = QStringLiteral("Select Search Files");
  r.filter = QStringLiteral("Executable Files (*.dll;*.exe;*.sys)|*.dll;*.exe;*.sys|All Files (*.*)|*.*|");
  r.filterIndex = static_cast<int>(ReadFilterIndex(FilterIndexSetting::kErrCodeAddFiles));
  QStringList files;
  if (!AppDialogs().OpenFileNames(this, r, files) || files.isEmpty()) return;
  WriteFilterIndex(FilterIndexSetting::kErrCodeAddFiles, static_cast<uint32_t>(r.filterIndex));
  std::vector<SearchLocation> add;
  for (const QString& f : files) add.push_back(FileLocation(FromQ(f)));
  if (!EditLocations([&](std::vector<SearchLocation>& items) { return AddLocations(items, add); }))
    CommandFailed(524, WFormat(L"rz=%u, cnt=%zu", GetLastError(), add.size()));
}

void CErrCodeSearchDlg::RemovePaths() {
  const LocationRows rows = SelectedLocations();
  const std::vector<SearchLocation>* items = CurrentLocations();
  if (rows.empty() || !items) return;
  if (AppDialogs().MessageBox(this, ToQ(RemoveLocationsQuestion(*items, rows)), QStringLiteral("Tarnix"),
                              mb::kYesNo | mb::kIconQuestion) != IDYES)
    return;
  EditLocations([&](std::vector<SearchLocation>& list) {
    RemoveLocations(list, rows);
    return true;
  });
}

void CErrCodeSearchDlg::CopyPaths() {
  const std::vector<SearchLocation>* items = CurrentLocations();
  std::wstring text;
  if (!items || !CopyLocationsText(*items, SelectedLocations(), text)) {
    CommandFailed(406, WFormat(L"e=%u", GetLastError()));
    return;
  }
  QGuiApplication::clipboard()->setText(ToQ(text));
}

void CErrCodeSearchDlg::PastePaths() {
  const std::wstring text = FromQ(QGuiApplication::clipboard()->text());
  std::vector<SearchLocation> pasted;
  uint32_t error = 0;
  int site = 0;
  size_t line = 0;
  if (!ParsePastedLocations(text, pasted, error, site, line)) {
    CommandFailed(407, WFormat(L"e=%u, site=%d, line=%zu", error, site, line));
    return;
  }
  if (!EditLocations([&](std::vector<SearchLocation>& items) { return AddLocations(items, pasted); },
                     [&](const std::vector<SearchLocation>& items) {
                       LocationRows rows;
                       for (size_t i = 0; i < items.size(); ++i)
                         if (std::find(pasted.begin(), pasted.end(), items[i]) != pasted.end()) rows.push_back(i);
                       return rows;
                     }))
    CommandFailed(407, WFormat(L"e=%u, cnt=%zu", GetLastError(), pasted.size()));
}

void CErrCodeSearchDlg::MovePaths(bool up) {
  const LocationRows rows = SelectedLocations();
  LocationRows moved;
  EditLocations(
      [&](std::vector<SearchLocation>& items) {
        moved = MoveLocations(items, rows, up);
        return true;
      },
      [&](const std::vector<SearchLocation>&) { return moved; });
}

void CErrCodeSearchDlg::SavePreset(bool copy) {
  if (!presets_.currentPreset()) return;
  std::wstring name = presets_.ProposedName(copy);
  if (!CPresetNameDlg::Ask(this, name, name)) return;
  const std::wstring refused = presets_.CheckName(name, copy);
  if (!refused.empty()) {
    ErrorBox(this, refused);
    return;
  }
  if (!presets_.Save(name, copy)) {
    const uint32_t error = GetLastError();
    EventLog::LogSiteFormat(416, L"e=%u, name=\"%ls\"", error, name.c_str());
    ErrorBox(this, WFormat(L"Failed to save preset:\n\n'%ls'\n\nERROR: %ls", name.c_str(), ErrorText(error).c_str()));
  }
  FillPresets();
}

void CErrCodeSearchDlg::NewPreset() {
  const std::wstring refused = presets_.New();
  if (!refused.empty()) {
    ErrorBox(this, refused);
    return;
  }
  FillPresets();
}

void CErrCodeSearchDlg::RemovePreset() {
  const ErrorCodePreset* p = presets_.currentPreset();
  if (!p || !presets_.currentIsUser()) return;
  std::wstring shown = presets_.Text(presets_.current());
  if (shown.rfind(L"* ", 0) == 0) shown.erase(0, 2);
  if (AppDialogs().MessageBox(
          this, ToQ(WFormat(L"Do you want to permanently remove the following preset?\n\n'%ls'", shown.c_str())),
          QStringLiteral("Tarnix"), mb::kYesNo | mb::kIconQuestion | mb::kDefButton2) != IDYES)
    return;
  if (!presets_.RemoveCurrent()) {
    const uint32_t error = GetLastError();
    EventLog::LogSiteFormat(417, L"e=%u, name=\"%ls\"", error, shown.c_str());
    ErrorBox(this, WFormat(L"Failed to delete preset:\n\n'%ls'\n\nERROR: %ls", shown.c_str(), ErrorText(error).c_str()));
  }
  FillPresets();
}

void CErrCodeSearchDlg::ExportPresets() {
  // What the store holds now, with this window's unsaved presets.
  presets_.Reload();
  FillPresets();
  if (presets_.UserCount() == 0) {
    AppDialogs().MessageBox(this, QStringLiteral("There are no non-default presets to export."),
                            QStringLiteral("Tarnix"), mb::kOk | mb::kIconInformation);
    return;
  }
  FileDialogRequest r;
  r.caption = QStringLiteral("Export Presets");
  r.filter = QString::fromLatin1(kIniFilter);
  r.defaultExtension = QStringLiteral("ini");
  QString path;
  if (!AppDialogs().SaveFileName(this, r, path)) return;
  if (ExportErrorCodePresets(LocalPath(path), presets_.presets()) < 0) {
    const uint32_t error = GetLastError();
    EventLog::LogSiteFormat(430, L"r=%u, path=\"%ls\"", error, FromQ(path).c_str());
    ShowErrorBox(this, WFormat(L"Failed to save presets into the following file:\n\n%ls", FromQ(path).c_str()), error);
  }
}

void CErrCodeSearchDlg::ImportPresets() {
  if (ShowConfirmable(8,
                      QStringLiteral("WARNING: Importing will overwrite all your currently saved presets.\n\n"
                                     "Do you want to continue?"),
                      mb::kIconWarning, this) != IDYES)
    return;
  FileDialogRequest r;
  r.caption = QStringLiteral("Pick Previously Exported File");
  r.filter = QString::fromLatin1(kIniFilter);
  r.defaultExtension = QStringLiteral("ini");
  QStringList files;
  if (!AppDialogs().OpenFileNames(this, r, files) || files.isEmpty()) return;
  bool storeChanged = false;
  const bool imported = ImportErrorCodePresets(LocalPath(files.front()), storeChanged);
  const uint32_t error = GetLastError();
  if (storeChanged) {
    presets_.Reload();
    FillPresets();
  }
  if (!imported)
    ShowErrorBox(this, WFormat(L"Failed to read presets from the following file:\n\n%ls", FromQ(files.front()).c_str()),
                 error);
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
  if (rows.empty()) {
    AppDialogs().Beep(mb::kIconError);
    return;
  }
  // The list does not change while its text is made.
  DeliveryHold hold = run_.Hold();
  hold.Add({detailsTarget_.get()});
  std::wstring text;
  BusyTexts texts;
  texts.text2 = QStringLiteral("Copying data...");
  const int r = RunBusy(this, texts, [&](BusyProgress&) {
    text = CodeResultRowsText(model_->rows(), rows, what);
    return 1;
  });
  if (r != 1) {
    CommandFailed(526, WFormat(L"r=%d, e=%u", r, GetLastError()));
    return;
  }
  QGuiApplication::clipboard()->setText(ToQ(text));
}

void CErrCodeSearchDlg::SaveResults() {
  FileDialogRequest r;
  r.caption = QStringLiteral("Save Search Results");
  r.filter = QStringLiteral("Text File (*.txt)|*.txt|All Files (*.*)|*.*|");
  r.defaultExtension = QStringLiteral("txt");
  QString path;
  if (!AppDialogs().SaveFileName(this, r, path)) return;
  DeliveryHold hold = run_.Hold();
  hold.Add({detailsTarget_.get()});
  const std::string file = LocalPath(path);
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
  const std::vector<size_t> rows = SelectedRows();
  std::vector<SearchLocation> add;
  for (size_t r : rows)
    if (r < model_->rows().size()) add.push_back(FileLocation(model_->rows()[r].result.path));
  const bool ok = !add.empty() && add.size() <= kMaxErrCodePresetItems &&
                  EditLocations([&](std::vector<SearchLocation>& items) { return AddLocations(items, add); });
  if (!ok) CommandFailed(524, WFormat(L"rz=%u, cnt=%zu", GetLastError(), add.size()));
}

void CErrCodeSearchDlg::ShowModule(bool properties) {
  const std::vector<size_t> rows = SelectedRows();
  if (rows.size() != 1 || rows[0] >= model_->rows().size()) {
    AppDialogs().Beep(mb::kIconError);
    return;
  }
  ModuleMenu(this, nullptr)
      .Run(properties ? ModuleItem::kProperties : ModuleItem::kShowInFileManager, model_->rows()[rows[0]].result.path);
}

void CErrCodeSearchDlg::RestoreColumns(bool stored) {
  QHeaderView* header = view_->horizontalHeader();
  std::vector<int32_t> order, widths;
  std::vector<uint8_t> bytes;
  if (!stored || !ReadColumns(ColumnsSetting::kErrCodeResults, bytes) ||
      !DecodeCodeResultColumns(bytes, order, widths)) {
    const int ch = fontMetrics().averageCharWidth();
    order = {kCodeColumnMessage, kCodeColumnModule, kCodeColumnVersion, kCodeColumnDescription};
    widths = {60 * ch, 40 * ch, 16 * ch, 40 * ch};
  }
  for (int visual = 0; visual < static_cast<int>(order.size()); ++visual)
    header->moveSection(header->visualIndex(order[static_cast<size_t>(visual)]), visual);
  for (size_t i = 0; i < order.size(); ++i) header->resizeSection(order[i], widths[i]);
}

void CErrCodeSearchDlg::SaveColumns() {
  QHeaderView* header = view_->horizontalHeader();
  std::vector<int32_t> order, widths;
  for (int visual = 0; visual < header->count(); ++visual) {
    const int logical = header->logicalIndex(visual);
    order.push_back(logical);
    widths.push_back(header->sectionSize(logical));
  }
  if (!WriteColumns(ColumnsSetting::kErrCodeResults, EncodeCodeResultColumns(order, widths)))
    EventLog::LogFormat(L"The results list's columns could not be stored (%u)", GetLastError());
}

}  // namespace tarnix::gui
