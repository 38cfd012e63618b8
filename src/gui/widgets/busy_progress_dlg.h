#pragma once
// The "please wait" window of the busy-progress popup: caption, two text
// lines (the second dimmer), a progress bar and Cancel. It shows what it is
// told; Cancel, Escape and the window's Close only report cancelRequested,
// the popup's state decides what happens.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarnix::gui {

class CBusyProgressDlg final : public QDialog {
  Q_OBJECT
 public:
  explicit CBusyProgressDlg(QWidget* owner);

  void SetTexts(const QString& text1, const QString& text2, const QString& caption,
                const QString& cancelText);
  // The bar runs 0..4095; values above are shown full.
  void SetBarValue(int value);
  void SetMarquee(bool marquee);
  void SetCancelEnabled(bool enabled);

  // Centres the window on `area` (global coordinates), at its size hint
  // before it is first shown, with its frame once shown.
  void CentreOn(const QRect& area);

 signals:
  void cancelRequested();

 public slots:
  void reject() override;  // Escape

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void DimSecondLine();

  QLabel* text1_;
  QLabel* text2_;
  QProgressBar* bar_;
  QPushButton* cancel_;
};

}  // namespace tarnix::gui
