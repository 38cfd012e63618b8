#include "gui/errmsg/err_ranges_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/program_windows_root.h"
#include "core/setting_names.h"
#include "core/wformat.h"
#include "core/window_settings.h"
#include "errmsg/facility_table.h"
#include "errmsg/message_search_setup.h"
#include "errmsg/range_code.h"
#include "errmsg/range_edit.h"
#include "errmsg/range_line.h"
#include "errmsg/range_ok_check.h"
#include "errmsg/range_preset_file.h"
#include "gui/app/command_set.h"
#include "gui/app/confirmable.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/placement_binder.h"
#include "gui/app/text_convert.h"
#include "gui/errcode/preset_name_dlg.h"
#include "gui/widgets/buddy_label.h"
#include "gui/widgets/link_label.h"
#include "platform/case_fold.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix::gui {
namespace {

enum RangeCommand : int {
  kErCopy = 1,
  kErPaste,
  kErSelectAll,
  kErAdd,
  kErRemove,
  kErDuplicate,
  kErReplicate,
  kErMoveUp,
  kErMoveDown,
  kErSavePreset,
  kErNewPreset,
  kErRemovePreset,
  kErImport,
  kErExport,
};

constexpr int kCustomData = -3;

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QStringList RowTexts(const ErrorRange& r) {
  const RangeEndTexts ends = RangeEndsToText(r);
  return {ToQ(ends.from), ToQ(ends.to), ToQ(CodeKindName(r.flags)), ToQ(r.libraryName), ToQ(RangeDisplayName(r))};
}

FileDialogRequest PresetFile(const char* caption) {
  FileDialogRequest r;
  r.caption = QString::fromUtf8(caption);
  r.filter = QStringLiteral("INI Files (*.ini)|*.ini|All Files (*.*)|*.*|");
  r.defaultExtension = QStringLiteral("ini");
  return r;
}


}  // namespace

bool CErrRangesDlg::Edit(QWidget* owner, std::vector<ErrorRange>& ranges) {
  CErrRangesDlg dialog(owner, ranges);
  if (AppDialogs().Exec(dialog) != QDialog::Accepted) return false;
  ranges = dialog.ranges();
  return true;
}

CErrRangesDlg::CErrRangesDlg(QWidget* owner, std::vector<ErrorRange> ranges)
    : QDialog(owner), rows_(std::move(ranges)) {
  setWindowTitle(QStringLiteral("Search Error Ranges"));
  if (!presets_.Load(BuiltInRangePresets())) EventLog::LogSiteFormat(255, L"e=%u", GetLastError());
  // The set that holds exactly these ranges is the current one.
  for (size_t i = 0; i < presets_.size(); ++i)
    if (presets_.presets()[i].items == rows_) {
      presets_.Select(i);
      break;
    }
  commands_ = new CommandSet(this);
  BuildControls();
  BuildCommands();
  FillPresetBox();
  FillList({0});
  resize(760, 600);
  new PlacementBinder(this, setting::kERWnd, PlacementDefaults{kPlacementScale, 1.0, 1.0});
}

CErrRangesDlg::~CErrRangesDlg() = default;

