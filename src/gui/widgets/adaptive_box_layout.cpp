#include "gui/widgets/adaptive_box_layout.h"

#include <QWidget>
#include <algorithm>

namespace tarnix::gui {

// Stacked until the first layout finds room: the size a window asks for at
// first is the compact one.
AdaptiveBoxLayout::AdaptiveBoxLayout(QWidget* parent) : QBoxLayout(QBoxLayout::TopToBottom, parent) {}

int AdaptiveBoxLayout::RowWidth() const {
  int width = 0, shown = 0;
  for (int i = 0; i < count(); ++i) {
    QLayoutItem* item = itemAt(i);
    if (item->isEmpty()) continue;
    // Side by side each box gets its comfortable width, not only its least
    // one: a box squeezed to its minimum is harder to use than one below
    // the other.
    width += std::max(item->minimumSize().width(), item->sizeHint().width());
    ++shown;
  }
  const QMargins m = contentsMargins();
  return width + std::max(0, shown - 1) * std::max(0, spacing()) + m.left() + m.right();
}

QSize AdaptiveBoxLayout::minimumSize() const {
  QSize size = QBoxLayout::minimumSize();
  int widest = 0;
  for (int i = 0; i < count(); ++i)
    if (!itemAt(i)->isEmpty()) widest = std::max(widest, itemAt(i)->minimumSize().width());
  const QMargins m = contentsMargins();
  size.setWidth(widest + m.left() + m.right());
  return size;
}

void AdaptiveBoxLayout::setGeometry(const QRect& rect) {
  const QBoxLayout::Direction wanted = rect.width() >= RowWidth() ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
  if (wanted != direction()) setDirection(wanted);  // the window takes the new minimum height
  QBoxLayout::setGeometry(rect);
}

}  // namespace tarnix::gui
