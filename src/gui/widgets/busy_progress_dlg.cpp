#include "gui/widgets/busy_progress_dlg.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "tools/busy_progress.h"

namespace tarnix::gui {
namespace {

// Two thirds of the way from the background to the text: dimmer than the
// first line, still readable on a light or a dark palette.
QColor Dimmed(const QPalette& palette) {
  const QColor text = palette.color(QPalette::WindowText);
  const QColor back = palette.color(QPalette::Window);
  auto mix = [](int t, int b) { return (t * 2 + b) / 3; };
  return QColor(mix(text.red(), back.red()), mix(text.green(), back.green()),
                mix(text.blue(), back.blue()));
}

}  // namespace

CBusyProgressDlg::CBusyProgressDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::CustomizeWindowHint) {
  setObjectName(QStringLiteral("CBusyProgressDlg"));
  text1_ = new QLabel(this);
  text1_->setObjectName(QStringLiteral("text1"));
  text1_->setWordWrap(true);
  text2_ = new QLabel(this);
  text2_->setObjectName(QStringLiteral("text2"));
  text2_->setWordWrap(true);
  text2_->setTextFormat(Qt::PlainText);
  text1_->setTextFormat(Qt::PlainText);
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("progress"));
  bar_->setAccessibleName(QStringLiteral("Progress"));
  bar_->setTextVisible(false);
  bar_->setRange(0, kBusyBarMax);
  auto* buttons = new QDialogButtonBox(this);
  cancel_ = buttons->addButton(QString::fromWCharArray(kBusyDefaultCancelText),
                               QDialogButtonBox::RejectRole);
  cancel_->setObjectName(QStringLiteral("cancel"));
  cancel_->setDefault(true);
  // The button box would reject the dialog; the state decides instead.
  connect(cancel_, &QPushButton::clicked, this, &CBusyProgressDlg::cancelRequested);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text1_);
  layout->addWidget(text2_);
  layout->addWidget(bar_);
  layout->addWidget(buttons);
  // Wide enough for a short path at any font size or scale.
  bar_->setMinimumWidth(fontMetrics().averageCharWidth() * 48);
  DimSecondLine();
}

void CBusyProgressDlg::DimSecondLine() {
  QPalette p = text2_->palette();
  p.setColor(QPalette::WindowText, Dimmed(palette()));
  text2_->setPalette(p);
}

void CBusyProgressDlg::SetTexts(const QString& text1, const QString& text2, const QString& caption,
                                const QString& cancelText) {
  text1_->setText(text1);
  text2_->setText(text2);
  setWindowTitle(caption);
  cancel_->setText(cancelText);
}

void CBusyProgressDlg::SetBarValue(int value) {
  bar_->setValue(std::clamp(value, 0, kBusyBarMax));
}

void CBusyProgressDlg::SetMarquee(bool marquee) {
  if (marquee)
    bar_->setRange(0, 0);  // Qt's busy indicator
  else
    bar_->setRange(0, kBusyBarMax);
}

void CBusyProgressDlg::SetCancelEnabled(bool enabled) {
  cancel_->setEnabled(enabled);
  if (enabled) cancel_->setFocus();
}

void CBusyProgressDlg::CentreOn(const QRect& area) {
  if (!isVisible()) adjustSize();
  // The frame is known once the window is shown; before, the size must do.
  const QSize outer = frameGeometry().size();
  int left = 0, top = 0;
  BusyCentredOrigin(Rect{area.left(), area.top(), area.left() + area.width(),
                         area.top() + area.height()},
                    outer.width(), outer.height(), left, top);
  move(left, top);
}

void CBusyProgressDlg::reject() {
  if (cancel_->isEnabled()) emit cancelRequested();
}

void CBusyProgressDlg::closeEvent(QCloseEvent* event) {
  // The popup goes away when the work ends; Close only asks to cancel.
  event->ignore();
  if (cancel_->isEnabled()) emit cancelRequested();
}

void CBusyProgressDlg::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
    DimSecondLine();
}

}  // namespace tarnix::gui