void CErrRangesDlg::BuildControls() {
  auto* root = new QVBoxLayout(this);
  auto* menuBar = new QMenuBar(this);
  root->setMenuBar(menuBar);
  menuBar->setObjectName(QStringLiteral("RangesMenu"));

  auto* top = new QHBoxLayout;
  preset_ = new QComboBox(this);
  preset_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  top->addWidget(BuddyLabel(this, QStringLiteral("&Preset:"), preset_));
  top->addWidget(preset_, 1);
  connect(preset_, &QComboBox::activated, this, &CErrRangesDlg::PresetChosen);
  root->addLayout(top);

  auto* middle = new QHBoxLayout;
  list_ = new QTreeWidget(this);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setHeaderLabels({QStringLiteral("Code From"), QStringLiteral("Code To"), QStringLiteral("Type"),
                          QStringLiteral("Library Name"), QStringLiteral("Error Range Name")});
  list_->setAccessibleName(QStringLiteral("Error Ranges"));
  list_->header()->setAccessibleName(QStringLiteral("Error Range Columns"));
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  const int ch = fontMetrics().averageCharWidth();
  const int codeWidth = fontMetrics().horizontalAdvance(QStringLiteral("0xFFFFFFFF")) + 3 * ch;
  for (int c : {0, 1}) list_->header()->resizeSection(c, codeWidth);
  list_->header()->resizeSection(2, 10 * ch);
  list_->header()->resizeSection(3, 16 * ch);
  connect(list_, &QTreeWidget::currentItemChanged, this, [this] { ShowEditPanel(); });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { ShowEditPanel(); });
  middle->addWidget(list_, 1);
  auto* side = new QVBoxLayout;
  auto addButton = [&](const QString& text, const char* name, std::function<void()> run) {
    auto* b = new QPushButton(text, this);
    b->setAccessibleName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    b->setMaximumWidth(5 * ch + 16);
    connect(b, &QPushButton::clicked, this, std::move(run));
    side->addWidget(b);
  };
  // The arrow heads when the button font has them.
  const bool heads = QFontMetrics(font()).inFont(QChar(0x02C4)) && QFontMetrics(font()).inFont(QChar(0x02C5));
  addButton(heads ? QString(QChar(0x02C4)) : QStringLiteral("^"), "Move Up", [this] { Move(true); });
  addButton(heads ? QString(QChar(0x02C5)) : QStringLiteral("v"), "Move Down", [this] { Move(false); });
  addButton(QStringLiteral("&+"), "Add Range", [this] { Add(); });
  addButton(QStringLiteral("&-"), "Remove Ranges", [this] { Remove(); });
  side->addStretch(1);
  middle->addLayout(side);
  root->addLayout(middle, 1);

  // The edit panel.
  auto* panel = new QGroupBox(this);
  auto* grid = new QGridLayout(panel);
  type_ = new QComboBox(panel);
  type_->addItem(QStringLiteral("Win32 Error"), kRangeCodeWin32);
  type_->addItem(QStringLiteral("HRESULT"), kRangeCodeHresult);
  grid->addWidget(BuddyLabel(panel, QStringLiteral("T&ype:"), type_), 0, 0);
  grid->addWidget(type_, 0, 1);
  name_ = new QComboBox(panel);
  name_->setEditable(true);
  name_->setInsertPolicy(QComboBox::NoInsert);
  name_->lineEdit()->setMaxLength(int(kMaxRangeNameLength));
  name_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  grid->addWidget(BuddyLabel(panel, QStringLiteral("N&ame:"), name_), 0, 2);
  grid->addWidget(name_, 0, 3, 1, 3);
  from_ = new QLineEdit(panel);
  to_ = new QLineEdit(panel);
  grid->addWidget(BuddyLabel(panel, QStringLiteral("Code &From:"), from_), 1, 0);
  grid->addWidget(from_, 1, 1);
  grid->addWidget(BuddyLabel(panel, QStringLiteral("Code &To:"), to_), 1, 2);
  grid->addWidget(to_, 1, 3);
  module_ = new QComboBox(panel);
  module_->setAccessibleName(QStringLiteral("Module Kind"));
  module_->addItem(QStringLiteral("System Error Code"), kRangeModuleNone);
  module_->addItem(QStringLiteral("Use System Library"), kRangeModuleSystem);
  module_->addItem(QStringLiteral("Use Other Library"), kRangeModuleAbsolute);
  library_ = new QLineEdit(panel);
  library_->setAccessibleName(QStringLiteral("Library Name"));
  library_->setMaxLength(int(kMaxLibraryNameLength));
  auto* pick = new QPushButton(QStringLiteral("&..."), panel);
  pick->setAccessibleName(QStringLiteral("Pick Module"));
  pick->setAutoDefault(false);
  connect(pick, &QPushButton::clicked, this, [this] { PickModule(); });
  grid->addWidget(module_, 2, 0, 1, 2);
  grid->addWidget(library_, 2, 2, 1, 3);
  grid->addWidget(pick, 2, 5);

  // HRESULT bits.
  auto* bits = new QGroupBox(QStringLiteral("HRESULT"), panel);
  auto* bitGrid = new QGridLayout(bits);
  const char* highNames[5] = {"(S) &Severity bit 31", "(R) &Warning bit 30", "(C) C&ustom bit 29",
                              "(N) &NT status bit 28", "(X) &Reserved bit 27"};
  for (int i = 0; i < 5; ++i) {
    highBits_[i] = new QCheckBox(QString::fromUtf8(highNames[i]), bits);
    bitGrid->addWidget(highBits_[i], i / 3, i % 3);
    connect(highBits_[i], &QCheckBox::clicked, this, [this, i] { BitClicked(highBits_[i]); });
  }
  facility_ = new QComboBox(bits);
  facility_->setAccessibleName(QStringLiteral("Facility"));
  std::vector<const Facility*> facilities;
  for (const Facility& f : FacilityTable) facilities.push_back(&f);
  std::stable_sort(facilities.begin(), facilities.end(), [](const Facility* a, const Facility* b) {
    return CompareIgnoreCase(a->displayName, b->displayName) < 0;
  });
  for (const Facility* f : facilities)
    facility_->addItem(ToQ(WFormat(L"%ls (0x%X)", f->displayName, f->number)), int(f->number));
  facility_->insertSeparator(facility_->count());
  facility_->addItem(QStringLiteral("Custom"), kCustomData);
  connect(facility_, &QComboBox::activated, this, [this] { FacilityChosen(); });
  bitGrid->addWidget(BuddyLabel(bits, QStringLiteral("Fac&ility:"), facility_), 2, 0);
  bitGrid->addWidget(facility_, 2, 1, 1, 2);
  auto* facRow = new QHBoxLayout;
  for (int b = 16; b <= 26; ++b) {
    facBits_[b - 16] = new QCheckBox(QString::number(b), bits);
    facBits_[b - 16]->setAccessibleName(QStringLiteral("Facility bit %1").arg(b));
    connect(facBits_[b - 16], &QCheckBox::clicked, this, [this, b] { BitClicked(facBits_[b - 16]); });
    facRow->addWidget(facBits_[b - 16]);
  }
  facRow->addStretch(1);
  bitGrid->addLayout(facRow, 3, 0, 1, 3);
  auto* more = new LinkLabel(QStringLiteral("<a>More info</a>"), bits);
  connect(more, &LinkLabel::linkClicked, this, [this] {
    OpenUrlOrSay(this, QUrl(QStringLiteral("https://learn.microsoft.com/en-us/openspecs/windows_protocols/ms-erref/"
                                           "0642cb2f-2075-4469-918c-4441e69c548a")));
  });
  bitGrid->addWidget(more, 4, 2, Qt::AlignRight);
  grid->addWidget(bits, 3, 0, 1, 6);
  grid->setColumnStretch(3, 1);
  root->addWidget(panel);

  // The name list: facility ranges, the extended rows, "Custom".
  std::vector<std::pair<QString, uint32_t>> names;
  for (const Facility& f : FacilityTable)
    names.push_back({ToQ(WFormat(L"%ls Errors", f.displayName)), 0x80000000u | (f.number << 16)});
  std::stable_sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
    return CompareIgnoreCase(FromQ(a.first), FromQ(b.first)) < 0;
  });
  for (const auto& [text, code] : names) name_->addItem(text, QVariant::fromValue(code));
  name_->insertSeparator(name_->count());
  for (const ExtendedHresultRow& row : ExtendedHresultRanges) {
    if (row.name)
      name_->addItem(ToQ(row.name), QVariant::fromValue(row.startCode));
    else
      name_->insertSeparator(name_->count());
  }
  name_->insertSeparator(name_->count());
  name_->addItem(QStringLiteral("Custom"), kCustomData);

  // Up and Down step the codes, as the spin buttons of the edits would.
  from_->installEventFilter(this);
  to_->installEventFilter(this);
  auto edited = [this] { PanelEdited(); };
  connect(type_, &QComboBox::activated, this, edited);
  connect(module_, &QComboBox::activated, this, edited);
  connect(name_, &QComboBox::editTextChanged, this, edited);
  connect(from_, &QLineEdit::textEdited, this, edited);
  connect(to_, &QLineEdit::textEdited, this, edited);
  connect(library_, &QLineEdit::textEdited, this, edited);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CErrRangesDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CErrRangesDlg::reject);
  root->addWidget(buttons);
}

