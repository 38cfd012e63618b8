#include "gui/dialogs/binary_file_presets.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/event_log.h"
#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "gui/app/dialogs.h"
#include "gui/app/placement_binder.h"
#include "gui/app/text_convert.h"
#include "symbolsearch/binary_file_types.h"

namespace tarnix::gui {
namespace {

constexpr int kExtensionColumn = 0;
constexpr int kDescriptionColumn = 1;

// A menu that tells, while the chosen entry runs, whether SHIFT was held
// when the user chose it (by mouse or by key).
class MergeAwareMenu final : public QMenu {
 public:
  MergeAwareMenu(bool& merge, QWidget* parent) : QMenu(parent), merge_(merge) {}

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    merge_ = event->modifiers() & Qt::ShiftModifier;
    QMenu::mouseReleaseEvent(event);
    merge_ = false;
  }
  void keyPressEvent(QKeyEvent* event) override {
    merge_ = event->modifiers() & Qt::ShiftModifier;
    QMenu::keyPressEvent(event);
    merge_ = false;
  }

 private:
  bool& merge_;
};

}  // namespace

CBinaryFilePresets::CBinaryFilePresets(uint64_t initialMask, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Binary File Presets Filter"));
  setSizeGripEnabled(true);

  auto* explanation = new QLabel(
      QStringLiteral("Check any of the following file extensions to use as the file name search filter:"),
      this);
  explanation->setWordWrap(true);

  selectButton_ = new QPushButton(QStringLiteral("&Select..."), this);
  selectButton_->setAutoDefault(false);

  list_ = new QTreeWidget(this);
  list_->setColumnCount(2);
  list_->setHeaderLabels({QStringLiteral("File Extension"), QStringLiteral("Binary File Description")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->header()->setStretchLastSection(false);
  list_->header()->setSectionsMovable(false);
  list_->header()->setAccessibleName(QStringLiteral("File Extension, Binary File Description"));
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  explanation->setBuddy(list_);
  for (int id = 0; id < kBinaryFileTypeCount; ++id) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(kExtensionColumn, QStringLiteral(".") + ToQ(kBinaryFileTypes[id].extension));
    item->setText(kDescriptionColumn, ToQ(kBinaryFileTypes[id].description));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(kExtensionColumn, Qt::Unchecked);
  }
  list_->installEventFilter(this);

  auto* note = new QLabel(
      QStringLiteral("Note that some binary files may be used differently even if they have the same "
                     "file extension. Example: .exe may be a user-mode executable and a kernel mode "
                     "driver. Use PE header filter for better differentiation."),
      this);
  note->setWordWrap(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  // The commands: one action each, in both menus and on their keys.
  auto* hint = new QAction(QStringLiteral("Hold down SHIFT to merge selection:"), this);
  hint->setEnabled(false);
  listMenu_ = new MergeAwareMenu(menuMerge_, this);
  buttonMenu_ = new MergeAwareMenu(menuMerge_, this);
  for (int i = 0; i < kBinaryPresetCommandCount; ++i) {
    const BinaryPresetCommandInfo& info = kBinaryPresetCommands[i];
    auto* action = new QAction(ToQ(info.text), this);
    if (*info.key) {
      action->setShortcut(QKeySequence(ToQ(info.key)));
      action->setShortcutContext(Qt::WindowShortcut);
    }
    addAction(action);
    const BinaryPresetCommand command = info.command;
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command, menuMerge_); });
    actions_[i] = action;
    const bool firstGroup = i > 0 && BinaryPresetGroup(command) &&
                            !BinaryPresetGroup(kBinaryPresetCommands[i - 1].command);
    if (firstGroup) {
      for (QMenu* menu : {listMenu_, buttonMenu_}) {
        menu->addSeparator();
        menu->addAction(hint);
      }
    } else if (i > 0 && info.onSelectedRows != kBinaryPresetCommands[i - 1].onSelectedRows) {
      listMenu_->addSeparator();
    }
    listMenu_->addAction(action);
    if (!info.onSelectedRows) buttonMenu_->addAction(action);
    if (*info.mergeKey) {
      // Adding a group has its key only, no menu entry.
      auto* merge = new QAction(this);
      merge->setShortcut(QKeySequence(ToQ(info.mergeKey)));
      merge->setShortcutContext(Qt::WindowShortcut);
      addAction(merge);
      connect(merge, &QAction::triggered, this, [this, command] { RunCommand(command, true); });
    }
  }
  selectButton_->setMenu(buttonMenu_);
  connect(list_, &QWidget::customContextMenuRequested, this, &CBinaryFilePresets::ShowListMenu);
  connect(list_, &QTreeWidget::itemSelectionChanged, this, &CBinaryFilePresets::UpdateActions);

  auto* top = new QHBoxLayout;
  top->addWidget(explanation, 1);
  top->addWidget(selectButton_, 0, Qt::AlignBottom);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(list_, 1);
  layout->addWidget(note);
  layout->addWidget(buttons);

  SetTicks(initialMask & kBinaryFileTypeMask);
  if (QTreeWidgetItem* first = list_->topLevelItem(0)) list_->setCurrentItem(first, 0, QItemSelectionModel::NoUpdate);
  UpdateActions();
  list_->setFocus();

  // A first size that shows the rows and the note, in the font's terms so
  // that it scales with the display.
  const QFontMetrics fm = fontMetrics();
  resize(fm.averageCharWidth() * 72, fm.lineSpacing() * 24);
  new PlacementBinder(this, setting::kBFPWnd, PlacementDefaults{kPlacementScale, 1.0, 1.2});
}

