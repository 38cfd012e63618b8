#include "gui/errcode/code_locations_pane.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/program_windows_root.h"
#include "core/wformat.h"
#include "core/window_settings.h"
#include "errcode/preset_ini.h"
#include "gui/app/command_set.h"
#include "gui/app/confirmable.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/text_convert.h"
#include "gui/errcode/err_code_commands.h"
#include "gui/errcode/preset_name_dlg.h"
#include "gui/widgets/buddy_label.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix::gui {
namespace {

// The file dialog of an export or import of presets.
FileDialogRequest PresetFile(const char* caption) {
  FileDialogRequest r;
  r.caption = QString::fromUtf8(caption);
  r.filter = QStringLiteral("INI Files (*.ini)|*.ini|All Files (*.*)|*.*|");
  r.defaultExtension = QStringLiteral("ini");
  return r;
}

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

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

CodeLocationsPane::CodeLocationsPane(QWidget* parent, CommandSet& commands)
    : QGroupBox(QStringLiteral("Search In"), parent), commands_(commands) {
  if (!presets_.Load(BuiltInErrorCodePresets(ProgramWindowsRoot()))) {
    loadError_ = GetLastError();
    EventLog::LogFormat(L"The saved error code search presets could not be read (%u)", loadError_);
  }
  auto* layout = new QVBoxLayout(this);
  auto* presetRow = new QHBoxLayout();
  preset_ = new QComboBox(this);
  preset_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  preset_->setMinimumContentsLength(16);
  preset_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  presetRow->addWidget(BuddyLabel(this, QStringLiteral("Prese&t:"), preset_));
  presetRow->addWidget(preset_, 1);
  layout->addLayout(presetRow);
  locations_ = new QTreeWidget(this);
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
  layout->addWidget(locations_, 1);
  connect(preset_, &QComboBox::activated, this, [this](int i) {
    presets_.Select(static_cast<size_t>(i));
    FillLocations();
  });
  connect(locations_, &QTreeWidget::itemSelectionChanged, this, &CodeLocationsPane::changed);
  connect(locations_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    commands_.Update();
    UpdateMarks();
    constexpr int kSep = CommandSet::kSeparator;
    QMenu menu(this);
    commands_.Fill(&menu, {kEcsCopyPaths, kEcsPastePaths, kEcsSelectAllPaths, kSep, kEcsAddFolder, kEcsAddFiles,
                           kEcsRemovePaths, kSep, kEcsSubfolders, kEcsMoveUp, kEcsMoveDown});
    menu.exec(locations_->viewport()->mapToGlobal(at));
  });
  AddCommands(commands);
  Fill();
  // The built-in presets follow the Windows folder the program uses.
  rootWatch_ = SettingWatch([this](SettingId id) {
    if (id != SettingId::kWindowsRoot) return;
    presets_.Load(BuiltInErrorCodePresets(ProgramWindowsRoot()));
    Fill();
  });
}

void CodeLocationsPane::AddCommands(CommandSet& c) {
  auto selected = [this] { return !Selected().empty(); };
  auto canEdit = [this] { return presets_.CanEdit(); };
  auto subfolders = [this] {
    const std::vector<SearchLocation>* items = CurrentLocations();
    return items ? SelectedSubfoldersState(*items, Selected()) : SubfoldersState::kUnavailable;
  };
  // Edit
  c.Add(kEcsCopyPaths, "&Copy Search Paths", [this] { Copy(); }).Enabled(selected);
  c.Add(kEcsPastePaths, "&Paste Search Paths", [this] { Paste(); }).Enabled(canEdit);
  c.Add(kEcsSelectAllPaths, "Select &All Search Paths", [this] { locations_->selectAll(); })
      .Enabled([this] { return locations_->topLevelItemCount() > 0; });
  c.Add(kEcsAddFolder, "Add Search &Folder...\tCtrl+N", [this] { AddFolder(); }).Keys("Ctrl+N").Enabled(canEdit);
  c.Add(kEcsAddFiles, "Add Search F&ile(s)...\tCtrl+Shift+N", [this] { AddFileDialog(); })
      .Keys("Ctrl+Shift+N")
      .Enabled(canEdit);
  c.Add(kEcsRemovePaths, "&Remove Search Paths...", [this] { Remove(); })
      .Enabled([=] { return selected() && canEdit(); });
  c.Add(kEcsSubfolders, "Search Path With &Subfolders",
        [this] {
          const LocationRows rows = Selected();
          Edit([&](std::vector<SearchLocation>& items) { return ToggleSubfolders(items, rows); },
               [&](const std::vector<SearchLocation>&) { return rows; });
        })
      .Enabled([=] { return subfolders() != SubfoldersState::kUnavailable && canEdit(); })
      .Checked([=] { return subfolders() == SubfoldersState::kWith; });
  c.Add(kEcsMoveUp, "Move Search Paths &Up", [this] { Move(true); }).Enabled([=] { return selected() && canEdit(); });
  c.Add(kEcsMoveDown, "Move Search Paths &Down", [this] { Move(false); })
      .Enabled([=] { return selected() && canEdit(); });
  // Presets
  auto chosen = [this] { return presets_.currentPreset() != nullptr; };
  c.Add(kEcsSavePreset, "Save As &Preset...\tCtrl+S", [this] { SavePreset(false); }).Keys("Ctrl+S").Enabled(chosen);
  c.Add(kEcsSavePresetCopy, "Save As Cop&y...", [this] { SavePreset(true); }).Enabled(chosen);
  c.Add(kEcsNewPreset, "&New Preset", [this] { NewPreset(); });
  c.Add(kEcsRemovePreset, "&Remove Preset...", [this] { RemovePreset(); })
      .Enabled([this] { return presets_.currentIsUser(); });
  c.Add(kEcsImportPresets, "&Import...", [this] { ImportPresets(); });
  c.Add(kEcsExportPresets, "&Export...", [this] { ExportPresets(); });
  // The list's keys.
  c.BindKey(kEcsCopyPaths, locations_, "Ctrl+C");
  c.BindKey(kEcsPastePaths, locations_, "Ctrl+V");
  c.BindKey(kEcsSelectAllPaths, locations_, "Ctrl+A");
  c.BindKey(kEcsRemovePaths, locations_, "Del");
}