void CErrRangesDlg::BuildCommands() {
  CommandSet& c = *commands_;
  auto some = [this] { return !SelectedRows().empty(); };
  c.Add(kErCopy, "&Copy Error Codes Ranges", [this] { Copy(); }).Enabled(some);
  c.Add(kErPaste, "Pa&ste Error Codes Ranges", [this] { Paste(); });
  c.Add(kErSelectAll, "Select &All Error Codes Ranges", [this] { list_->selectAll(); });
  c.Add(kErAdd, "Add Error Codes Ra&nge\tCtrl+N", [this] { Add(); }).Keys("Ctrl+N");
  c.Add(kErRemove, "&Remove Error Codes Ranges...", [this] { Remove(); }).Enabled(some);
  c.Add(kErDuplicate, "Du&plicate Error Codes Ranges", [this] { ChangeRows(DuplicateRanges); }).Enabled(some);
  c.Add(kErReplicate, "R&eplicate Error Codes Ranges", [this] { ChangeRows(ReplicateRanges); }).Enabled(some);
  c.Add(kErMoveUp, "Move Error Codes Ranges &Up", [this] { Move(true); }).Enabled(some);
  c.Add(kErMoveDown, "Move Error Codes Ranges &Down", [this] { Move(false); }).Enabled(some);
  c.Add(kErSavePreset, "Save As &Preset...\tCtrl+S", [this] { SavePreset(); }).Keys("Ctrl+S");
  c.Add(kErNewPreset, "&New Preset", [this] { NewPreset(); });
  c.Add(kErRemovePreset, "&Remove Preset...", [this] { RemovePreset(); }).Enabled([this] {
    return presets_.currentIsUser();
  });
  c.Add(kErImport, "&Import...", [this] { ImportPresets(); });
  c.Add(kErExport, "&Export...", [this] { ExportPresets(); });
  c.BindKey(kErCopy, list_, "Ctrl+C");
  c.BindKey(kErPaste, list_, "Ctrl+V");
  c.BindKey(kErSelectAll, list_, "Ctrl+A");
  c.BindKey(kErRemove, list_, "Del");
  c.BindKey(kErDuplicate, list_, "Ctrl+D");
  c.BindKey(kErReplicate, list_, "Ctrl+Shift+D");
  c.BindKey(kErMoveUp, list_, "Ctrl+Up");
  c.BindKey(kErMoveDown, list_, "Ctrl+Down");

  constexpr int kSep = CommandSet::kSeparator;
  auto* bar = findChild<QMenuBar*>(QStringLiteral("RangesMenu"));
  QMenu* ranges = bar->addMenu(QStringLiteral("&Edit"));
  c.Fill(ranges, {kErCopy, kErPaste, kErSelectAll, kSep, kErAdd, kErRemove, kErDuplicate, kErReplicate, kSep,
                  kErMoveUp, kErMoveDown});
  QMenu* presets = bar->addMenu(QStringLiteral("Preset &List"));
  c.Fill(presets, {kErSavePreset, kErNewPreset, kErRemovePreset, kSep, kErImport, kErExport});
  for (QMenu* m : {ranges, presets}) connect(m, &QMenu::aboutToShow, this, [this] { commands_->Update(); });

  connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    commands_->Update();
    QMenu menu(this);
    commands_->Present(&menu, kErCopy, QStringLiteral("&Copy\tCtrl+C"));
    commands_->Present(&menu, kErPaste, QStringLiteral("Pa&ste\tCtrl+V"));
    commands_->Present(&menu, kErSelectAll, QStringLiteral("Select &All\tCtrl+A"));
    menu.addSeparator();
    commands_->Present(&menu, kErAdd, QStringLiteral("Add &New...\tCtrl+N"));
    commands_->Present(&menu, kErRemove, QStringLiteral("&Remove...\tDel"));
    commands_->Present(&menu, kErDuplicate, QStringLiteral("Du&plicate\tCtrl+D"));
    commands_->Present(&menu, kErReplicate, QStringLiteral("R&eplicate\tCtrl+Shift+D"));
    menu.addSeparator();
    commands_->Present(&menu, kErMoveUp, QStringLiteral("Move &Up\tCtrl+Up Arrow"));
    commands_->Present(&menu, kErMoveDown, QStringLiteral("Move &Down\tCtrl+Down Arrow"));
    menu.exec(list_->viewport()->mapToGlobal(at));
  });
}

