#include "gui/widgets/fit_scroll_area.h"

#include <QEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

namespace tarnix::gui {

FitScrollArea::FitScrollArea(QWidget* content, QWidget* parent) : QScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setWidgetResizable(true);
  setWidget(content);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  // The controls inside take the focus, not the area around them.
  setFocusPolicy(Qt::NoFocus);
  // The content's hints change as its parts are shown or hidden.
  content->installEventFilter(this);
}

QSize FitScrollArea::sizeHint() const {
  const QWidget* w = widget();
  if (!w) return QScrollArea::sizeHint();
  const QSize content = w->sizeHint().expandedTo(w->minimumSizeHint());
  return QSize(content.width() + verticalScrollBar()->sizeHint().width(), content.height());
}

QSize FitScrollArea::minimumSizeHint() const {
  const QWidget* w = widget();
  if (!w) return QScrollArea::minimumSizeHint();
  // As narrow as the content allows; as short as a few lines of it.
  const int lines = fontMetrics().height() * 6;
  return QSize(w->minimumSizeHint().width() + verticalScrollBar()->sizeHint().width(),
               std::min(w->minimumSizeHint().height(), lines));
}

bool FitScrollArea::eventFilter(QObject* watched, QEvent* event) {
  // The content's hints are final once its own layout has run: the window
  // lays out again after that (a row of boxes that stacked or unstacked
  // changes the height it needs).
  if (watched == widget() && (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize)) {
    const QSize hint = sizeHint();
    if (hint != lastHint_) {
      lastHint_ = hint;
      QTimer::singleShot(0, this, [this] { updateGeometry(); });
    }
  }
  return QScrollArea::eventFilter(watched, event);
}

}  // namespace tarnix::gui
