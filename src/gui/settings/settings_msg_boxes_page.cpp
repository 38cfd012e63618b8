#include "gui/settings/settings_msg_boxes_page.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/app/desktop_actions.h"
#include "gui/app/text_convert.h"
#include "tools/message_box_table.h"

namespace tarnix::gui {
namespace {

constexpr int kTextColumn = 0;
constexpr int kAnswerColumn = 1;

struct AnswerItem {
  int answer;
  const char* caption;
};
constexpr AnswerItem kAnswerItems[] = {
    {kAnswerYes, "&Yes"}, {kAnswerNo, "&No"}, {kAnswerOk, "&OK"}, {kAnswerCancel, "&Cancel"}};

}  // namespace

CSettingsMsgBoxes::CSettingsMsgBoxes(QWidget* parent) : SettingsPageWidget(parent) {
  setObjectName(QStringLiteral("Message Boxes"));
  auto* heading =
      new QLabel(QStringLiteral("\"In the future, do not show me this dialog\" default user selections"), this);
  list_ = new QTreeWidget(this);
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setHeaderLabels({QStringLiteral("Message Box"), QStringLiteral("User selection")});
  list_->setAccessibleName(heading->text());
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->header()->setAccessibleName(QStringLiteral("Message Box Columns"));
  list_->header()->setStretchLastSection(false);
  list_->header()->setSectionResizeMode(kTextColumn, QHeaderView::Stretch);
  list_->header()->setSectionResizeMode(kAnswerColumn, QHeaderView::ResizeToContents);
  heading->setBuddy(list_);
  connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    QMenu* menu = BuildContextMenu();
    menu->exec(list_->viewport()->mapToGlobal(pos));
    menu->deleteLater();
  });
  auto* note =
      new QLabel(QStringLiteral("Unchecked message boxes will not be displayed. 'User selection' will be used instead."),
                 this);
  note->setWordWrap(true);
  auto* defaults = new QPushButton(QStringLiteral("&Defaults"), this);
  connect(defaults, &QPushButton::clicked, this, [this] { Show(DefaultMessageBoxChoices()); });

  auto* v = new QVBoxLayout(this);
  v->addWidget(heading);
  v->addWidget(list_, 1);
  v->addWidget(note);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(defaults);
  v->addLayout(buttons);

  Show(LoadMessageBoxChoices());
  // Wide enough for the longest row.
  list_->setMinimumWidth(list_->fontMetrics().averageCharWidth() * 90);
}

void CSettingsMsgBoxes::Show(const std::vector<MessageBoxChoice>& choices) {
  rows_ = choices;
  list_->clear();
  for (const MessageBoxChoice& c : rows_) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(kTextColumn, ToQ(c.row->text));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(kTextColumn, c.shown ? Qt::Checked : Qt::Unchecked);
    item->setText(kAnswerColumn, ToQ(AnswerText(c.answer)));
  }
}

std::vector<MessageBoxChoice> CSettingsMsgBoxes::Read() const {
  std::vector<MessageBoxChoice> out = rows_;
  for (size_t i = 0; i < out.size(); ++i)
    out[i].shown = list_->topLevelItem(static_cast<int>(i))->checkState(kTextColumn) == Qt::Checked;
  return out;
}

void CSettingsMsgBoxes::ShowAnswer(int row, int answer) {
  rows_[static_cast<size_t>(row)].answer = answer;
  list_->topLevelItem(row)->setText(kAnswerColumn, ToQ(AnswerText(answer)));
}

void CSettingsMsgBoxes::SetSelectedAnswer(int answer) {
  for (int i = 0; i < list_->topLevelItemCount(); ++i)
    if (list_->topLevelItem(i)->isSelected() && IsStorableAnswer(*rows_[static_cast<size_t>(i)].row, answer))
      ShowAnswer(i, answer);
}

QMenu* CSettingsMsgBoxes::BuildContextMenu() {
  auto* menu = new QMenu(this);
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  QAction* show = menu->addAction(QStringLiteral("Show &Message Box"));
  show->setCheckable(true);
  show->setEnabled(!selected.isEmpty());
  show->setChecked(!selected.isEmpty() && selected.front()->checkState(kTextColumn) == Qt::Checked);
  connect(show, &QAction::triggered, this, [selected](bool on) {
    for (QTreeWidgetItem* item : selected) item->setCheckState(kTextColumn, on ? Qt::Checked : Qt::Unchecked);
  });
  QMenu* answers = menu->addMenu(QStringLiteral("User &Selection"));
  answers->setEnabled(!selected.isEmpty());
  for (const AnswerItem& a : kAnswerItems) {
    QAction* act = answers->addAction(QString::fromUtf8(a.caption));
    bool offered = false;
    for (QTreeWidgetItem* item : selected)
      offered |= IsStorableAnswer(*rows_[static_cast<size_t>(list_->indexOfTopLevelItem(item))].row, a.answer);
    act->setEnabled(offered);
    connect(act, &QAction::triggered, this, [this, answer = a.answer] { SetSelectedAnswer(answer); });
  }
  menu->addSeparator();
  connect(menu->addAction(QStringLiteral("Select &All")), &QAction::triggered, list_, &QTreeWidget::selectAll);
  return menu;
}

bool CSettingsMsgBoxes::Confirm() {
  if (!StoreMessageBoxChoices(Read()))
    ShowErrorBox(this, L"Failed to save some information about default selection in message boxes...");
  Show(LoadMessageBoxChoices());
  return true;
}

}  // namespace tarnix::gui