// --- presets ---

void CErrRangesDlg::FillPresetBox() {
  filling_ = true;
  preset_->clear();
  for (size_t i = 0; i < presets_.size(); ++i) {
    if (i > 0 && (presets_.presets()[i - 1].flags & kRangeSetBuiltIn) &&
        !(presets_.presets()[i].flags & kRangeSetBuiltIn))
      preset_->insertSeparator(preset_->count());
    preset_->addItem(ToQ(presets_.Text(i)), QVariant::fromValue(qulonglong(i)));
  }
  const int at = presets_.current() == RangePresetList::kNone
                     ? -1
                     : preset_->findData(QVariant::fromValue(qulonglong(presets_.current())));
  preset_->setCurrentIndex(at);
  filling_ = false;
}

void CErrRangesDlg::PresetChosen(int index) {
  const QVariant data = preset_->itemData(index);
  if (!data.isValid()) return;
  presets_.Select(size_t(data.toULongLong()));
  if (const RangePreset* p = presets_.currentPreset()) rows_ = p->items;
  FillList({0});
  FillPresetBox();
}

void CErrRangesDlg::Commit() {
  std::vector<ErrorRange>* items = presets_.BeginEdit();
  if (!items) {
    AppDialogs().Beep(mb::kIconError);
  } else {
    *items = rows_;
    if (!presets_.EndEdit()) CommandFailed(256, WFormat(L"e=%u", GetLastError()));
  }
  FillPresetBox();
}

