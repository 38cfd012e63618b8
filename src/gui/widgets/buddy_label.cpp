#include "gui/widgets/buddy_label.h"

#include <QLabel>

namespace tarnix::gui {

QLabel* BuddyLabel(QWidget* parent, const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  if (buddy->accessibleName().isEmpty()) buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')));
  return label;
}

}  // namespace tarnix::gui
