#include "gui/dialogs/multi_sel_dlg.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/placement_binder.h"
#include "gui/app/text_convert.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "tools/multi_sel_choice.h"
#include "tools/multi_sel_tables.h"

namespace tarnix::gui {
namespace {

// The dialog's template size in dialog units (a quarter of the average
// character width, an eighth of the font height); each use scales it by its
// factors on a first start.
constexpr int kTemplateWidthDlu = 260;
constexpr int kTemplateHeightDlu = 190;

QSize TemplateSize(const QWidget& w) {
  const QFontMetrics fm(w.font());
  return QSize(kTemplateWidthDlu * fm.averageCharWidth() / 4, kTemplateHeightDlu * fm.height() / 8);
}

void SetChecked(QListWidget* list, int row, bool on) {
  if (QListWidgetItem* item = list->item(row)) {
    const Qt::CheckState state = on ? Qt::Checked : Qt::Unchecked;
    if (item->checkState() != state) item->setCheckState(state);
  }
}

QListWidget* MakeList(QWidget* parent, const QString& accessibleName) {
  auto* list = new QListWidget(parent);
  list->setAccessibleName(accessibleName);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setUniformItemSizes(true);
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  return list;
}

}  // namespace

bool CMultiSelDlg::Run(QWidget* owner, int use, uint64_t& mask, uint64_t* values) {
  const MultiSelUseInfo* info = MultiSelUseOf(use);
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  CMultiSelDlg dialog(owner, use, mask, values ? *values : 0);
  if (AppDialogs().Exec(dialog) != QDialog::Accepted) return false;
  mask = dialog.resultMask();
  if (values && info->hasValues) *values = dialog.resultValues();
  return true;
}

CMultiSelDlg::CMultiSelDlg(QWidget* parent, int use, uint64_t mask, uint64_t values)
    : QDialog(parent),
      info_(MultiSelUseOf(use) ? MultiSelUseOf(use) : MultiSelUseOf(kLookIn)),
      choice_(std::make_unique<MultiSelChoice>(*info_, mask, values)),
      resultMask_(mask),
      resultValues_(info_->hasValues ? values : 0) {
  setObjectName(QStringLiteral("CMultiSelDlg"));
  setWindowTitle(ToQ(info_->title));
  setSizeGripEnabled(true);

  auto* explanation = new QLabel(ToQ(info_->explanation), this);
  explanation->setWordWrap(true);

  items_ = MakeList(this, QStringLiteral("Items"));
  for (const MultiSelItem& it : choice_->items()) {
    auto* item = new QListWidgetItem(ToQ(it.name), items_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setToolTip(ToQ(it.name));
  }

  auto* lists = new QGridLayout;
  if (info_->hasValues) {
    values_ = MakeList(this, QStringLiteral("Values"));
    for (const MultiSelItem& it : choice_->items()) {
      auto* item = new QListWidgetItem(ToQ(it.name), values_);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
      item->setToolTip(ToQ(it.name));
    }
    // The two lists are read row by row side by side: no horizontal scroll
    // bar may make one shorter than the other.
    for (QListWidget* list : {items_, values_}) {
      list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      list->setTextElideMode(Qt::ElideRight);
    }
    auto* itemsLabel = new QLabel(QStringLiteral("&Items:"), this);
    itemsLabel->setBuddy(items_);
    auto* valuesLabel = new QLabel(QStringLiteral("&Values:"), this);
    valuesLabel->setBuddy(values_);
    lists->addWidget(itemsLabel, 0, 0);
    lists->addWidget(valuesLabel, 0, 1);
    lists->addWidget(items_, 1, 0);
    lists->addWidget(values_, 1, 1);
    lists->setColumnStretch(0, 3);
    lists->setColumnStretch(1, 2);
  } else {
    lists->addWidget(items_, 0, 0);
  }

  auto* descriptionBox = new QGroupBox(QStringLiteral("Description"), this);
  description_ = new QPlainTextEdit(descriptionBox);
  description_->setReadOnly(true);
  description_->setAccessibleName(QStringLiteral("Description"));
  description_->setTabChangesFocus(true);
  const int lines = 5;
  description_->setFixedHeight(description_->fontMetrics().lineSpacing() * lines +
                               2 * (description_->frameWidth() + 4));
  auto* descriptionLayout = new QVBoxLayout(descriptionBox);
  descriptionLayout->addWidget(description_);

  noRestriction_ = new QCheckBox(ToQ(info_->noRestrictionText), this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(noRestriction_);
  bottom->addStretch(1);
  bottom->addWidget(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(explanation);
  layout->addLayout(lists, 1);
  layout->addWidget(descriptionBox);
  layout->addLayout(bottom);

  BuildActions();
  Refresh();

  connect(buttons, &QDialogButtonBox::accepted, this, &CMultiSelDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CMultiSelDlg::reject);
  connect(noRestriction_, &QCheckBox::clicked, this, [this](bool on) {
    choice_->SetNoRestriction(on);
    Refresh();
  });
  connect(items_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (updating_) return;
    choice_->SetChecked(static_cast<size_t>(items_->row(item)), item->checkState() == Qt::Checked);
    Refresh();
  });
  connect(items_, &QListWidget::currentRowChanged, this, [this](int row) {
    ShowDescription(row);
    if (values_ && !syncing_) {
      syncing_ = true;
      values_->setCurrentRow(row, QItemSelectionModel::NoUpdate);
      syncing_ = false;
    }
  });
  connect(items_, &QListWidget::itemSelectionChanged, this, [this] {
    SyncSelection(items_, values_);
    UpdateActions();
  });
  connect(items_, &QWidget::customContextMenuRequested, this, &CMultiSelDlg::ShowItemsMenu);
  if (values_) {
    connect(values_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
      if (updating_) return;
      choice_->SetValue(static_cast<size_t>(values_->row(item)), item->checkState() == Qt::Checked);
      Refresh();
    });
    connect(values_, &QListWidget::currentRowChanged, this, [this](int row) {
      if (syncing_) return;
      syncing_ = true;
      items_->setCurrentRow(row, QItemSelectionModel::NoUpdate);
      syncing_ = false;
      ShowDescription(row);
    });
    connect(values_, &QListWidget::itemSelectionChanged, this, [this] {
      SyncSelection(values_, items_);
      UpdateActions();
    });
    connect(values_, &QWidget::customContextMenuRequested, this, &CMultiSelDlg::ShowValuesMenu);
    connect(items_->verticalScrollBar(), &QScrollBar::valueChanged, values_->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(values_->verticalScrollBar(), &QScrollBar::valueChanged, items_->verticalScrollBar(),
            &QScrollBar::setValue);
  }

  resize(TemplateSize(*this).expandedTo(minimumSizeHint()));
  new PlacementBinder(this, info_->windowKey,
                      PlacementDefaults{kPlacementScale, info_->widthFactor, info_->heightFactor});
}

CMultiSelDlg::~CMultiSelDlg() = default;

QAction* CMultiSelDlg::AddAction(QWidget* list, const QString& text, const QKeySequence& shortcut,
                                 void (CMultiSelDlg::*handler)()) {
  auto* action = new QAction(text, list);
  if (!shortcut.isEmpty()) {
    action->setShortcut(shortcut);
    // Both lists know Ctrl+A and Ctrl+U: each answers them while it has
    // the focus.
    action->setShortcutContext(Qt::WidgetShortcut);
    list->addAction(action);
  }
  connect(action, &QAction::triggered, this, handler);
  return action;
}

void CMultiSelDlg::BuildActions() {
  const QKeySequence ctrlA(Qt::CTRL | Qt::Key_A), ctrlU(Qt::CTRL | Qt::Key_U);
  checkAll_ = AddAction(items_, QStringLiteral("&Check All\tCtrl+A"), ctrlA, &CMultiSelDlg::CheckAll);
  checkSelected_ = AddAction(items_, QStringLiteral("Check &Selected"), {}, &CMultiSelDlg::CheckSelected);
  checkSelectedValues_ = AddAction(items_, QStringLiteral("Check Selected &Values"), {},
                                   &CMultiSelDlg::CheckSelectedValues);
  uncheckAll_ = AddAction(items_, QStringLiteral("&Uncheck All\tCtrl+U"), ctrlU, &CMultiSelDlg::UncheckAll);
  uncheckSelected_ =
      AddAction(items_, QStringLiteral("Uncheck S&elected"), {}, &CMultiSelDlg::UncheckSelected);
  uncheckSelectedValues_ = AddAction(items_, QStringLiteral("Uncheck Selected Va&lues"), {},
                                     &CMultiSelDlg::UncheckSelectedValues);
  searchOnline_ = AddAction(items_, QString(), {}, &CMultiSelDlg::SearchOnline);

  itemsMenu_ = new QMenu(items_);
  itemsMenu_->addAction(checkAll_);
  itemsMenu_->addAction(checkSelected_);
  if (values_) itemsMenu_->addAction(checkSelectedValues_);
  itemsMenu_->addSeparator();
  itemsMenu_->addAction(uncheckAll_);
  itemsMenu_->addAction(uncheckSelected_);
  if (values_) itemsMenu_->addAction(uncheckSelectedValues_);
  itemsMenu_->addSeparator();
  itemsMenu_->addAction(searchOnline_);

  if (values_) {
    valuesCheckAll_ =
        AddAction(values_, QStringLiteral("&Check All\tCtrl+A"), ctrlA, &CMultiSelDlg::ValuesOnAll);
    valuesUncheckAll_ =
        AddAction(values_, QStringLiteral("&Uncheck All\tCtrl+U"), ctrlU, &CMultiSelDlg::ValuesOffAll);
    valuesMenu_ = new QMenu(values_);
    valuesMenu_->addAction(valuesCheckAll_);
    valuesMenu_->addAction(valuesUncheckAll_);
  }
  UpdateActions();
}

// The one place that decides what the commands may do now.
void CMultiSelDlg::UpdateActions() {
  const QList<QListWidgetItem*> selected = items_->selectedItems();
  const bool any = !selected.isEmpty();
  checkSelected_->setEnabled(any);
  uncheckSelected_->setEnabled(any);
  checkSelectedValues_->setEnabled(any && values_);
  uncheckSelectedValues_->setEnabled(any && values_);

  QString constant;
  if (selected.size() == 1) {
    const int row = items_->row(selected.front());
    if (row >= 0 && static_cast<size_t>(row) < choice_->size())
      constant = ToQ(choice_->items()[static_cast<size_t>(row)].constant);
  }
  searchOnline_->setVisible(!constant.isEmpty());
  searchOnline_->setEnabled(!constant.isEmpty());
  searchOnline_->setText(CaptionWith(QStringLiteral("Search &Online for '#'"), constant));
  searchOnline_->setData(constant);
}

// Sets every widget from the choice; the change signals this raises are
// the program's own and are not taken as the user's.
void CMultiSelDlg::Refresh() {
  updating_ = true;
  const QColor muted = palette().color(QPalette::Disabled, QPalette::Text);
  for (size_t i = 0; i < choice_->size(); ++i) {
    const MultiSelItem& it = choice_->items()[i];
    const int row = static_cast<int>(i);
    SetChecked(items_, row, it.checked);
    if (values_) {
      SetChecked(values_, row, it.value);
      // A value that OK would not return is shown muted.
      QListWidgetItem* item = values_->item(row);
      if (choice_->ValueCounts(i))
        item->setData(Qt::ForegroundRole, QVariant());
      else
        item->setForeground(muted);
    }
  }
  noRestriction_->setChecked(choice_->noRestriction());
  updating_ = false;
}

void CMultiSelDlg::ShowDescription(int row) {
  if (row < 0 || static_cast<size_t>(row) >= choice_->size()) {
    description_->clear();
    return;
  }
  const MultiSelItem& it = choice_->items()[static_cast<size_t>(row)];
  QString text = ToQ(it.description);
  if (!it.constant.empty()) text += QStringLiteral("\n\n") + ToQ(it.constant);
  description_->setPlainText(text);
}

void CMultiSelDlg::SyncSelection(QListWidget* from, QListWidget* to) {
  if (!to || syncing_) return;
  syncing_ = true;
  for (int row = 0; row < from->count() && row < to->count(); ++row)
    to->item(row)->setSelected(from->item(row)->isSelected());
  syncing_ = false;
}

void CMultiSelDlg::ShowItemsMenu(const QPoint& pos) {
  UpdateActions();
  itemsMenu_->popup(items_->viewport()->mapToGlobal(pos));
}

void CMultiSelDlg::ShowValuesMenu(const QPoint& pos) {
  valuesMenu_->popup(values_->viewport()->mapToGlobal(pos));
}

void CMultiSelDlg::ApplyToSelected(bool values, bool on) {
  for (QListWidgetItem* item : items_->selectedItems()) {
    const size_t row = static_cast<size_t>(items_->row(item));
    if (values)
      choice_->SetValue(row, on);
    else
      choice_->SetChecked(row, on);
  }
  Refresh();
}

void CMultiSelDlg::CheckAll() {
  choice_->SetAllChecked(true);
  Refresh();
}

void CMultiSelDlg::UncheckAll() {
  choice_->SetAllChecked(false);
  Refresh();
}

void CMultiSelDlg::CheckSelected() { ApplyToSelected(false, true); }
void CMultiSelDlg::UncheckSelected() { ApplyToSelected(false, false); }
void CMultiSelDlg::CheckSelectedValues() { ApplyToSelected(true, true); }
void CMultiSelDlg::UncheckSelectedValues() { ApplyToSelected(true, false); }

void CMultiSelDlg::ValuesOnAll() {
  choice_->SetAllValues(true);
  Refresh();
}

void CMultiSelDlg::ValuesOffAll() {
  choice_->SetAllValues(false);
  Refresh();
}

void CMultiSelDlg::SearchOnline() {
  const QString constant = searchOnline_->data().toString();
  if (constant.isEmpty()) return;
  OpenOnlineSearchOrSay(this, FromQ(constant));
}

void CMultiSelDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  // The first checked item in view, and current so that its description
  // shows; with nothing checked the first row.
  const int first = std::max(choice_->firstChecked(), 0);
  if (QListWidgetItem* item = items_->item(first)) {
    items_->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    items_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
  }
  items_->setFocus();
}

void CMultiSelDlg::accept() {
  resultMask_ = choice_->ResultMask();
  resultValues_ = choice_->ResultValues();
  QDialog::accept();
}

}  // namespace tarnix::gui