// --- the list and the edit panel ---

std::vector<size_t> CErrRangesDlg::SelectedRows() const {
  std::vector<size_t> rows;
  for (int i = 0; i < list_->topLevelItemCount(); ++i)
    if (list_->topLevelItem(i)->isSelected()) rows.push_back(size_t(i));
  return rows;
}

void CErrRangesDlg::FillList(const std::vector<size_t>& select) {
  filling_ = true;
  list_->clear();
  QList<QTreeWidgetItem*> items;
  for (const ErrorRange& r : rows_) items.append(new QTreeWidgetItem(RowTexts(r)));
  list_->addTopLevelItems(items);
  for (size_t r : select)
    if (r < rows_.size()) list_->topLevelItem(int(r))->setSelected(true);
  if (!select.empty() && select.front() < rows_.size())
    list_->setCurrentItem(list_->topLevelItem(int(select.front())), 0, QItemSelectionModel::NoUpdate);
  filling_ = false;
  ShowEditPanel();
}

void CErrRangesDlg::ShowRow(int row) {
  if (QTreeWidgetItem* item = list_->topLevelItem(row)) {
    const QStringList texts = RowTexts(rows_[size_t(row)]);
    for (int c = 0; c < texts.size(); ++c) item->setText(c, texts[c]);
  }
}

void CErrRangesDlg::ShowEditPanel() {
  if (filling_) return;
  filling_ = true;
  editRow_ = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
  const bool have = editRow_ >= 0 && size_t(editRow_) < rows_.size();
  const ErrorRange r = have ? rows_[size_t(editRow_)] : ErrorRange{};
  for (QWidget* w : std::initializer_list<QWidget*>{type_, name_, from_, to_, module_})
    w->setEnabled(have);
  type_->setCurrentIndex(type_->findData(RangeCodeKind(r)));
  name_->setEditText(ToQ(r.rangeName));
  from_->setText(ToQ(ErrorCodeToText(r.codeFrom)));
  to_->setText(ToQ(ErrorCodeToText(r.codeTo)));
  module_->setCurrentIndex(module_->findData(RangeModuleKind(r)));
  library_->setText(ToQ(r.libraryName));
  library_->setEnabled(have && RangeModuleKind(r) != kRangeModuleNone);
  // With several rows selected, a bit box that the selected ranges' Code
  // From disagree on is partially checked, and the boxes recompute nothing
  // until each is decided.
  std::vector<size_t> rows = SelectedRows();
  if (rows.size() < 2) rows.assign(have ? 1 : 0, size_t(have ? editRow_ : 0));
  auto show = [&](QCheckBox* box, uint32_t bit) {
    size_t set = 0;
    for (size_t row : rows) set += (rows_[row].codeFrom & bit) != 0;
    const bool mixed = set != 0 && set != rows.size();
    box->setTristate(mixed);
    box->setCheckState(mixed ? Qt::PartiallyChecked : set ? Qt::Checked : Qt::Unchecked);
  };
  for (int i = 0; i < 5; ++i) show(highBits_[i], kHresultHighBits[i]);
  for (int b = 0; b < 11; ++b) show(facBits_[b], 1u << (16 + b));
  facility_->setCurrentIndex(RangeCodeKind(r) == kRangeCodeHresult ? facility_->findData(int(CodeFacility(r.codeFrom))) : -1);
  filling_ = false;
}

void CErrRangesDlg::PanelEdited() {
  if (filling_ || editRow_ < 0 || size_t(editRow_) >= rows_.size()) return;
  ErrorRange& r = rows_[size_t(editRow_)];
  const uint32_t kind = module_->currentData().toUInt();
  r.flags = EditPanelFlags(type_->currentData().toUInt(), kind);
  r.rangeName = FromQ(name_->currentText().trimmed());
  if (!ParseRangeCode(FromQ(from_->text()), r.codeFrom)) r.codeFrom = 0;
  if (!ParseRangeCode(FromQ(to_->text()), r.codeTo)) r.codeTo = 0;
  r.libraryName = kind == kRangeModuleNone ? std::wstring() : FromQ(library_->text().trimmed());
  library_->setEnabled(kind != kRangeModuleNone);
  ShowRow(editRow_);
  Commit();
}

