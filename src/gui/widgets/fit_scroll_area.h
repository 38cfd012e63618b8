#pragma once
// A vertical scroll area around a window's criteria: it asks for the whole
// height of what it holds, and only when the window is shorter than that
// (a small screen, a large font) does it scroll, so every control stays
// reachable. Its width follows what it holds: it never scrolls sideways.
#include <QScrollArea>

namespace tarnix::gui {

class FitScrollArea : public QScrollArea {
  Q_OBJECT
 public:
  explicit FitScrollArea(QWidget* content, QWidget* parent = nullptr);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QSize lastHint_;
};

}  // namespace tarnix::gui