void CodeLocationsPane::UpdateMarks() {
  QAction* subfolders = commands_.action(kEcsSubfolders);
  const std::vector<SearchLocation>* items = CurrentLocations();
  const bool mixed = items && SelectedSubfoldersState(*items, Selected()) == SubfoldersState::kMixed;
  subfolders->setIcon(mixed ? MixedMark(fontMetrics().height()) : QIcon());
  subfolders->setIconVisibleInMenu(mixed);
}

void CodeLocationsPane::Fill() {
  preset_->clear();
  for (size_t i = 0; i < presets_.size(); ++i) preset_->addItem(ToQ(presets_.Text(i)));
  if (presets_.current() != ErrorCodePresetList::kNone) preset_->setCurrentIndex(static_cast<int>(presets_.current()));
  FillLocations();
}

void CodeLocationsPane::FillLocations(const LocationRows& select) {
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
  emit changed();
}

void CodeLocationsPane::ShowLocation(size_t i) {
  FillLocations({i});
  if (QTreeWidgetItem* item = locations_->topLevelItem(static_cast<int>(i))) locations_->scrollToItem(item);
}

LocationRows CodeLocationsPane::Selected() const {
  LocationRows rows;
  for (QTreeWidgetItem* item : locations_->selectedItems())
    rows.push_back(static_cast<size_t>(locations_->indexOfTopLevelItem(item)));
  std::sort(rows.begin(), rows.end());
  return rows;
}

const std::vector<SearchLocation>* CodeLocationsPane::CurrentLocations() const {
  const ErrorCodePreset* p = presets_.currentPreset();
  return p ? &p->items : nullptr;
}

bool CodeLocationsPane::Edit(const std::function<bool(std::vector<SearchLocation>&)>& edit,
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
  if (newPreset) Fill();
  FillLocations(rows);
  if (!stored) {
    const ErrorCodePreset* p = presets_.currentPreset();
    ShowErrorBox(this, WFormat(L"Failed to save preset:\n\n'%ls'\n\nERROR: %ls", p ? p->name.c_str() : L"",
                               ErrorText(error).c_str()));
  }
  return true;
}

bool CodeLocationsPane::AddFiles(const std::vector<std::wstring>& paths) {
  std::vector<SearchLocation> add;
  for (const std::wstring& p : paths) add.push_back(FileLocation(p));
  return !add.empty() && Edit([&](std::vector<SearchLocation>& items) { return AddLocations(items, add); });
}

void CodeLocationsPane::AddFolder() {
  QString folder;
  if (!AppDialogs().ExistingFolder(this, QStringLiteral("Pick search folder:"), QString(), folder)) return;
  const std::vector<SearchLocation> add{FolderLocation(FromQ(folder))};
  if (!Edit([&](std::vector<SearchLocation>& items) { return AddLocations(items, add); },
            [](const std::vector<SearchLocation>& items) { return LocationRows{items.size() - 1}; }))
    CommandFailed(524, WFormat(L"rz=%u, cnt=1", GetLastError()));
}

void CodeLocationsPane::AddFileDialog() {
  FileDialogRequest r;
  r.caption = QStringLiteral("Select Search Files");
  r.filter = QStringLiteral("Executable Files (*.dll;*.exe;*.sys)|*.dll;*.exe;*.sys|All Files (*.*)|*.*|");
  r.filterIndex = static_cast<int>(ReadFilterIndex(FilterIndexSetting::kErrCodeAddFiles));
  QStringList files;
  if (!AppDialogs().OpenFileNames(this, r, files) || files.isEmpty()) return;
  WriteFilterIndex(FilterIndexSetting::kErrCodeAddFiles, static_cast<uint32_t>(r.filterIndex));
  std::vector<std::wstring> paths;
  for (const QString& f : files) paths.push_back(FromQ(f));
  if (!AddFiles(paths)) CommandFailed(524, WFormat(L"rz=%u, cnt=%zu", GetLastError(), paths.size()));
}

