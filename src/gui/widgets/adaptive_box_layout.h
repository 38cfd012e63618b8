#pragma once
// A row of boxes that stacks them when the row gets too narrow for them side
// by side: the criteria groups of a search window keep the window usable
// down to a small screen. Its minimum width is that of the widest box, so a
// window can be made as narrow as one box needs.
#include <QBoxLayout>

namespace tarnix::gui {

class AdaptiveBoxLayout : public QBoxLayout {
  Q_OBJECT
 public:
  explicit AdaptiveBoxLayout(QWidget* parent = nullptr);

  QSize minimumSize() const override;
  void setGeometry(const QRect& rect) override;
  // True while the boxes are stacked.
  bool stacked() const { return direction() == QBoxLayout::TopToBottom; }

 private:
  // The width the boxes need side by side.
  int RowWidth() const;
};

}  // namespace tarnix::gui
