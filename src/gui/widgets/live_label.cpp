#include "gui/widgets/live_label.h"

namespace tarnix::gui {

QLabel* LiveLabel(QWidget* parent, const QString& role) {
  auto* label = new QLabel(parent);
  label->setObjectName(role);
  label->setAccessibleDescription(role);
  label->setAccessibleName(role);
  return label;
}

void SetLiveText(QLabel* label, const QString& text, const QString& spoken) {
  label->setText(text);
  const QString name = spoken.isEmpty() ? text : spoken;
  label->setAccessibleName(name.isEmpty() ? label->accessibleDescription() : name);
}

}  // namespace tarnix::gui