bool CErrRangesDlg::eventFilter(QObject* watched, QEvent* event) {
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if ((edit == from_ || edit == to_) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      // Over the whole 32-bit range, wrapping.
      uint32_t code = 0;
      ParseRangeCode(FromQ(edit->text()), code);
      edit->setText(ToQ(ErrorCodeToText(key == Qt::Key_Up ? code + 1 : code - 1)));
      PanelEdited();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CErrRangesDlg::FacilityChosen() {
  const int data = facility_->currentData().toInt();
  for (int b = 0; b < 11; ++b) {
    facBits_[b]->setTristate(false);
    facBits_[b]->setChecked(data >= 0 && (uint32_t(data) & (1u << b)));
  }
  BitsChanged();
}

std::vector<QCheckBox*> CErrRangesDlg::BitBoxes() const {
  std::vector<QCheckBox*> boxes(highBits_, highBits_ + 5);
  boxes.insert(boxes.end(), facBits_, facBits_ + 11);
  return boxes;
}

void CErrRangesDlg::BitClicked(QCheckBox* box) {
  // A partially checked box, once clicked, is decided: on or off only.
  if (box->checkState() != Qt::PartiallyChecked) box->setTristate(false);
  BitsChanged();
}

void CErrRangesDlg::BitsChanged() {
  if (filling_) return;
  for (QCheckBox* box : BitBoxes())
    if (box->checkState() == Qt::PartiallyChecked) return;
  uint32_t high = 0, facility = 0;
  for (int i = 0; i < 5; ++i)
    if (highBits_[i]->isChecked()) high |= kHresultHighBits[i];
  for (int b = 0; b < 11; ++b)
    if (facBits_[b]->isChecked()) facility |= 1u << b;
  const uint32_t from = HresultBitsCode(high, facility);
  filling_ = true;
  from_->setText(ToQ(ErrorCodeToText(from)));
  to_->setText(ToQ(ErrorCodeToText(from + 0xFFFF)));
  facility_->setCurrentIndex(facility_->findData(int(facility)));
  const int name = name_->findData(QVariant::fromValue(from));
  name_->setCurrentIndex(name);
  if (name < 0) name_->setEditText(QString());
  filling_ = false;
  PanelEdited();
}

// --- list commands ---

void CErrRangesDlg::Copy() {
  std::vector<ErrorRange> selected;
  for (size_t r : SelectedRows()) selected.push_back(rows_[r]);
  if (selected.empty()) return AppDialogs().Beep(mb::kIconError);
  QApplication::clipboard()->setText(ToQ(FormatRangeLines(selected)));
}

void CErrRangesDlg::Paste() {
  const std::vector<size_t> rows = SelectedRows();
  const size_t at = rows.empty() ? rows_.size() : rows.back() + 1;
  size_t added = 0, badLine = 0;
  if (!PasteRangeLines(rows_, at, FromQ(QApplication::clipboard()->text()), added, badLine)) {
    const uint32_t error = GetLastError();
    AppDialogs().Beep(mb::kIconError);
    if (error == ERROR_TOO_MANY_CMDS)
      return ShowErrorBox(this, WFormat(L"Specified %zu error ranges. Maximum allowed number is %d.",
                                        rows_.size() + std::max<size_t>(added, 1), int(kMaxErrorRanges)));
    return ShowErrorBox(this, WFormat(L"Failed to paste error ranges (line %zu):", badLine), error);
  }
  std::vector<size_t> select;
  for (size_t i = 0; i < added; ++i) select.push_back(at + i);
  FillList(select);
  Commit();
}

void CErrRangesDlg::Add() {
  if (rows_.size() >= kMaxErrorRanges) return AppDialogs().Beep(mb::kIconError);
  const std::vector<size_t> rows = SelectedRows();
  const size_t at = rows.empty() ? rows_.size() : rows.back() + 1;
  rows_.insert(rows_.begin() + std::ptrdiff_t(at), ErrorRange{});
  FillList({at});
  Commit();
}

void CErrRangesDlg::Remove() {
  const std::vector<size_t> rows = SelectedRows();
  if (rows.empty()) return AppDialogs().Beep(mb::kIconError);
  if (AppDialogs().MessageBox(this,
                              ToQ(WFormat(L"Do you want to remove %zu selected error range(s)?", rows.size())),
                              QStringLiteral("Tarnix"), mb::kYesNo | mb::kIconQuestion) != IDYES)
    return;
  RemoveRanges(rows_, rows);
  FillList({std::min(rows.front(), rows_.empty() ? 0 : rows_.size() - 1)});
  Commit();
}

void CErrRangesDlg::ChangeRows(bool (*change)(std::vector<ErrorRange>&, std::vector<size_t>&)) {
  std::vector<size_t> rows = SelectedRows();
  if (rows.empty() || !change(rows_, rows)) return AppDialogs().Beep(mb::kIconError);
  FillList(rows);
  Commit();
}

void CErrRangesDlg::Move(bool up) {
  std::vector<size_t> rows = SelectedRows();
  if (!MoveRanges(rows_, rows, up)) return;
  FillList(rows);
  Commit();
}

void CErrRangesDlg::PickModule() {
  if (editRow_ < 0) return AppDialogs().Beep(mb::kIconError);
  const uint32_t kind = module_->currentData().toUInt();
  const std::filesystem::path system = MessageSearchSystemFolder(ProgramWindowsRoot());
  FileDialogRequest r;
  r.caption = kind == kRangeModuleSystem ? QStringLiteral("Pick system module to look up error messages in:")
                                         : QStringLiteral("Pick any module to look up error messages in:");
  r.filter = QStringLiteral("All Modules (*.dll;*.exe;*.sys)|*.dll;*.exe;*.sys|All Files (*.*)|*.*|");
  if (kind == kRangeModuleSystem) r.folder = ToQ(system.wstring());
  r.filterIndex = int(ReadFilterIndex(FilterIndexSetting::kErrRangeModule));
  QStringList files;
  if (!AppDialogs().OpenFileNames(this, r, files) || files.isEmpty()) return;
  WriteFilterIndex(FilterIndexSetting::kErrRangeModule, uint32_t(r.filterIndex));
  const std::wstring path = FromQ(files.front());
  if (!ProbeRangeModuleMessages(path)) {
    const uint32_t error = GetLastError();
    const int answer = AppDialogs().MessageBox(
        this,
        ToQ(WFormat(L"Failed to find error message table in selected module:\n\n%ls\n\n%ls\n\nAre you sure you "
                    L"want to use it?",
                    path.c_str(), ErrorText(error).c_str())),
        QStringLiteral("Tarnix"), mb::kYesNoCancel | mb::kIconError | mb::kDefButton2);
    if (answer != IDYES) return;
  }
  uint32_t pickedKind = 0;
  std::wstring name;
  PickedRangeModule(path, system, pickedKind, name);
  filling_ = true;
  module_->setCurrentIndex(module_->findData(pickedKind));
  library_->setText(ToQ(name));
  filling_ = false;
  PanelEdited();
}

// --- saving, checking, closing ---

void CErrRangesDlg::SavePreset() {
  if (!presets_.currentPreset()) return;
  const bool builtIn = presets_.currentIsBuiltIn();
  // The current name: a stored preset's own, an unsaved one's "<Unsaved
  // Preset n>" as the box numbers it; a built-in set's with " (Copy)".
  std::wstring name = builtIn ? presets_.currentPreset()->name + L" (Copy)" : presets_.AutoSaveName(presets_.current());
  if (!CPresetNameDlg::Ask(this, name, name)) return;
  const std::wstring refused = presets_.CheckName(name, builtIn);
  if (!refused.empty()) return ShowErrorBox(this, refused);
  if (builtIn) {
    // The list as it stands becomes the new preset.
    std::vector<ErrorRange>* items = presets_.BeginEdit();
    if (!items) return ShowErrorBox(this, TooManyPresetsMessage(kMaxRangePresets));
    *items = rows_;
  }
  if (!presets_.Save(name, false)) {
    const uint32_t error = GetLastError();
    ShowErrorBox(this, WFormat(L"Failed to save preset:\n\n'%ls'\n\nERROR: %ls", name.c_str(), ErrorText(error).c_str()));
  }
  FillPresetBox();
}

void CErrRangesDlg::NewPreset() {
  const std::wstring refused = presets_.New();
  if (!refused.empty()) return ShowErrorBox(this, refused);
  rows_.clear();
  FillList({});
  FillPresetBox();
}

void CErrRangesDlg::RemovePreset() {
  const RangePreset* p = presets_.currentPreset();
  if (!p || !presets_.currentIsUser()) return AppDialogs().Beep(mb::kIconError);
  const std::wstring shown = presets_.Text(presets_.current());
  if (AppDialogs().MessageBox(
          this, ToQ(WFormat(L"Do you want to permanently remove the following preset?\n\n'%ls'", shown.c_str())),
          QStringLiteral("Tarnix"), mb::kYesNo | mb::kIconQuestion) != IDYES)
    return;
  if (!presets_.RemoveCurrent()) {
    const uint32_t error = GetLastError();
    return ShowErrorBox(this, WFormat(L"Failed to delete preset:\n\n'%ls'\n\nERROR: %ls", shown.c_str(),
                                      ErrorText(error).c_str()));
  }
  if (const RangePreset* now = presets_.currentPreset()) rows_ = now->items;
  FillList({0});
  FillPresetBox();
}

void CErrRangesDlg::ExportPresets() {
  std::vector<RangeSet> stored;
  for (const RangePreset& p : presets_.presets())
    if (!(p.flags & (kRangeSetBuiltIn | kRangeSetUnsaved))) stored.push_back({p.items, p.name, p.flags});
  FileDialogRequest r = PresetFile("Export Presets");
  QString path;
  if (!AppDialogs().SaveFileName(this, r, path)) return;
  if (!ExportRangePresets(LocalPath(path), stored, ExportDateText()))
    ShowErrorBox(this, RangePresetFileFailure(true, LocalPath(path), GetLastError()));
}

void CErrRangesDlg::ImportPresets() {
  if (!ConfirmPresetImport(6, this)) return;
  FileDialogRequest r = PresetFile("Pick Previously Exported File");
  QStringList files;
  if (!AppDialogs().OpenFileNames(this, r, files) || files.isEmpty()) return;
  std::vector<RangeSet> imported;
  if (!ImportRangePresets(LocalPath(files.front()), imported))
    return ShowErrorBox(this, RangePresetFileFailure(false, LocalPath(files.front()), GetLastError()));
  presets_.Reload();
  FillPresetBox();
}

bool CErrRangesDlg::AutoSave(const wchar_t* reason) {
  std::vector<size_t> others = presets_.OthersToSave();
  if (others.empty()) return true;
  const int answer = ShowConfirmable(
      5,
      ToQ(WFormat(L"Found %zu unsaved preset(s).\n(Unsaved presets are marked with an asterisk (*) in the preset "
                  L"list.)\n\nDo you want to save all presets before %ls?",
                  others.size(), reason)),
      mb::kIconWarning, this);
  if (answer == IDNO) return true;
  if (answer != IDYES) return false;
  while (!(others = presets_.OthersToSave()).empty()) {
    const size_t i = others.front();
    const std::wstring shown = presets_.Text(i);
    const std::wstring name = presets_.AutoSaveName(i);
    if (name.empty()) {
      ShowErrorBox(this, WFormat(L"Failed to find a unique name for the following preset, aborting auto-save:\n\n'%ls'",
                                 shown.c_str()));
      return false;
    }
    if (!presets_.SaveOther(i, name)) {
      const uint32_t error = GetLastError();
      ShowErrorBox(this, WFormat(L"Failed to save the following preset. Aborting auto-save:\n\n'%ls'\n\n%ls",
                                 shown.c_str(), ErrorText(error).c_str()));
      FillPresetBox();
      return false;
    }
  }
  FillPresetBox();
  return true;
}

void CErrRangesDlg::accept() {
  RangeModuleEnv env;
  env.systemDir = MessageSearchSystemFolder(ProgramWindowsRoot());
  auto confirm = [this](const std::wstring& question, std::span<const size_t> rows) {
    FillList(std::vector<size_t>(rows.begin(), rows.end()));
    return ShowConfirmable(7, ToQ(question), mb::kIconWarning, this) == IDYES;
  };
  const RangeOkCheck check = CheckRangesForOk(rows_, env, confirm);
  if (check.verdict != RangeOkVerdict::Ok) {
    if (!check.rows.empty()) FillList(check.rows);
    if (!check.message.empty()) ShowErrorBox(this, check.message);
    return;
  }
  if (!AutoSave(L"continuing")) return;
  QDialog::accept();
}

void CErrRangesDlg::reject() {
  if (!AutoSave(L"closing")) return;
  QDialog::reject();
}

}  // namespace tarnix::gui