CBinaryFilePresets::~CBinaryFilePresets() = default;

uint64_t CBinaryFilePresets::mask() const {
  uint64_t mask = 0;
  for (int id = 0; id < kBinaryFileTypeCount && id < list_->topLevelItemCount(); ++id)
    if (list_->topLevelItem(id)->checkState(kExtensionColumn) == Qt::Checked) mask |= uint64_t{1} << id;
  return mask;
}

uint64_t CBinaryFilePresets::SelectedRows() const {
  uint64_t rows = 0;
  for (int id = 0; id < kBinaryFileTypeCount && id < list_->topLevelItemCount(); ++id)
    if (list_->topLevelItem(id)->isSelected()) rows |= uint64_t{1} << id;
  return rows;
}

bool CBinaryFilePresets::SetTicks(uint64_t mask) {
  bool all = list_->topLevelItemCount() == kBinaryFileTypeCount;
  for (int id = 0; id < list_->topLevelItemCount(); ++id) {
    QTreeWidgetItem* item = list_->topLevelItem(id);
    const Qt::CheckState want = (mask >> id) & 1 ? Qt::Checked : Qt::Unchecked;
    item->setCheckState(kExtensionColumn, want);
    // A row that does not take the tick leaves the command undone.
    if (item->checkState(kExtensionColumn) != want) all = false;
  }
  return all;
}

void CBinaryFilePresets::RunCommand(BinaryPresetCommand command, bool merge) {
  const uint64_t ticks = ApplyBinaryPresetCommand(command, mask(), SelectedRows(), merge);
  if (!SetTicks(ticks)) AppDialogs().Beep(mb::kIconError);
}

void CBinaryFilePresets::UpdateActions() {
  const bool anySelected = SelectedRows() != 0;
  for (int i = 0; i < kBinaryPresetCommandCount; ++i)
    if (kBinaryPresetCommands[i].onSelectedRows) actions_[i]->setEnabled(anySelected);
}

void CBinaryFilePresets::ShowListMenu(const QPoint& pos) {
  UpdateActions();
  listMenu_->exec(list_->viewport()->mapToGlobal(pos));
}

void CBinaryFilePresets::FitColumns() {
  // The description takes what the extension leaves, less room for a
  // vertical scroll bar, so the list never needs a horizontal one.
  const int width = list_->contentsRect().width();
  const int scrollBar = list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
  const int extension = width * 23 / 100;
  list_->setColumnWidth(kExtensionColumn, extension);
  list_->setColumnWidth(kDescriptionColumn, std::max(0, width - extension - scrollBar));
}

bool CBinaryFilePresets::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::Resize) FitColumns();
  return QDialog::eventFilter(watched, event);
}

bool CBinaryFilePresets::Run(QWidget* owner, uint64_t initialMask, uint64_t& resultMask) {
  CBinaryFilePresets dialog(initialMask, owner);
  const int result = AppDialogs().Exec(dialog);
  if (result == QDialog::Accepted) {
    resultMask = dialog.mask();
    return true;
  }
  if (result != QDialog::Rejected) EventLog::LogSiteFormat(115, L"r=%d", result);
  return false;
}

bool CBinaryFilePresets::RunForFileName(QWidget* owner, const QString& fileNameText,
                                        BinaryPresetOutcome& outcome) {
  const RegistrySettings store;
  const uint64_t initial = BinaryPresetMaskForText(FromQ(fileNameText), ReadBinFilePresets(store));
  uint64_t mask = 0;
  if (!Run(owner, initial, mask)) return false;
  if (!WriteBinFilePresets(store, mask)) AppDialogs().Beep(mb::kIconError);
  outcome = ApplyBinaryPresets(mask);
  return true;
}

}  // namespace tarnix::gui