void CodeLocationsPane::Remove() {
  const LocationRows rows = Selected();
  const std::vector<SearchLocation>* items = CurrentLocations();
  if (rows.empty() || !items) return;
  if (AppDialogs().MessageBox(this, ToQ(RemoveLocationsQuestion(*items, rows)), QStringLiteral("Tarnix"),
                              mb::kYesNo | mb::kIconQuestion) != IDYES)
    return;
  Edit([&](std::vector<SearchLocation>& list) {
    RemoveLocations(list, rows);
    return true;
  });
}

void CodeLocationsPane::Copy() {
  const std::vector<SearchLocation>* items = CurrentLocations();
  std::wstring text;
  if (!items || !CopyLocationsText(*items, Selected(), text)) return CommandFailed(406, WFormat(L"e=%u", GetLastError()));
  QGuiApplication::clipboard()->setText(ToQ(text));
}

void CodeLocationsPane::Paste() {
  const std::wstring text = FromQ(QGuiApplication::clipboard()->text());
  std::vector<SearchLocation> pasted;
  uint32_t error = 0;
  int site = 0;
  size_t line = 0;
  if (!ParsePastedLocations(text, pasted, error, site, line))
    return CommandFailed(407, WFormat(L"e=%u, site=%d, line=%zu", error, site, line));
  if (!Edit([&](std::vector<SearchLocation>& items) { return AddLocations(items, pasted); },
            [&](const std::vector<SearchLocation>& items) {
              LocationRows rows;
              for (size_t i = 0; i < items.size(); ++i)
                if (std::find(pasted.begin(), pasted.end(), items[i]) != pasted.end()) rows.push_back(i);
              return rows;
            }))
    CommandFailed(407, WFormat(L"e=%u, cnt=%zu", GetLastError(), pasted.size()));
}

void CodeLocationsPane::Move(bool up) {
  const LocationRows rows = Selected();
  LocationRows moved;
  Edit(
      [&](std::vector<SearchLocation>& items) {
        moved = MoveLocations(items, rows, up);
        return true;
      },
      [&](const std::vector<SearchLocation>&) { return moved; });
}

void CodeLocationsPane::SavePreset(bool copy) {
  if (!presets_.currentPreset()) return;
  std::wstring name = presets_.ProposedName(copy);
  if (!CPresetNameDlg::Ask(this, name, name)) return;
  const std::wstring refused = presets_.CheckName(name, copy);
  if (!refused.empty()) return ShowErrorBox(this, refused);
  if (!presets_.Save(name, copy)) {
    const uint32_t error = GetLastError();
    EventLog::LogSiteFormat(416, L"e=%u, name=\"%ls\"", error, name.c_str());
    ShowErrorBox(this, WFormat(L"Failed to save preset:\n\n'%ls'\n\nERROR: %ls", name.c_str(), ErrorText(error).c_str()));
  }
  Fill();
}

void CodeLocationsPane::NewPreset() {
  const std::wstring refused = presets_.New();
  if (!refused.empty()) return ShowErrorBox(this, refused);
  Fill();
}

void CodeLocationsPane::RemovePreset() {
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
    ShowErrorBox(this, WFormat(L"Failed to delete preset:\n\n'%ls'\n\nERROR: %ls", shown.c_str(), ErrorText(error).c_str()));
  }
  Fill();
}

void CodeLocationsPane::ExportPresets() {
  // What the store holds now, with this window's unsaved presets.
  presets_.Reload();
  Fill();
  if (presets_.UserCount() == 0) {
    AppDialogs().MessageBox(this, QStringLiteral("There are no non-default presets to export."),
                            QStringLiteral("Tarnix"), mb::kOk | mb::kIconInformation);
    return;
  }
  FileDialogRequest r = PresetFile("Export Presets");
  QString path;
  if (!AppDialogs().SaveFileName(this, r, path)) return;
  if (ExportErrorCodePresets(LocalPath(path), presets_.presets()) < 0) {
    const uint32_t error = GetLastError();
    EventLog::LogSiteFormat(430, L"r=%u, path=\"%ls\"", error, FromQ(path).c_str());
    ShowErrorBox(this, WFormat(L"Failed to save presets into the following file:\n\n%ls", FromQ(path).c_str()), error);
  }
}

void CodeLocationsPane::ImportPresets() {
  if (!ConfirmPresetImport(8, this)) return;
  FileDialogRequest r = PresetFile("Pick Previously Exported File");
  QStringList files;
  if (!AppDialogs().OpenFileNames(this, r, files) || files.isEmpty()) return;
  bool storeChanged = false;
  const bool imported = ImportErrorCodePresets(LocalPath(files.front()), storeChanged);
  const uint32_t error = GetLastError();
  if (storeChanged) {
    presets_.Reload();
    Fill();
  }
  if (!imported)
    ShowErrorBox(this, WFormat(L"Failed to read presets from the following file:\n\n%ls", FromQ(files.front()).c_str()),
                 error);
}

}  // namespace tarnix::gui
