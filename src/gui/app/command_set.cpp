#include "gui/app/command_set.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "gui/app/coding_fault.h"

namespace tarnix::gui {
CommandSet::CommandSet(QWidget* window) : QObject(window), window_(window) {}

CommandSet::Builder CommandSet::Add(int id, const char* caption, std::function<void()> run) {
  if (id <= kSeparator || actions_.count(id)) {
    ReportCodingFault(QStringLiteral("command id %1 given twice or not above 0 (\"%2\")").arg(id).arg(QString::fromUtf8(caption)));
  }
  auto* a = new QAction(QString::fromUtf8(caption), window_);
  connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
  if (id > kSeparator && !actions_.count(id)) actions_[id] = a;
  return Builder(this, id, a);
}

CommandSet::Builder& CommandSet::Builder::Keys(const char* key, const char* extraKey) {
  QList<QKeySequence> keys;
  if (key) keys.push_back(QKeySequence(QString::fromLatin1(key)));
  if (extraKey) keys.push_back(QKeySequence(QString::fromLatin1(extraKey)));
  action_->setShortcuts(keys);
  action_->setShortcutContext(Qt::WindowShortcut);
  set_->window_->addAction(action_);  // the keys work while the menus are closed
  return *this;
}


CommandSet::Builder& CommandSet::Builder::Enabled(std::function<bool()> rule) {
  set_->rules_[id_].enabled = std::move(rule);
  action_->setEnabled(set_->rules_[id_].enabled());
  return *this;
}

CommandSet::Builder& CommandSet::Builder::Checked(std::function<bool()> rule) {
  action_->setCheckable(true);
  set_->rules_[id_].checked = std::move(rule);
  action_->setChecked(set_->rules_[id_].checked());
  return *this;
}

QAction* CommandSet::action(int id) const {
  auto it = actions_.find(id);
  if (it != actions_.end()) return it->second;
  ReportCodingFault(QStringLiteral("no command has the id %1").arg(id));
  return nullptr;
}

bool CommandSet::Trigger(int id) const {
  QAction* a = action(id);
  if (!a) return false;
  auto rule = rules_.find(id);
  if (rule != rules_.end() && rule->second.enabled && !rule->second.enabled()) return false;
  a->trigger();
  return true;
}

void CommandSet::BindKey(int id, QWidget* widget, const char* key) {
  if (!action(id)) return;
  auto* a = new QAction(widget);
  a->setShortcut(QKeySequence(QString::fromLatin1(key)));
  a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  widget->addAction(a);
  connect(a, &QAction::triggered, this, [this, id] { Trigger(id); });
}

void CommandSet::Fill(QMenu* menu, std::initializer_list<int> ids) const {
  for (int id : ids) {
    if (id == kSeparator) {
      menu->addSeparator();
      continue;
    }
    if (QAction* a = action(id)) menu->addAction(a);
  }
}

QAction* CommandSet::Present(QMenu* menu, int id, const QString& caption) const {
  QAction* a = action(id);
  if (!a) return nullptr;
  QAction* item = menu->addAction(caption);
  auto rule = rules_.find(id);
  item->setEnabled(rule != rules_.end() && rule->second.enabled ? rule->second.enabled() : a->isEnabled());
  connect(item, &QAction::triggered, a, &QAction::trigger);
  return item;
}

void CommandSet::Update() const {
  for (const auto& [id, rules] : rules_) {
    auto it = actions_.find(id);
    if (it == actions_.end()) continue;
    if (rules.enabled) it->second->setEnabled(rules.enabled());
    if (rules.checked) it->second->setChecked(rules.checked());
  }
}

}  // namespace tarnix::gui
