#pragma once
// A label in the form of the platform's link controls: a text whose
// "<a>...</a>" parts are links, each reported by its 0-based index when
// clicked. The label takes the keyboard focus by Tab; Enter or Space
// activates its first link, and so does Alt with the text's "&" mnemonic.
#include <QKeySequence>
#include <QLabel>

namespace tarnix::gui {

class LinkLabel : public QLabel {
  Q_OBJECT
 public:
  explicit LinkLabel(QWidget* parent = nullptr);
  explicit LinkLabel(const QString& sysLinkText, QWidget* parent = nullptr);

  // Shows `sysLinkText`; the text outside the links is shown as it stands.
  void SetLinkText(const QString& sysLinkText);
  const QString& linkText() const { return sysLinkText_; }
  int linkCount() const { return linkCount_; }

 signals:
  void linkClicked(int index);

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

 private:
  void Activate();

  QString sysLinkText_;
  int linkCount_ = 0;
  int shortcutId_ = 0;
};

}  // namespace tarnix::gui
